#include "app/result_data.h"

#include <vector>

#include "analysis/frame_geometry.h"
#include "analysis/signal_buffer.h"
#include "job/wave_input.h"
#include "platform/file_io.h"
#include "platform/messages.h"
#include "platform/work_pool.h"

namespace quillwave::app {
namespace {

// The input through the conversion's own reader and checks, mixed to mono as it mixes.
std::string readOriginal(const std::string& path, ResultData& data)
{
    WorkPool pool;
    const FileBlock file = readWholeFile(pool, path, kReadSlack);
    if (!file.message.empty())
        return file.message;
    const ParsedWave parsed = parseWave(file.block, file.fileLength);
    if (!parsed.message.empty())
        return parsed.message;
    const std::int32_t frames = parsed.format.sampleFrames;
    auto* signal = static_cast<std::int32_t*>(pool.poolAlloc(signalBlockBytes(frames)));
    if (signal == nullptr)
        return messages::kNoMemory;
    fillSignal(file.block, parsed.format, signal);
    auto samples = std::make_shared<std::vector<std::int16_t>>(static_cast<std::size_t>(frames));
    const std::int32_t* from = signal + kPadSamples;
    for (std::int32_t i = 0; i < frames; ++i)
        (*samples)[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(from[i] / 256);
    data.sampleRate = static_cast<int>(parsed.format.sampleRate);
    data.original = std::move(samples);
    return {};
}

} // namespace

ResultData loadResult(const ResultFiles& files)
{
    ResultData data;
    data.message = readOriginal(files.inputPath, data);
    return data;
}

} // namespace quillwave::app
