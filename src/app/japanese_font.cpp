#include "app/japanese_font.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QStringList>
#include <fontconfig/fontconfig.h>

namespace quillwave::app {
namespace {

const FcChar8* fcText(const char* text)
{
    return reinterpret_cast<const FcChar8*>(text);
}

// The installed faces that really cover Japanese, in fontconfig's order of closeness to the
// preferred family in a sans-serif face for Japanese. The order alone would put a Latin face
// first when nothing better exists, so each face's languages are checked.
QStringList japaneseFamiliesByCloseness(const QString& preferred)
{
    FcPattern* pattern = FcPatternCreate();
    const QByteArray preferredName = preferred.toUtf8();
    FcPatternAddString(pattern, FC_FAMILY, fcText(preferredName.constData()));
    FcPatternAddString(pattern, FC_FAMILY, fcText("sans-serif"));
    FcPatternAddString(pattern, FC_LANG, fcText("ja"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);

    QStringList families;
    FcResult result = FcResultNoMatch;
    if (FcFontSet* sorted = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result)) {
        for (int i = 0; i < sorted->nfont; ++i) {
            FcLangSet* languages = nullptr;
            FcChar8* name = nullptr;
            if (FcPatternGetLangSet(sorted->fonts[i], FC_LANG, 0, &languages) == FcResultMatch &&
                FcLangSetHasLang(languages, fcText("ja")) == FcLangEqual &&
                FcPatternGetString(sorted->fonts[i], FC_FAMILY, 0, &name) == FcResultMatch) {
                const QString family = QString::fromUtf8(reinterpret_cast<const char*>(name));
                if (!families.contains(family))
                    families.append(family);
            }
        }
        FcFontSetDestroy(sorted);
    }
    FcPatternDestroy(pattern);
    return families;
}

// Measured, since many CJK faces do not declare their spacing to fontconfig.
bool isProportional(const QString& family)
{
    const QFontMetricsF metrics(QFont(family, 9));
    return metrics.horizontalAdvance(QLatin1Char('i')) != metrics.horizontalAdvance(QLatin1Char('W'));
}

} // namespace

QString japaneseFontFamily(const QString& preferred)
{
    if (QFontDatabase::hasFamily(preferred))
        return preferred;
    // The layouts were drawn with a proportional face; a fixed-pitch one cuts labels short.
    const QStringList families = japaneseFamiliesByCloseness(preferred);
    for (const QString& family : families) {
        if (isProportional(family))
            return family;
    }
    return families.value(0);
}

} // namespace quillwave::app
