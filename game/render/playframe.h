#pragma once
// The play area's frame and everything it is drawn with: the back buffer,
// its view in the screen's own format, the draw cache, the layer under a
// dragged group and the second thread that composes half of a large frame.
#include <QImage>
#include <vector>

#include "game/model/settings.h"
#include "game/model/puzzlemodel.h"
#include "game/render/bandworker.h"
#include "game/render/damage.h"
#include "game/render/draglayer.h"
#include "game/render/puzzleimages.h"

namespace pz {

// What a frame is drawn of: a cut puzzle as it stands.
struct Scene {
    const Grid& grid;
    const PuzzleModel& model;
    const PuzzleImages& images;
};

// What a change asks to be drawn again.
struct Redraw {
    enum Kind {
        Nothing,
        Parts,      // the damage
        DragStep,   // the damage, over the layer under the dragged group
        Lift,       // nothing yet: the frame under the group picked is kept
        Whole
    };
    Redraw(Kind k = Nothing) : kind(k) {}
    Kind kind;
    Damage damage;      // Parts and DragStep
    int16_t group = 0;  // Lift: the group picked
};

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
