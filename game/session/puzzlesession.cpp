#include "game/session/puzzlesession.h"

#include <QFileInfo>
#include <stdexcept>

#include "game/interaction/groups.h"
#include "game/interaction/hint.h"
#include "game/interaction/hittest.h"
#include "game/interaction/scatter.h"
#include "game/model/cutting.h"
#include "game/model/grid.h"
#include "game/render/preview.h"
#include "game/render/puzzlecut.h"
#include "platform/desktop/wholefile.h"

namespace pz {

PuzzleSession::Made PuzzleSession::FromPicture(QImage picture, const Settings& settings, PlaySize size) {
    if (IsTooSmallPicture(picture.width(), picture.height()))
        return {nullptr, QStringLiteral("Image must be at least 33 x 32 pixels")};
    std::unique_ptr<PuzzleSession> session(new PuzzleSession);
    Grid& g = session->grid_;
    PuzzleModel& m = session->m_;
    g.NumberOfPieces = settings.NumberOfPieces;
    SetDivisors(g);
    m.ImageWidth = int16_t(picture.width());
    m.ImageHeight = int16_t(picture.height());
    GridChoice grid;
    if (!ChooseGrid(g, m.ImageWidth, m.ImageHeight, grid))
        return {nullptr, QStringLiteral("%1 pieces cannot be laid out in a grid.").arg(g.NumberOfPieces)};
    g.NumColumns = grid.columns;
    g.NumRows = grid.rows;
    InitPieceRecords(g, m);
    m.View.PreviousWidth = size.width;   // the new cut belongs to this play area
    m.View.PreviousHeight = size.height;
    m.View.PixelRatio = size.ratio;
    try {
        session->images_ = CutPuzzleImages(settings, g, m, picture, size.width, size.height);
    } catch (const std::exception& e) {
        return {nullptr, QStringLiteral("The picture cannot be cut into %1 pieces at this window size (%2).")
                             .arg(g.NumberOfPieces)
                             .arg(QString::fromUtf8(e.what()))};
    }
    session->picture_ = std::move(picture);
    return {std::move(session), {}};
}

PuzzleSession::Made PuzzleSession::FromState(LoadedState state, QImage picture, const std::string& stateFileName,
                                             const Settings& settings, PlaySize size) {
    std::unique_ptr<PuzzleSession> session(new PuzzleSession);
    session->grid_ = std::move(state.grid);
    PuzzleModel& m = session->m_ = std::move(state.model);
    m.ImageWidth = int16_t(picture.width());
    m.ImageHeight = int16_t(picture.height());
    m.File.ImageFileName = state.ImageFileName;
    m.File.ImageName = QFileInfo(QString::fromStdString(state.ImageFileName)).fileName().toStdString();
    m.File.StateFileName = stateFileName;
    m.View.PreviousWidth = size.width;   // the positions are those of this play area
    m.View.PreviousHeight = size.height;
    m.View.PixelRatio = size.ratio;
    try {
        session->images_ = CutPuzzleImages(settings, session->grid_, m, picture, size.width, size.height);
        ScalePiecesPosition(m, size.width, size.height);
        AlignAllGroups(m, size.width, size.height);
    } catch (const std::exception& e) {
        return {nullptr, QStringLiteral("it cannot be cut at this window size (%1)").arg(QString::fromUtf8(e.what()))};
    }
    session->picture_ = std::move(picture);
    return {std::move(session), {}};
}

std::string PuzzleSession::StateNaming(const std::string& picturePath) const {
    PuzzleModel named = m_;
    named.File.ImageFileName = picturePath;
    return WriteState(grid_, named);
}

void PuzzleSession::Rename(const std::string& imageFileName, const std::string& imageName,
                           const std::string& stateFileName) {
    m_.File.ImageFileName = imageFileName;
    m_.File.ImageName = imageName;
    m_.File.StateFileName = stateFileName;
}

Redraw PuzzleSession::Scramble(PlaySize size, Random& rnd) {
    EndDrag();
    pz::Scramble(grid_, m_, size.width, size.height, rnd);
    return {Redraw::Whole};
}

void PuzzleSession::Lock(int16_t group, Outcome& done) {
    const Locked locked = SetGroupInPlace(grid_, m_, group);
    ++done.locks;
    if (locked.completed) {
        done.completed = true;
        done.seconds = locked.seconds;
    }
}

Outcome PuzzleSession::Hint(Random& rnd) {
    if (m_.GroupCount < 1) return {};
    const int16_t grp = ChooseHintGroup(m_, rnd);
    EndDrag();
    // The group is moved home by the lock itself; no step of its own.
    Outcome done{Redraw::Whole};
    Lock(grp, done);
    return done;
}

Outcome PuzzleSession::Solve() {
    EndDrag();
    const std::vector<int16_t> order(m_.GroupOrder.begin() + 1, m_.GroupOrder.begin() + 1 + m_.GroupCount);
    Outcome done{Redraw::Whole};
    for (int16_t grp : order) Lock(grp, done);
    return done;
}

bool PuzzleSession::Recut(const Settings& settings, PlaySize size) {
    PuzzleModel next = m_;
    next.View.PixelRatio = size.ratio;
    PuzzleImages imgs;
    try {
        imgs = CutPuzzleImages(settings, grid_, next, picture_, size.width, size.height);
    } catch (const std::exception&) {
        return false;   // too small to cut: the last cut stays as it is
    }
    if (!settings.ViewPreview) imgs.PreviewImage = std::move(images_.PreviewImage);
    ScalePiecesPosition(next, size.width, size.height);
    AlignAllGroups(next, size.width, size.height);
    m_ = std::move(next);
    images_ = std::move(imgs);
    m_.View.PreviousWidth = size.width;
    m_.View.PreviousHeight = size.height;
    return true;
}

int16_t PuzzleSession::DraggedGroup() const { return m_.Pieces[m_.SelectedPiece].Group; }

bool PuzzleSession::Dragging() const { return drag_.Preview || LiftedGroup() > 0; }

int16_t PuzzleSession::LiftedGroup() const {
    const bool picked = drag_.Group && m_.SelectedPiece >= 1 && m_.SelectedPiece <= grid_.NumberOfPieces &&
                        size_t(m_.SelectedPiece) < m_.Pieces.size();
    return picked ? DraggedGroup() : 0;
}

bool PuzzleSession::EndDrag() {
    const bool was = Dragging();
    drag_ = Drag();
    return was;
}

Redraw PuzzleSession::Press(const Settings& settings, double x, double y) {
    if (drag_.Group) return {};
    if (!drag_.Preview) {
        if (const int p = FindPieceAt(grid_, m_, x, y)) {
            m_.SelectedPiece = int16_t(p);
            ReOrderGroups(m_);
            drag_.Group = true;
            Redraw lift{Redraw::Lift};
            lift.group = m_.Pieces[p].Group;
            return lift;
        }
        // A hidden preview cannot be grabbed.
        if (settings.ViewPreview && OnPreviewCaption(m_, x, y)) drag_.Preview = true;
    }
    return {};
}

Redraw PuzzleSession::Move(double x, double y, PlaySize size) {
    Redraw r;
    if (!Dragging()) return r;
    // Only what the dragged group or the preview left and entered is drawn.
    if (drag_.Group) {
        const int16_t grp = DraggedGroup();
        r.damage.AddGroup(m_, grp);
        DragGroupTo(m_, x, y, size.width, size.height);
        r.damage.AddGroup(m_, grp);
        r.kind = Redraw::DragStep;
    } else {
        r.damage.AddPreview(m_);
        DragPreviewTo(m_, x, y, size.width, size.height);
        r.damage.AddPreview(m_);
        r.kind = Redraw::Parts;
    }
    return r;
}

Outcome PuzzleSession::Release(PlaySize size) {
    // Only a release that ends a drag places or joins anything: the
    // selection of an earlier drag may name a group merged away since.
    if (!Dragging() || drag_.Preview) {
        EndDrag();
        return {};
    }
    m_.SelectedGroup = DraggedGroup();
    // The press lifted the group without drawing it; it shows on top now,
    // with whatever the drop moved, joined or locked.
    const PuzzleModel before = m_;
    Outcome done{Redraw::Parts};
    done.redraw.damage.AddGroup(m_, m_.SelectedGroup);
    if (IsAtHome(m_, m_.SelectedPiece))
        Lock(m_.SelectedGroup, done);
    else
        JoinPass(grid_, m_, size.width, size.height);
    drag_ = Drag();
    if (m_.PuzzleComplete) {
        done.redraw = Redraw(Redraw::Whole);   // the home frame goes
        return done;
    }
    done.redraw.damage.AddChanges(before, m_);
    return done;
}

QString PuzzleSession::SaveTo(const QString& path) const {
    std::string bytes;
    try {
        bytes = State();
    } catch (const StateFileError& e) {
        return QString::fromStdString(e.message);
    }
    return desktop::WriteWholeFile(path, QByteArray::fromStdString(bytes));
}

void PuzzleSession::InitPreview(const Settings& settings, float playWidth) {
    if (picture_.isNull()) return;
    PlacePreview(settings, m_, playWidth);
    images_.PreviewImage = MakePreviewImage(picture_, m_);
}

}  // namespace pz
