#include "game/render/playframe.h"

#include "game/render/compose.h"

namespace pz {

void PlayFrame::Resize(int width, int height, double ratio) {
    view_ = QImage();
    back_ = Surface(width, height);
    back_.SetDevicePixelRatio(ratio);
    drag_.Release();   // a frame of the old size
    // Every pixel of the back buffer is opaque: the same bytes read as RGB32.
    const QImage& img = back_.Image();
    if (!img.isNull())
        view_ = QImage(img.constBits(), img.width(), img.height(), img.bytesPerLine(), QImage::Format_RGB32);
    view_.setDevicePixelRatio(ratio);
}

void PlayFrame::Release() {
    view_ = QImage();
    back_ = Surface();
    drag_.Release();
}

void PlayFrame::Whole(const Settings& s, const Scene& scene, int dragged) {
    if (back_.IsNull()) return;
    ComposeFrame(s, scene.grid, scene.model, scene.images, cache_, back_, &worker_);
    // A frame made again in the middle of a drag (a resize) is what the rest
    // of the drag is drawn over.
    if (dragged > 0)
        drag_.Begin(s, scene.grid, scene.model, scene.images, cache_, back_, dragged);
    else
        drag_.End();
}

std::vector<Rect> PlayFrame::Draw(const Settings& s, const Scene& scene, const Redraw& redraw) {
    if (back_.IsNull()) return {};
    switch (redraw.kind) {
    case Redraw::Nothing:
        return {};
    case Redraw::Whole:
        Whole(s, scene, 0);
        return {Rect{0, 0, back_.Width(), back_.Height()}};
    case Redraw::Lift:
        // The group picked shows as it was; the layer under it is made now,
        // so that every step of the drag is a copy.
        drag_.Begin(s, scene.grid, scene.model, scene.images, cache_, back_, redraw.group);
        return {};
    case Redraw::DragStep: {
        const std::vector<Rect> rects = redraw.damage.Rects(back_.Width(), back_.Height());
        drag_.Compose(s, scene.grid, scene.model, scene.images, cache_, back_, rects);
        return rects;
    }
    case Redraw::Parts:
        break;
    }
    const std::vector<Rect> rects = redraw.damage.Rects(back_.Width(), back_.Height());
    ComposeRects(s, scene.grid, scene.model, scene.images, cache_, back_, rects);
    return rects;
}

}  // namespace pz
