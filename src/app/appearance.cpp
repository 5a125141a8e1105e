#include "app/appearance.h"

namespace quillwave::app {

QFont dialogFont()
{
    QFont font(QStringLiteral("IPAPGothic"), 9);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QIcon applicationIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/icons/quillwave-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace quillwave::app
