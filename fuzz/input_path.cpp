#include "fuzz/input_path.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "analysis/analysis_passes.h"
#include "analysis/component_store.h"
#include "analysis/frame_buffers.h"
#include "analysis/frame_geometry.h"
#include "analysis/frame_record.h"
#include "analysis/level_pass.h"
#include "analysis/oscillator_table.h"
#include "analysis/signal_buffer.h"
#include "job/wave_input.h"
#include "platform/messages.h"
#include "platform/work_pool.h"

namespace quillwave::fuzz {
namespace {

// A broken invariant: say which, and let the caller stop (the fuzzer aborts, the replay fails).
#define INPUT_PATH_CHECK(condition)                                                            \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "input path: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            return 1;                                                                          \
        }                                                                                      \
    } while (0)

bool isParserMessage(const std::string& text)
{
    using namespace messages;
    for (const char* known : {kCannotHandle, kBadDataLength, kBadRate, kNot16Bit, kTooLong})
        if (text == known)
            return true;
    return false;
}

std::int32_t sampleAt(const std::uint8_t* p)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}

// What sample i of the signal must be, worked out from the file's bytes on their own.
std::int32_t expectedSample(const std::uint8_t* data, const WaveFormat& format, std::int32_t i)
{
    const std::size_t at = static_cast<std::size_t>(i) * static_cast<std::size_t>(format.blockSize);
    if (format.channelCount == 1)
        return sampleAt(data + at) * 256;
    return (sampleAt(data + at) + sampleAt(data + at + 2)) * 128;
}

int checkFormat(const WaveFormat& f, std::size_t size)
{
    INPUT_PATH_CHECK(f.formatTag == 1);
    INPUT_PATH_CHECK(f.channelCount == 1 || f.channelCount == 2);
    INPUT_PATH_CHECK(f.sampleRate == 44100 || f.sampleRate == 48000);
    INPUT_PATH_CHECK(f.bitsPerSample == 16);
    INPUT_PATH_CHECK(f.blockSize == 2 * f.channelCount);
    // The headers lie in the scanned start of the file; the data lies wholly inside it.
    INPUT_PATH_CHECK(f.dataStart >= 8 && f.dataStart < kScanLimit + 8);
    INPUT_PATH_CHECK(f.dataBytes >= 0);
    INPUT_PATH_CHECK(f.dataStart + static_cast<std::size_t>(f.dataBytes) <= size);
    INPUT_PATH_CHECK(f.sampleFrames == f.dataBytes / f.blockSize);
    INPUT_PATH_CHECK(static_cast<std::int64_t>(f.sampleFrames) <= static_cast<std::int64_t>(f.sampleRate) * kMaxSeconds);
    return 0;
}

int checkSignal(const std::uint8_t* block, const WaveFormat& f, const SignalBuffer& s)
{
    const std::int32_t n = f.sampleFrames;
    for (std::int32_t i = 0; i < kPadSamples; ++i) {
        INPUT_PATH_CHECK(s.residual[i] == 0);
        INPUT_PATH_CHECK(s.residual[kPadSamples + n + i] == 0);
    }
    for (std::int32_t i = 0; i < n; ++i) {
        const std::int32_t v = s.residual[kPadSamples + i];
        INPUT_PATH_CHECK(v == expectedSample(block + f.dataStart, f, i));
        INPUT_PATH_CHECK(v >= -8388608 && v <= 8388352);
    }
    const std::size_t used = (static_cast<std::size_t>(n) + 2 * kPadSamples) * sizeof(std::int32_t);
    INPUT_PATH_CHECK(used <= signalBlockBytes(n));
    INPUT_PATH_CHECK(std::memcmp(s.residual, s.pristine, used) == 0);
    return 0;
}

// Every option the window can carry: the frames fit the arrays and lie inside the padding.
int checkGeometry(const WaveFormat& f)
{
    const std::int64_t n = f.sampleFrames;
    for (std::int32_t fps : {15, 20, 30, 60}) {
        for (bool staggered : {false, true}) {
            const FrameGeometry g =
                makeFrameGeometry(static_cast<std::int32_t>(f.sampleRate), fps, staggered, f.sampleFrames);
            const std::int64_t m = g.frameLength;
            INPUT_PATH_CHECK(m > 0 && m <= kMaxFrameLength);
            INPUT_PATH_CHECK(g.frameCount >= 1 && g.frameCount <= kMaxFrames);
            INPUT_PATH_CHECK(g.frameCount <= ComponentStore::rowCount());
            INPUT_PATH_CHECK(g.frameCount + 1 <= OutputRecords::capacity());
            INPUT_PATH_CHECK((g.frameCount - 1) * m >= n); // every sample lies in a frame
            for (int v = 0; v < kVoiceCount; ++v) {
                INPUT_PATH_CHECK(frameStart(g, 0, v) >= 0);
                INPUT_PATH_CHECK(frameStart(g, g.frameCount - 1, v) + m <= n + 2 * kPadSamples);
            }
        }
    }
    return 0;
}

