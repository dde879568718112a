#pragma once
// The play area's frame and everything it is drawn with: the back buffer,
// its view in the screen's own format, the draw cache, the layer under a
// dragged group and the second thread that composes half of a large frame.
#include <QImage>
#include <vector>

#include "game/model/settings.h"
#include "game/model/puzzlemodel.h"
#include "game/render/bandworker.h"
#include "game/render/draglayer.h"
#include "game/render/redraw.h"

namespace pz {

class PlayFrame {
public:
    // A new back buffer of the play area's size in screen pixels, blank.
    void Resize(int width, int height, double ratio);
    void Release();
    bool IsNull() const { return back_.IsNull(); }
    const Surface& Buffer() const { return back_; }
    // The back buffer's pixels as the screen's own opaque format, so that
    // presenting is a plain copy rather than a conversion.
    const QImage& View() const { return view_; }

    // The whole frame; a group being dragged (dragged > 0) goes on being
    // dragged over it.
    void Whole(const Settings& s, const Scene& scene, int dragged);
    // Only what a change asked for; the rectangles drawn, to be shown.
    std::vector<Rect> Draw(const Settings& s, const Scene& scene, const Redraw& redraw);
    // The drag is over (or its puzzle gone): nothing is drawn over the layer.
    void EndDrag() { drag_.End(); }
    // The preview's caption bar as frames copy it.
    const Surface& CaptionBar() const { return cache_.CaptionBar(); }

private:
    Surface back_;
    QImage view_;
    DrawCache cache_;
    DragLayer drag_;   // the frame without the dragged group
    BandWorker worker_;
};

}  // namespace pz
