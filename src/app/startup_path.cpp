#include "app/startup_path.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace quillwave::app {

QString startupPath(const QString& argument)
{
    const QUrl url(argument);
    const QString path = url.isLocalFile() ? url.toLocalFile() : argument;
    if (path.isEmpty())
        return path;
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

} // namespace quillwave::app
