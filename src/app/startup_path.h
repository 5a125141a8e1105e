#pragma once
#include <QString>

namespace quillwave::app {

// The path box's text for a file named on the command line: a relative path made absolute
// (the window shows it and converts next to it), a file:// URL as its local path.
QString startupPath(const QString& argument);

} // namespace quillwave::app
