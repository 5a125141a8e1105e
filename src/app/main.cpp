// quillwave: the desktop window. The program is its main dialog and ends when the dialog does.
#include <QApplication>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QTranslator>
#include <iostream>

#include "app/appearance.h"
#include "app/converter_dialog.h"
#include "app/informational_options.h"
#include "app/startup_path.h"

int main(int argc, char** argv)
{
    if (const std::optional<int> status = quillwave::app::answerInformationalOption(argc, argv, std::cout))
        return *status;
    QApplication application(argc, argv);
    QApplication::setWindowIcon(quillwave::app::applicationIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("quillwave"));
    // The program speaks Japanese whatever the locale, so the toolkit's own texts (the file
    // dialog, the edit box's menu) do too, in the same face as the main window.
    QApplication::setFont(quillwave::app::dialogFont());
    QTranslator toolkitTexts;
    if (toolkitTexts.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&toolkitTexts);

    quillwave::app::ConverterDialog dialog;
    // `quillwave FILE.wav` (a file manager's "open with") starts with the file named.
    QStringList arguments = QApplication::arguments().mid(1);
    if (!arguments.isEmpty() && arguments.constFirst() == QStringLiteral("--"))
        arguments.removeFirst();
    if (!arguments.isEmpty())
        dialog.pathBox()->setText(quillwave::app::startupPath(arguments.constFirst()));
    dialog.exec();
    return 0;
}
