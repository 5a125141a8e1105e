#pragma once
#include <QString>

namespace quillwave::app {

// The family to draw Japanese text with: `preferred` when it is installed, else the face
// fontconfig ranks closest to it among those that cover Japanese (a proportional one first),
// so a machine with some other CJK font shows text rather than boxes. Empty when no installed
// face covers Japanese.
// Needs the application object (it asks Qt's font database).
QString japaneseFontFamily(const QString& preferred);

} // namespace quillwave::app
