#include "app/result_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace quillwave::app {

ResultView::ResultView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::CrossCursor);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
}

void ResultView::setDuration(double seconds)
{
    duration_ = std::max(0.0, seconds);
    updateScrollBar();
    viewport()->update();
}

QRect ResultView::plotArea() const { return viewport()->rect(); }

double ResultView::pixelsPerSecond() const
{
    return duration_ > 0.0 ? plotArea().width() * zoom_ / duration_ : 0.0;
}

double ResultView::secondsAt(double x) const
{
    const double pps = pixelsPerSecond();
    if (pps <= 0.0)
        return 0.0;
    return (x - plotArea().left() + horizontalScrollBar()->value()) / pps;
}

double ResultView::xAt(double seconds) const
{
    return plotArea().left() + seconds * pixelsPerSecond() - horizontalScrollBar()->value();
}

double ResultView::firstVisible() const { return secondsAt(plotArea().left()); }
double ResultView::lastVisible() const { return secondsAt(plotArea().left() + plotArea().width()); }

void ResultView::updateScrollBar()
{
    const int width = plotArea().width();
    const int total = static_cast<int>(std::lround(width * zoom_));
    QScrollBar* bar = horizontalScrollBar();
    bar->setRange(0, std::max(0, total - width));
    bar->setPageStep(width);
    bar->setSingleStep(std::max(1, width / 20));
}

void ResultView::setZoom(double zoom, double anchorSeconds)
{
    zoom = std::clamp(zoom, 1.0, kMaxZoom);
    // The anchor stays under the same pixel.
    const double anchorX = xAt(anchorSeconds);
    zoom_ = zoom;
    updateScrollBar();
    const double offset = anchorSeconds * pixelsPerSecond() - (anchorX - plotArea().left());
    horizontalScrollBar()->setValue(static_cast<int>(std::lround(offset)));
    viewport()->update();
}

void ResultView::zoomIn() { setZoom(zoom_ * 2.0, (firstVisible() + lastVisible()) / 2.0); }
void ResultView::zoomOut() { setZoom(zoom_ / 2.0, (firstVisible() + lastVisible()) / 2.0); }

void ResultView::setPlayhead(double seconds)
{
    if (seconds == playhead_)
        return;
    const QRect old(static_cast<int>(xAt(playhead_)) - 2, 0, 5, viewport()->height());
    playhead_ = seconds;
    viewport()->update(old);
    viewport()->update(QRect(static_cast<int>(xAt(playhead_)) - 2, 0, 5, viewport()->height()));
}

void ResultView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().base());
    const double x = xAt(playhead_);
    painter.setPen(QPen(palette().highlight().color(), 2));
    painter.drawLine(QPointF(x, 0), QPointF(x, viewport()->height()));
}

void ResultView::resizeEvent(QResizeEvent* event)
{
    const double first = firstVisible();
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
    horizontalScrollBar()->setValue(static_cast<int>(std::lround(first * pixelsPerSecond())));
}

void ResultView::wheelEvent(QWheelEvent* event)
{
    const QPoint delta = event->angleDelta();
    // A sideways wheel (or Shift with the wheel) scrolls; the plain wheel zooms.
    if (delta.x() != 0 || (event->modifiers() & Qt::ShiftModifier)) {
        const int steps = (delta.x() != 0 ? delta.x() : delta.y()) / 120;
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - steps * horizontalScrollBar()->singleStep());
    } else if (delta.y() != 0) {
        setZoom(zoom_ * std::pow(2.0, delta.y() / 120.0), secondsAt(event->position().x()));
    }
    event->accept();
}

void ResultView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomIn();
        break;
    case Qt::Key_Minus:
        zoomOut();
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void ResultView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && plotArea().contains(event->position().toPoint()) && duration_ > 0.0) {
        emit seekRequested(std::clamp(secondsAt(event->position().x()), 0.0, duration_));
        event->accept();
        return;
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void ResultView::mouseMoveEvent(QMouseEvent* event)
{
    const QRect area = plotArea();
    const QPointF p = event->position();
    if (area.contains(p.toPoint()) && duration_ > 0.0)
        emit hovered(secondsAt(p.x()), (area.bottom() - p.y()) / std::max(1, area.height() - 1));
    else
        emit hovered(-1.0, 0.0);
    QAbstractScrollArea::mouseMoveEvent(event);
}

void ResultView::leaveEvent(QEvent* event)
{
    emit hovered(-1.0, 0.0);
    QAbstractScrollArea::leaveEvent(event);
}

} // namespace quillwave::app
