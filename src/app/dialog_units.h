#pragma once
#include <QFont>
#include <QRect>

namespace quillwave::app {

// The windows are laid out in dialog units: a quarter of the font's average character width
// across and an eighth of its height down, so the whole layout scales with the font.
class DialogUnits {
public:
    DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}
    static DialogUnits forFont(const QFont& font);

    int baseX() const { return baseX_; }
    int baseY() const { return baseY_; }
    int toPixelsX(int units) const;
    int toPixelsY(int units) const;
    QRect toPixels(int x, int y, int width, int height) const;
    QSize toPixels(int width, int height) const;

private:
    int baseX_;
    int baseY_;
};

} // namespace quillwave::app
