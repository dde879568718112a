#pragma once
// The puzzle in progress, apart from any window: its grid and records, the
// decoded picture and the images cut from it, and the drag under way. The
// window keeps at most one, asks it to change, and draws what it says.
#include <QImage>
#include <QString>
#include <memory>

#include "game/interaction/play.h"
#include "game/interaction/random.h"
#include "game/model/puzzlemodel.h"
#include "game/model/settings.h"
#include "game/persist/statefile.h"
#include "game/render/bandworker.h"
#include "game/render/damage.h"
#include "game/render/draglayer.h"
#include "game/render/puzzleimages.h"

namespace pz {

// The play area a puzzle is cut for: its size in screen pixels and how many
// screen pixels make one layout pixel.
struct PlaySize {
    float width = 0, height = 0;
    double ratio = 1.0;
};

// What a change asks to be drawn again.
struct Redraw {
    enum Kind { Nothing, Parts, DragStep, Whole };
    Redraw(Kind k = Nothing) : kind(k) {}
    Kind kind;
    Damage damage;   // for Parts and DragStep
};

class PuzzleSession {
public:
    // A new session, or why there is none (the text to tell the player).
    struct Made {
        std::unique_ptr<PuzzleSession> session;
        QString refusal;
    };

    // A new cut of settings.NumberOfPieces pieces from a decoded picture, its
    // pieces not yet scattered. Nothing of the grid or cut is kept on
    // refusal: the picture is too small, the count has no grid, or the play
    // area is too small to cut.
    static Made FromPicture(QImage picture, const Settings& settings, PlaySize size);
    // A loaded state file's puzzle with its picture, cut for the play area
    // with the saved positions scaled to it. The refusal says why it cannot
    // be cut here.
    static Made FromState(LoadedState state, QImage picture, const std::string& stateFileName,
                          const Settings& settings, PlaySize size);

    // Scatters every piece as a one-piece group, the time back at 0.
    Redraw Scramble(PlaySize size, Random& rnd);
    // Places one loose group home; each lock is told to host.
    Redraw Hint(const Settings& settings, Random& rnd, PlacingHost& host);
    // Places every loose group home, bottom to top.
    Redraw Solve(const Settings& settings, PlacingHost& host);
    // Cuts again for a new play area, rescaling the positions; false, with
    // nothing changed, when it is too small to cut.
    bool Recut(const Settings& settings, PlaySize size);

    // The play area's mouse, in screen pixels. A press picks the top piece
    // under it (and raises its group) or the preview's caption bar; true
    // when it picked either.
    bool Press(const Settings& settings, const Surface& frame, double x, double y);
    Redraw Move(double x, double y, PlaySize size);
    // The end of a drag: the group dropped locks home, or joins what it meets.
    Redraw Release(const Settings& settings, PlacingHost& host, PlaySize size);
    // Whether a group or the preview is being dragged.
    bool Dragging() const;
    // Ends any drag where it stands; true when one was under way.
    bool EndDrag();

    // The whole frame into the back buffer; a drag under way goes on over it.
    void ComposeFrame(const Settings& settings, Surface& backBuffer, BandWorker* worker);
    // Only what a change asked for; the rectangles drawn, to be shown.
    std::vector<Rect> Compose(const Settings& settings, Surface& backBuffer, const Redraw& redraw);

    // The preview put back at its start, drawn again from the picture.
    void InitPreview(const Settings& settings, float playWidth);
    void ResetOutlineColors(int32_t fill) { pz::ResetOutlineColors(images_.Lines, fill); }
    void Tick() { ++m_.ElapsedSeconds; }
    // The state file's bytes; throws StateFileError.
    std::string State() const { return WriteState(grid_, m_); }
    // The same with another picture path in it (the kept puzzle's copy).
    std::string StateNaming(const std::string& picturePath) const;
    // Saves the state file whole or not at all, so that an existing file
    // survives a failed save; what went wrong, else empty.
    QString SaveTo(const QString& path) const;

    const Grid& grid() const { return grid_; }
    PuzzleModel& model() { return m_; }
    const PuzzleModel& model() const { return m_; }
    const PuzzleImages& images() const { return images_; }
    DrawCache& drawCache() { return drawCache_; }
    const QImage& Picture() const { return picture_; }

private:
    PuzzleSession() = default;
    int16_t DraggedGroup() const;

    Grid grid_;
    PuzzleModel m_;
    PuzzleImages images_;
    DrawCache drawCache_;
    DragLayer dragLayer_;   // the frame without the dragged group
    QImage picture_;        // the decoded picture, kept for re-cuts
};

}  // namespace pz
