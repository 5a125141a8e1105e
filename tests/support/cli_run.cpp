#include "support/cli_run.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

#include "support/test_support.h"

namespace quillwave::test {

CliResult runCliSplit(const std::string& arguments)
{
    TempDir dir;
    const std::string errPath = (dir / "stderr").string();
    const std::string command = std::string(QUILLWAVE_CLI) + " " + arguments + " 2>" + errPath;
    FILE* pipe = ::popen(command.c_str(), "r");
    CliResult r;
    std::array<char, 65536> buffer;
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
        r.out.append(buffer.data(), n);
    const int raw = ::pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream err(errPath);
    std::stringstream text;
    text << err.rdbuf();
    r.err = text.str();
    return r;
}

} // namespace quillwave::test
