#pragma once
#include <QAbstractScrollArea>
#include <functional>

namespace quillwave::app {

// The result's picture, zoomable in time: the wheel and +/− zoom about the pointer (or the
// middle), the scroll bar moves along, a click asks to seek, and the playhead shows where
// playing is. Times are in seconds of the input.
class ResultView final : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit ResultView(QWidget* parent = nullptr);

    void setDuration(double seconds);
    double duration() const { return duration_; }

    // 1 shows the whole input; each step doubles or halves it.
    double zoom() const { return zoom_; }
    void setZoom(double zoom, double anchorSeconds);
    void zoomIn();
    void zoomOut();
    static constexpr double kMaxZoom = 256.0;

    void setPlayhead(double seconds);
    double playhead() const { return playhead_; }

    // Where the time axis lies in the viewport, and the time at a point of it.
    QRect plotArea() const;
    double secondsAt(double x) const;
    double xAt(double seconds) const;
    // The first and last second that are in view.
    double firstVisible() const;
    double lastVisible() const;

signals:
    void seekRequested(double seconds);
    // The pointer over the picture at this time and height (0 at the bottom, 1 at the top of
    // the plot area), or left it (seconds < 0).
    void hovered(double seconds, double height);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void updateScrollBar();
    double pixelsPerSecond() const;

    double duration_ = 0.0;
    double zoom_ = 1.0;
    double playhead_ = 0.0;
};

} // namespace quillwave::app
