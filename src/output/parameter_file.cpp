#include "output/parameter_file.h"

#include "platform/file_io.h"

namespace quillwave {

std::string parameterFilePath(const std::string& pathText)
{
    const std::size_t keep = pathText.size() >= 4 ? pathText.size() - 4 : 0;
    return pathText.substr(0, keep) + ".dat";
}

std::string writeParameterFile(OutputRecords& records, const std::string& outputPath,
                               std::int32_t frameCount, std::int32_t framesPerSecond)
{
    FrameRecord& terminator = records[frameCount];
    terminator = FrameRecord{};
    terminator.words[kTerminatorRateWord] = framesPerSecond;
    const std::size_t length = static_cast<std::size_t>(frameCount + 1) * sizeof(FrameRecord);
    return writeWholeFile(records.data(), length, outputPath);
}

} // namespace quillwave
