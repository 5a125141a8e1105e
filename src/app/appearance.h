#pragma once
#include <QFont>
#include <QIcon>

namespace quillwave::app {

// The Japanese UI face, at 9 points, that every window is laid out for. IPA P Gothic is
// proportional like the UI fonts the layouts were drawn with; where it is missing, the installed
// face fontconfig ranks closest among those covering Japanese stands in (never one that draws
// boxes). The progress window uses it too: at 8 points its line is hard to read.
QFont dialogFont();

// The program's icon in 16, 32 and 48 pixels.
QIcon applicationIcon();

} // namespace quillwave::app
