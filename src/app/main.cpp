// quillwave: the desktop window. The program is its main dialog and ends when the dialog does.
#include <QApplication>

#include "app/appearance.h"
#include "app/converter_dialog.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setWindowIcon(quillwave::app::applicationIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("quillwave"));
    // Message boxes and the file dialog speak the same Japanese face as the main window.
    QApplication::setFont(quillwave::app::dialogFont(9));

    quillwave::app::ConverterDialog dialog;
    dialog.exec();
    return 0;
}
