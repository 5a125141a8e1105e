#pragma once
#include <QFont>
#include <QIcon>

namespace quillwave::app {

// The Japanese UI face the windows are laid out for. IPA P Gothic is proportional like the
// UI fonts the layout was drawn with; fontconfig substitutes another face if it is missing.
QFont dialogFont(int pointSize);

// The program's icon in 16, 32 and 48 pixels.
QIcon applicationIcon();

} // namespace quillwave::app
