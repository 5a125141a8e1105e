#include "app/appearance.h"

#include <QtGlobal>

#include "app/japanese_font.h"

namespace quillwave::app {

QFont dialogFont()
{
    // Looked up once: the installed fonts do not change while the program runs.
    static const QString family = [] {
        const QString preferred = QStringLiteral("IPAPGothic");
        const QString found = japaneseFontFamily(preferred);
        if (found.isEmpty())
            qWarning("quillwave: no installed font covers Japanese (install fonts-ipafont-gothic)");
        return found.isEmpty() ? preferred : found;
    }();
    QFont font(family, 9);
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
