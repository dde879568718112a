#include "game/model/puzzlemodel.h"

namespace pz {

void PuzzleModel::ShrinkLists() {
    Pieces.assign(1, PieceInfo{});
    Groups.assign(1, GroupInfo{});
    PiecesInPlace.assign(1, 0);
    GroupOrder.assign(1, 0);
}

void ClearSettings(const Grid& g, PuzzleModel& m) {
    const int n = g.NumberOfPieces;
    m.GroupCount = n;
    m.File.ElapsedSeconds = 0;
    m.GroupOrder.assign(n > 0 ? n + 1 : 1, 0);
    m.GroupOrderSize = n;
    m.InPlaceCount = 0;
    m.PiecesInPlace.assign(1, 0);
    m.SelectedPiece = 0;
    m.PuzzleComplete = false;
    if (n < 1) return;
    if (m.Pieces.size() < size_t(n) + 1) m.Pieces.resize(n + 1);
    if (m.Groups.size() < size_t(n) + 1) m.Groups.resize(n + 1);
    for (int16_t p = 1; p <= n; ++p) {
        PieceInfo& pc = m.Pieces[p];
        pc.BottomJoined = pc.TopJoined = pc.LeftJoined = pc.RightJoined = false;
        pc.Group = p;
        GroupInfo& gr = m.Groups[p];
        gr.PieceList.assign(2, 0);
        gr.PieceCount = 1;
        gr.PieceList[1] = p;
        m.GroupOrder[p] = p;
        SetGroupEdges(m, p);
    }
}

void SetGroupEdges(PuzzleModel& m, int16_t group) {
    GroupInfo& gr = m.Groups[group];
    const PieceInfo& f = m.Pieces[gr.PieceList[1]];
    gr.TopRow = gr.BottomRow = f.Row;
    gr.LeftColumn = gr.RightColumn = f.Column;
    for (int k = 2; k <= gr.PieceCount; ++k) {
        const PieceInfo& q = m.Pieces[gr.PieceList[k]];
        if (q.Row < gr.TopRow) gr.TopRow = q.Row;
        if (q.Row > gr.BottomRow) gr.BottomRow = q.Row;
        if (q.Column < gr.LeftColumn) gr.LeftColumn = q.Column;
        if (q.Column > gr.RightColumn) gr.RightColumn = q.Column;
    }
}

}  // namespace pz
