#include "game/shell/playarea.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>

namespace pz {

namespace {
// The whole pixels under a rectangle whose corners map goes through,
// rounded outwards.
template <class Map>
QRect Outward(const QRect& r, Map map) {
    const QPointF a = map(QPointF(r.topLeft())), b = map(QPointF(r.left() + r.width(), r.top() + r.height()));
    const int x0 = int(std::floor(a.x())), y0 = int(std::floor(a.y()));
    return QRect(x0, y0, int(std::ceil(b.x())) - x0, int(std::ceil(b.y())) - y0);
}
}  // namespace

PlayArea::PlayArea(QWidget* parent) : QWidget(parent) {
    clock = [] {
        return qint64(std::chrono::duration_cast<std::chrono::nanoseconds>(
                          std::chrono::steady_clock::now().time_since_epoch())
                          .count());
    };
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    presentTimer_.setSingleShot(true);
    presentTimer_.setTimerType(Qt::PreciseTimer);
    connect(&presentTimer_, &QTimer::timeout, this, [this] { PresentPending(); });
}

QPointF PlayArea::InWindow() const { return QPointF(mapTo(window(), QPoint(0, 0))); }

QPointF PlayArea::DeviceOrigin() const {
    const QPointF o = InWindow() * Ratio();
    return QPointF(qRound(o.x()), qRound(o.y()));
}

QPointF PlayArea::ToDevice(const QPointF& layout) const { return (layout + InWindow()) * Ratio() - DeviceOrigin(); }

QPointF PlayArea::ToLayout(const QPointF& device) const { return (device + DeviceOrigin()) / Ratio() - InWindow(); }

QSize PlayArea::DeviceSize() const {
    const QPointF end = ToDevice(QPointF(width(), height()));
    return QSize(qRound(end.x()), qRound(end.y()));
}

void PlayArea::Present(const std::vector<QRect>& deviceRects) {
    for (const QRect& d : deviceRects) pending_ += Outward(d, [this](const QPointF& q) { return ToLayout(q); });
    if (pending_.isEmpty()) return;
    // About one presentation per refresh of the screen: the pointer often
    // moves faster than the screen shows, and the frame is always whole, so
    // a later presentation shows everything drawn since. A step is shown at
    // once when the next refresh is due before the next step is halfway
    // (steps are taken to come as far apart as the last two); otherwise it
    // waits for the next step, or one refresh if the pointer stops. Waking up
    // at the refresh to show each held step would cost about as much again as
    // showing it.
    const qint64 interval = RefreshInterval(), now = clock();
    const qint64 since = shownAt_ == kNever ? interval : now - shownAt_;
    const qint64 gap = std::min(steppedAt_ == kNever ? interval : now - steppedAt_, interval);
    steppedAt_ = now;
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
    shownAt_ = clock();
    repaint(shown);
}

void PlayArea::paintEvent(QPaintEvent* e) {
    const QImage* img = frame ? frame() : nullptr;
    // Shown one to one, a frame of another size or scale would be the wrong
    // size on screen: it is made again first. Nothing is shown while the
    // window is minimised, so that waits for the next paint.
    if (img && !img->isNull() && !Fits(*img) && onResize) {
        onResize();
        img = frame();
    }
    QPainter p(this);
    if (img && !img->isNull()) {
        p.setCompositionMode(QPainter::CompositionMode_Source);
        const QRect bounds(QPoint(0, 0), img->size());
        for (const QRect& r : e->region()) {
            // Screen pixels copied one to one.
            const QRect d = Outward(r, [this](const QPointF& q) { return ToDevice(q); }).intersected(bounds);
            if (d.isEmpty()) continue;
            const QPointF end(d.left() + d.width(), d.top() + d.height());
            p.drawImage(QRectF(ToLayout(d.topLeft()), ToLayout(end)), *img, QRectF(d));
        }
        // Whatever the frame does not cover (one kept while minimised).
        const QPointF end = ToLayout(QPointF(img->width(), img->height()));
        if (end.x() < width()) p.fillRect(QRectF(end.x(), 0, width() - end.x(), height()), background());
        if (end.y() < height()) p.fillRect(QRectF(0, end.y(), width(), height() - end.y()), background());
    } else {
        p.fillRect(rect(), background ? background() : palette().window().color());
    }
    if (!notice_.isEmpty()) {
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        const QRect box = NoticeBox();
        p.fillRect(box, palette().toolTipBase());
        p.setPen(palette().toolTipText().color());
        p.drawText(box, Qt::AlignCenter, notice_);
    }
}

QRect PlayArea::NoticeBox() const {
    const QFontMetrics fm(font());
    const int w = std::min(width(), fm.horizontalAdvance(notice_) + 2 * fm.height());
    const int h = fm.height() * 2;
    return QRect(0, std::max(0, height() - h), w, h);
}

void PlayArea::SetNotice(const QString& text) {
    if (text == notice_) return;
    if (!notice_.isEmpty()) update(NoticeBox());   // what it covered
    notice_ = text;
    if (!notice_.isEmpty()) update(NoticeBox());
}

void PlayArea::resizeEvent(QResizeEvent*) {
    if (onResize) onResize();
}

void PlayArea::Mouse(const std::function<void(int, QPointF)>& to, QMouseEvent* e) const {
    if (!to) return;
    int button = 0;
    switch (e->button()) {
        case Qt::LeftButton: button = 1; break;
        case Qt::RightButton: button = 2; break;
        case Qt::MiddleButton: button = 4; break;
        default: break;
    }
    to(button, ToDevice(e->position()));
}

void PlayArea::mousePressEvent(QMouseEvent* e) { Mouse(onPress, e); }

void PlayArea::mouseMoveEvent(QMouseEvent* e) { Mouse(onMove, e); }

void PlayArea::mouseReleaseEvent(QMouseEvent* e) { Mouse(onRelease, e); }

}  // namespace pz
