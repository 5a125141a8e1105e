#pragma once
#include <cstdint>
#include <string>

#include "analysis/frame_record.h"

namespace quillwave {

// The input path without its last four bytes, followed by ".dat".
std::string parameterFilePath(const std::string& pathText);

// Appends the terminator after frameCount records and writes the file in one piece.
// Returns an empty text on success, otherwise the message to show.
std::string writeParameterFile(OutputRecords& records, const std::string& outputPath,
                               std::int32_t frameCount, std::int32_t framesPerSecond);

} // namespace quillwave
