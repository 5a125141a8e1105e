#pragma once
#include <optional>
#include <ostream>

namespace quillwave::app {

// Answers --version (-V) and --help (-h) before the toolkit starts, so both work without a
// display. Returns the exit status when one was asked for; otherwise nothing, and the
// arguments go on to Qt and the window.
std::optional<int> answerInformationalOption(int argc, const char* const* argv, std::ostream& out);

} // namespace quillwave::app
