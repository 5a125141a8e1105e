#pragma once
#include <cstdint>
#include <string>

#include "output/parameter_file_reader.h"

namespace quillwave::preview {

enum class ExportFormat { Csv, Json };

// A frame's start in seconds, six decimals ("0.016667"), exact for every frame rate.
std::string frameSeconds(std::int32_t frame, std::int32_t framesPerSecond);

// A frequency word (0.1 Hz) in hertz with one decimal ("440.1"), exact.
std::string tenthsAsHz(std::int32_t frequencyE1);

// CSV: a header, then one line per frame record. JSON: the frame rate and every frame with its
// six voices. Both end with a newline.
std::string exportParameters(const ParameterFile& file, ExportFormat format);

} // namespace quillwave::preview
