#pragma once
// The puzzle in progress, apart from any window: its grid and records, the
// decoded picture and the images cut from it, and the drag under way. The
// window keeps at most one, asks it to change, and acts on what it answers.
#include <QImage>
#include <QString>
#include <memory>

#include "game/interaction/play.h"
#include "game/interaction/random.h"
#include "game/model/puzzlemodel.h"
#include "game/model/settings.h"
#include "game/persist/statefile.h"
#include "game/render/puzzleimages.h"
#include "game/render/redraw.h"

namespace pz {

// The play area a puzzle is cut for: its size in screen pixels and how many
// screen pixels make one layout pixel.
struct PlaySize {
    float width = 0, height = 0;
    double ratio = 1.0;
};

// What an operation did, for the game around it to act on: what to draw
// again, how many groups it locked home and whether the last of them
// completed the puzzle (and in what time). Nothing above the session is
// called while an operation runs.
struct Outcome {
    Outcome(Redraw r = {}) : redraw(std::move(r)) {}
    Redraw redraw;
    int16_t locks = 0;
    bool completed = false;
    int32_t seconds = 0;   // completed: the time it took; the clock is at 0 again
};

namespace test {
struct SessionAccess;
}

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
    // Places one loose group home.
    Outcome Hint(Random& rnd);
    // Places every loose group home, bottom to top.
    Outcome Solve();
    // Cuts again for a new play area, rescaling the positions; false, with
    // nothing changed, when it is too small to cut.
    bool Recut(const Settings& settings, PlaySize size);

    // The play area's mouse, in screen pixels. A press picks the top piece
    // under it (and raises its group: a Lift) or the preview's caption bar.
    Redraw Press(const Settings& settings, double x, double y);
    Redraw Move(double x, double y, PlaySize size);
    // The end of a drag: the group dropped locks home, or joins what it meets.
    Outcome Release(PlaySize size);
    // Whether a group or the preview is being dragged.
    bool Dragging() const;
    // The group being dragged, 0 when none is.
    int16_t LiftedGroup() const;
    // Ends any drag where it stands; true when one was under way.
    bool EndDrag();

    // What the frame is drawn of.
    Scene scene() const { return {grid_, m_, images_}; }

    // The preview put back at its start, drawn again from the picture.
    void InitPreview(const Settings& settings, float playWidth);
    void ResetOutlineColors(int32_t fill) { pz::ResetOutlineColors(images_.Lines, fill); }
    void Tick() { ++m_.File.ElapsedSeconds; }
    // The names the puzzle is known by (those of the puzzle it replaces, or
    // the picture just opened); the time stays.
    void Rename(const std::string& imageFileName, const std::string& imageName, const std::string& stateFileName);
    // The state file's bytes; throws StateFileError.
    std::string State() const { return WriteState(grid_, m_); }
    // The same with another picture path in it (the kept puzzle's copy).
    std::string StateNaming(const std::string& picturePath) const;
    // Saves the state file whole or not at all, so that an existing file
    // survives a failed save; what went wrong, else empty.
    QString SaveTo(const QString& path) const;

    const Grid& grid() const { return grid_; }
    const PuzzleModel& model() const { return m_; }
    const PuzzleImages& images() const { return images_; }
    const QImage& Picture() const { return picture_; }

private:
    friend struct test::SessionAccess;   // tests lay pieces out directly
    PuzzleSession() = default;
    int16_t DraggedGroup() const;
    // Locks a group home and adds it to what the operation did.
    void Lock(int16_t group, Outcome& done);

    Grid grid_;
    PuzzleModel m_;
    PuzzleImages images_;
    Drag drag_;
    QImage picture_;        // the decoded picture, kept for re-cuts
};

}  // namespace pz
