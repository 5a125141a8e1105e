#include "app/dialog_units.h"

#include <QFontMetrics>

namespace quillwave::app {
namespace {

// units × base / divisor, rounded half up: a layout coordinate is never negative.
int scale(int units, int base, int divisor) { return (units * base + divisor / 2) / divisor; }

} // namespace

DialogUnits DialogUnits::forFont(const QFont& font)
{
    const QFontMetrics metrics(font);
    // The average width is taken over the Latin letters, rounded to whole pixels.
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return DialogUnits((letters / 26 + 1) / 2, metrics.height());
}

int DialogUnits::toPixelsX(int units) const { return scale(units, baseX_, 4); }

int DialogUnits::toPixelsY(int units) const { return scale(units, baseY_, 8); }

QRect DialogUnits::toPixels(int x, int y, int width, int height) const
{
    // The corners are converted, not the size, so controls that meet in units meet in pixels.
    const int left = toPixelsX(x);
    const int top = toPixelsY(y);
    return QRect(left, top, toPixelsX(x + width) - left, toPixelsY(y + height) - top);
}

QSize DialogUnits::toPixels(int width, int height) const { return QSize(toPixelsX(width), toPixelsY(height)); }

} // namespace quillwave::app
