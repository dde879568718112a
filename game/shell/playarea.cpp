#include "game/shell/playarea.h"

#include <QMouseEvent>
#include <QPainter>

namespace pz {

PlayArea::PlayArea(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
}

void PlayArea::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    const QImage* img = frame ? frame() : nullptr;
    if (img && !img->isNull()) {
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(e->rect().topLeft(), *img, e->rect());
        // Whatever the frame does not cover (a resize in progress).
        if (img->width() < width()) p.fillRect(img->width(), 0, width() - img->width(), height(), background());
        if (img->height() < height()) p.fillRect(0, img->height(), width(), height() - img->height(), background());
    } else {
        p.fillRect(rect(), background ? background() : palette().window().color());
    }
}

void PlayArea::resizeEvent(QResizeEvent*) {
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
