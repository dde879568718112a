#include "game/shell/playarea.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace pz {

namespace {
// The screen pixels under a rectangle of layout pixels, rounded outwards.
QRect DeviceRect(const QRect& r, double s) {
    const int x0 = int(std::floor(r.left() * s)), y0 = int(std::floor(r.top() * s));
    const int x1 = int(std::ceil((r.left() + r.width()) * s)), y1 = int(std::ceil((r.top() + r.height()) * s));
    return QRect(x0, y0, x1 - x0, y1 - y0);
}
}  // namespace

PlayArea::PlayArea(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    presentTimer_.setSingleShot(true);
    presentTimer_.setTimerType(Qt::PreciseTimer);
    connect(&presentTimer_, &QTimer::timeout, this, [this] { PresentPending(); });
}

QSize PlayArea::DeviceSize() const {
    const double s = Ratio();
    return QSize(int(std::lround(width() * s)), int(std::lround(height() * s)));
}

void PlayArea::Present(const std::vector<QRect>& deviceRects) {
    const double s = Ratio();
    for (const QRect& d : deviceRects) {
        const int x0 = int(std::floor(d.left() / s)), y0 = int(std::floor(d.top() / s));
        const int x1 = int(std::ceil((d.left() + d.width()) / s)), y1 = int(std::ceil((d.top() + d.height()) / s));
        pending_ += QRect(x0, y0, x1 - x0, y1 - y0);
    }
    if (pending_.isEmpty()) return;
    // About one presentation per refresh of the screen: the pointer often
    // moves faster than the screen shows, and the frame is always whole, so
    // a later presentation shows everything drawn since. A step is shown at
    // once when the next refresh is due before the next step is halfway
    // (steps are taken to come as far apart as the last two); otherwise it
    // waits for the next step, or one refresh if the pointer stops. Waking up
    // at the refresh to show each held step would cost about as much again as
    // showing it.
    const qint64 interval = RefreshInterval();
    const qint64 since = shown_.isValid() ? shown_.nsecsElapsed() : interval;
    const qint64 gap = std::min(stepped_.isValid() ? stepped_.nsecsElapsed() : interval, interval);
    stepped_.start();
    if (since + gap / 2 >= interval) {
        PresentPending();
    } else if (!presentTimer_.isActive()) {
        presentTimer_.start(int((interval + 999999) / 1000000));
    }
}

qint64 PlayArea::RefreshInterval() const {
    const QScreen* sc = screen();
    const double hz = sc ? sc->refreshRate() : 0;
    return qint64(1e9 / (hz >= 24 && hz <= 1000 ? hz : 60.0));
}

void PlayArea::PresentPending() {
    presentTimer_.stop();
    if (pending_.isEmpty()) return;
    // Shown as one rectangle the frame is copied row by row; a region of
    // several goes through the toolkit's general (threaded) path, which costs
    // more than copying a few more pixels.
    int64_t area = 0;
    for (const QRect& r : pending_) area += int64_t(r.width()) * r.height();
    const QRect box = pending_.boundingRect();
    const QRegion shown = int64_t(box.width()) * box.height() <= 2 * area ? QRegion(box) : pending_;
    pending_ = QRegion();
    shown_.start();
    repaint(shown);
}

void PlayArea::paintEvent(QPaintEvent* e) {
    const double s = Ratio();
    if (ratio_ != 0 && s != ratio_) {
        // Moved to a screen of another scale: the frame must be made again
        // at the new size in screen pixels.
        ratio_ = s;
        QTimer::singleShot(0, this, [this] {
            if (onResize) onResize();
        });
    }
    QPainter p(this);
    const QImage* img = frame ? frame() : nullptr;
    if (img && !img->isNull()) {
        p.setCompositionMode(QPainter::CompositionMode_Source);
        const QRect bounds(QPoint(0, 0), img->size());
        for (const QRect& r : e->region()) {
            // Screen pixels copied one to one.
            const QRect d = DeviceRect(r, s).intersected(bounds);
            if (d.isEmpty()) continue;
            p.drawImage(QRectF(d.left() / s, d.top() / s, d.width() / s, d.height() / s), *img, QRectF(d));
        }
        // Whatever the frame does not cover (a resize in progress).
        const double fw = img->width() / s, fh = img->height() / s;
        if (fw < width()) p.fillRect(QRectF(fw, 0, width() - fw, height()), background());
        if (fh < height()) p.fillRect(QRectF(0, fh, width(), height() - fh), background());
    } else {
        p.fillRect(rect(), background ? background() : palette().window().color());
    }
}

void PlayArea::resizeEvent(QResizeEvent*) {
    ratio_ = Ratio();
    if (onResize) onResize();
}

void PlayArea::mousePressEvent(QMouseEvent* e) {
    if (onPress) onPress(e);
}

void PlayArea::mouseMoveEvent(QMouseEvent* e) {
    if (onMove) onMove(e);
}

void PlayArea::mouseReleaseEvent(QMouseEvent* e) {
    if (onRelease) onRelease(e);
}

}  // namespace pz
