#pragma once
#include <string>

namespace quillwave::test {

struct CliResult {
    int status = -1;
    std::string out; // standard output
    std::string err; // standard error
};

// Runs quillwave-cli with the arguments (shell words) and collects both streams apart.
CliResult runCliSplit(const std::string& arguments);

} // namespace quillwave::test
