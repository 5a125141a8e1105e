#pragma once
#include <cstddef>
#include <string>

namespace quillwave::cli {

// Writes a command's output file through the atomic whole-file writer. On failure prints one
// line naming the file and returns false. An output that is one of the inputs is refused, so
// a slip of -o never destroys what the command read.
bool writeOutputFile(const std::string& path, const void* data, std::size_t length,
                     std::initializer_list<std::string> inputs);

} // namespace quillwave::cli
