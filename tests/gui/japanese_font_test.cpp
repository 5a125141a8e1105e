// Run under fontconfig configurations that hide fonts (see CMakeLists.txt): each case names
// the configuration it needs.
#include <QFontInfo>
#include <QRawFont>
#include <QtTest>

#include "app/appearance.h"
#include "app/japanese_font.h"

using quillwave::app::dialogFont;
using quillwave::app::japaneseFontFamily;

class JapaneseFontTest : public QObject {
    Q_OBJECT

private slots:
    // without-ipa-p-gothic.conf
    void takesThePreferredFamilyWhenInstalled()
    {
        QCOMPARE(japaneseFontFamily(QStringLiteral("IPAGothic")), QStringLiteral("IPAGothic"));
    }

    // without-ipa-p-gothic.conf: the window's texts get a face that has their glyphs.
    void fallsBackToAFaceThatDrawsJapanese()
    {
        const QFont font = dialogFont();
        QVERIFY(font.family() != QStringLiteral("IPAPGothic"));
        QCOMPARE(QFontInfo(font).family(), font.family());
        const QRawFont raw = QRawFont::fromFont(font);
        QVERIFY(raw.isValid());
        for (const QChar c : QStringLiteral("変換終了参照キャンセルしない"))
            QVERIFY2(raw.supportsCharacter(c), qPrintable(QString(c) + " in " + font.family()));
    }

    // without-japanese.conf: nothing to fall back to, and no face is claimed to cover Japanese.
    void findsNothingWhenNoFaceCoversJapanese()
    {
        QCOMPARE(japaneseFontFamily(QStringLiteral("IPAPGothic")), QString());
        QCOMPARE(dialogFont().family(), QStringLiteral("IPAPGothic"));
    }
};

QTEST_MAIN(JapaneseFontTest)
#include "japanese_font_test.moc"
