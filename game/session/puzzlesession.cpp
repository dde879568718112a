#include "game/session/puzzlesession.h"

#include <QFileInfo>
#include <stdexcept>

#include "game/interaction/groups.h"
#include "game/interaction/hint.h"
#include "game/interaction/hittest.h"
#include "game/interaction/scatter.h"
#include "game/model/cutting.h"
#include "game/model/grid.h"
#include "game/render/compose.h"
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
    m.PreviousWidth = size.width;   // the new cut belongs to this play area
    m.PreviousHeight = size.height;
    m.PixelRatio = size.ratio;
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
    m.ImageFileName = state.ImageFileName;
    m.ImageName = QFileInfo(QString::fromStdString(state.ImageFileName)).fileName().toStdString();
    m.StateFileName = stateFileName;
    m.PreviousWidth = size.width;   // the positions are those of this play area
    m.PreviousHeight = size.height;
    m.PixelRatio = size.ratio;
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
    named.ImageFileName = picturePath;
    return WriteState(grid_, named);
}

Redraw PuzzleSession::Scramble(PlaySize size, Random& rnd) {
    EndDrag();
    pz::Scramble(grid_, m_, size.width, size.height, rnd);
    return {Redraw::Whole};
}

Redraw PuzzleSession::Hint(const Settings& settings, Random& rnd, PlacingHost& host) {
    if (m_.GroupCount < 1) return {};
    const int16_t grp = ChooseHintGroup(m_, rnd);
    EndDrag();
    MoveGroupToPlace(m_, grp);
    SetGroupInPlace(grid_, m_, grp, settings.TimePuzzle, host);
    return {Redraw::Whole};
}

Redraw PuzzleSession::Solve(const Settings& settings, PlacingHost& host) {
    EndDrag();
    const std::vector<int16_t> order(m_.GroupOrder.begin() + 1, m_.GroupOrder.begin() + 1 + m_.GroupCount);
    for (int16_t grp : order) SetGroupInPlace(grid_, m_, grp, settings.TimePuzzle, host);
    return {Redraw::Whole};
}

bool PuzzleSession::Recut(const Settings& settings, PlaySize size) {
    PuzzleModel next = m_;
    next.PixelRatio = size.ratio;
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
    m_.PreviousWidth = size.width;
    m_.PreviousHeight = size.height;
    dragLayer_.Release();   // a frame of the old size; the next whole frame makes it again
    return true;
}

int16_t PuzzleSession::DraggedGroup() const { return m_.Pieces[m_.SelectedPiece].Group; }

bool PuzzleSession::Dragging() const {
    if (m_.DraggingPreview) return true;
    return m_.DraggingGroup && m_.SelectedPiece >= 1 && m_.SelectedPiece <= grid_.NumberOfPieces &&
           size_t(m_.SelectedPiece) < m_.Pieces.size() && DraggedGroup() > 0;
}

bool PuzzleSession::EndDrag() {
    const bool was = Dragging();
    m_.DraggingGroup = false;
    m_.DraggingPreview = false;
    dragLayer_.End();
    return was;
}

bool PuzzleSession::Press(const Settings& settings, const Surface& frame, double x, double y) {
    if (m_.DraggingGroup) return false;
    if (!m_.DraggingPreview) {
        if (const int p = FindPieceAt(grid_, m_, x, y)) {
            m_.SelectedPiece = int16_t(p);
            ReOrderGroups(m_);
            m_.DraggingGroup = true;
            dragLayer_.Begin(settings, grid_, m_, images_, drawCache_, frame, m_.Pieces[p].Group);
            return true;
        }
    }
    // A hidden preview cannot be grabbed.
    if (!m_.DraggingPreview && settings.ViewPreview && OnPreviewCaption(m_, x, y)) {
        m_.DraggingPreview = true;
        return true;
    }
    return false;
}

Redraw PuzzleSession::Move(double x, double y, PlaySize size) {
    Redraw r;
    if (!Dragging()) return r;
    // Only what the dragged group or the preview left and entered is drawn.
    if (m_.DraggingGroup) {
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

Redraw PuzzleSession::Release(const Settings& settings, PlacingHost& host, PlaySize size) {
    // Only a release that ends a drag places or joins anything: the
    // selection of an earlier drag may name a group merged away since.
    if (!Dragging() || m_.DraggingPreview) {
        EndDrag();
        return {};
    }
    m_.SelectedGroup = DraggedGroup();
    // The press lifted the group without drawing it; it shows on top now,
    // with whatever the drop moved, joined or locked.
    const PuzzleModel before = m_;
    Redraw r{Redraw::Parts};
    r.damage.AddGroup(m_, m_.SelectedGroup);
    if (IsAtHome(m_, m_.SelectedPiece))
        SetGroupInPlace(grid_, m_, m_.SelectedGroup, settings.TimePuzzle, host);
    else
        JoinPass(grid_, m_, size.width, size.height);
    m_.DraggingGroup = false;
    dragLayer_.End();
    if (m_.PuzzleComplete) return {Redraw::Whole};   // the home frame goes
    r.damage.AddChanges(before, m_);
    return r;
}

void PuzzleSession::ComposeFrame(const Settings& settings, Surface& bb, BandWorker* worker) {
    pz::ComposeFrame(settings, grid_, m_, images_, drawCache_, bb, worker);
    // A frame made again in the middle of a drag (a resize) is what the rest
    // of the drag is drawn over.
    if (m_.DraggingGroup && Dragging())
        dragLayer_.Begin(settings, grid_, m_, images_, drawCache_, bb, DraggedGroup());
    else
        dragLayer_.End();
}

std::vector<Rect> PuzzleSession::Compose(const Settings& settings, Surface& bb, const Redraw& redraw) {
    const std::vector<Rect> rects = redraw.damage.Rects(bb.Width(), bb.Height());
    if (redraw.kind == Redraw::DragStep)
        dragLayer_.Compose(settings, grid_, m_, images_, drawCache_, bb, rects);
    else
        ComposeRects(settings, grid_, m_, images_, drawCache_, bb, rects);
    return rects;
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