// What the reference engine keeps from job to job; built once, as the fuzzer runs for long.
struct AnalysisArrays {
    OscillatorTable table;
    FrameBuffers buffers;
    ComponentStore store;
    LevelBuffer level = makeLevelBuffer();
    AnalysisArrays() { buildOscillatorTable(table); }
};

AnalysisArrays& analysisArrays()
{
    static AnalysisArrays arrays;
    return arrays;
}

// One frame unit of the reference analysis, and that voice's level: a whole job would take
// seconds per input. The input's length picks the options, the voice and which end of the
// signal, so the corpus spreads over all of them.
int checkAnalysisSlice(const WaveFormat& f, SignalBuffer& signal, std::size_t size)
{
    static constexpr std::int32_t kFrameRates[] = {60, 30, 20, 15};
    const std::int32_t fps = kFrameRates[size % 4];
    const bool staggered = (size / 4) % 2 == 1;
    const int voice = static_cast<int>((size / 8) % kVoiceCount);
    const FrameGeometry g = makeFrameGeometry(static_cast<std::int32_t>(f.sampleRate), fps, staggered, f.sampleFrames);
    const std::int32_t frame = (size / 48) % 2 == 1 ? g.frameCount - 1 : 0;
    const std::int32_t start = frameStart(g, frame, voice);

    AnalysisArrays& a = analysisArrays();
    buildWindow(a.buffers, g.frameLength);
    searchVoiceFrame(g, a.table, a.buffers, signal.residual, a.store, voice, frame);
    for (int slot = 0; slot < kSlotsPerVoice; ++slot) {
        const Component c = a.store.componentAt(frame, voice, slot);
        INPUT_PATH_CHECK(c.amplitude >= 0);
        INPUT_PATH_CHECK(c.frequencyE4 >= 550000 && c.frequencyE4 <= 80000000);
        INPUT_PATH_CHECK(c.phase16 >= 0 && c.phase16 <= 65535);
    }
    INPUT_PATH_CHECK(measureVoiceLevel(a.store, frame, voice, a.level) >= 0);

    // The search subtracts only inside its own frame.
    const std::size_t used = static_cast<std::size_t>(f.sampleFrames) + 2 * kPadSamples;
    const std::size_t end = static_cast<std::size_t>(start + g.frameLength);
    INPUT_PATH_CHECK(std::memcmp(signal.residual, signal.pristine, static_cast<std::size_t>(start) * 4) == 0);
    INPUT_PATH_CHECK(std::memcmp(signal.residual + end, signal.pristine + end, (used - end) * 4) == 0);
    return 0;
}

} // namespace

int runInputPath(const std::uint8_t* data, std::size_t size)
{
    // The file block as the reader hands it over: the bytes, then kReadSlack zeros.
    WorkPool pool;
    auto* block = static_cast<std::uint8_t*>(pool.poolAlloc(size + kReadSlack));
    INPUT_PATH_CHECK(block != nullptr);
    if (size > 0)
        std::memcpy(block, data, size);
    std::memset(block + size, 0, kReadSlack);

    const ParsedWave parsed = parseWave(block, static_cast<std::int64_t>(size));
    if (!parsed.message.empty()) {
        INPUT_PATH_CHECK(isParserMessage(parsed.message));
        pool.poolFreeAll();
        return 0;
    }
    const WaveFormat& f = parsed.format;
    if (const int broken = checkFormat(f, size))
        return broken;

    SignalBuffer signal;
    signal.sampleFrames = f.sampleFrames;
    signal.residual = static_cast<std::int32_t*>(pool.poolAlloc(signalBlockBytes(f.sampleFrames)));
    signal.pristine = static_cast<std::int32_t*>(pool.poolAlloc(signalBlockBytes(f.sampleFrames)));
    INPUT_PATH_CHECK(signal.residual != nullptr && signal.pristine != nullptr);
    fillSignal(block, f, signal.residual);
    savePristine(signal.residual, signal.pristine, f.sampleFrames);
    if (const int broken = checkSignal(block, f, signal))
        return broken;
    // The analysis works on residual; a restore must bring back the pristine signal.
    signal.residual[kPadSamples] ^= 0x5a5a;
    restoreResidual(signal.pristine, signal.residual, f.sampleFrames);
    if (const int broken = checkSignal(block, f, signal))
        return broken;
    if (const int broken = checkGeometry(f))
        return broken;
    if (const int broken = checkAnalysisSlice(f, signal, size))
        return broken;

    pool.poolFreeAll();
    INPUT_PATH_CHECK(pool.count() == 0 && pool.liveBlocks() == 0);
    return 0;
}

} // namespace quillwave::fuzz
