#include "app/informational_options.h"

#include <string_view>

#include "platform/version.h"

namespace quillwave::app {

std::optional<int> answerInformationalOption(int argc, const char* const* argv, std::ostream& out)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--")
            break;
        if (argument == "--version" || argument == "-V") {
            out << "quillwave " << kVersion << "\n";
            return 0;
        }
        if (argument == "--help" || argument == "-h") {
            out << "Usage: quillwave [OPTION]... [FILE.wav]\n"
                   "Opens the desktop window that converts a WAVE recording into six-voice tone\n"
                   "parameters (.dat).\n"
                   "\n"
                   "  -h, --help     print this help and exit\n"
                   "  -V, --version  print the version and exit\n"
                   "\n"
                   "Qt's own options (-platform, -display, ...) are accepted too.\n"
                   "The command line's conversion is quillwave-cli; see quillwave-cli --help.\n";
            return 0;
        }
    }
    return std::nullopt;
}

} // namespace quillwave::app
