#include "game/interaction/groups.h"

#include <algorithm>
#include <utility>

#include "game/model/numbers.h"

namespace pz {

namespace {
// The last position of a group in the stacking order, 0 when absent.
int FindInOrder(const PuzzleModel& m, int16_t group) {
    for (int i = m.GroupCount; i >= 1; --i)
        if (m.GroupOrder[i] == group) return i;
    return 0;
}
}  // namespace

void RemoveGroup(PuzzleModel& m, int16_t group) {
    const int k = FindInOrder(m, group);
    if (k > 0) {
        for (int i = k; i < m.GroupCount; ++i) m.GroupOrder[i] = m.GroupOrder[i + 1];
        m.GroupCount = int16_t(m.GroupCount - 1);
        m.GroupOrder.resize(size_t(m.GroupCount) + 1);
    }
    GroupInfo& g = m.Groups[group];
    g.PieceCount = 0;
    g.PieceList.assign(1, 0);
}

void ReOrderGroups(PuzzleModel& m) {
    const int k = FindInOrder(m, m.Pieces[m.SelectedPiece].Group);
    if (k == 0) return;
    for (int i = k; i < m.GroupCount; ++i) std::swap(m.GroupOrder[i], m.GroupOrder[i + 1]);
}

void SetPieceGroup(PuzzleModel& m, int16_t n) {
    const int16_t old = m.SelectedGroup;
    const int16_t ng = m.Pieces[n].Group;
    GroupInfo& target = m.Groups[ng];
    const int count = m.Groups[old].PieceCount;
    for (int j = 1; j <= count; ++j) {
        const int16_t q = m.Groups[old].PieceList[j];
        target.PieceCount = Add16(target.PieceCount, 1);
        target.PieceList.resize(size_t(target.PieceCount) + 1);
        target.PieceList[target.PieceCount] = q;
        // One backward pass keeps the list ascending.
        for (int k = target.PieceCount; k >= 2; --k)
            if (target.PieceList[k] < target.PieceList[k - 1])
                std::swap(target.PieceList[k], target.PieceList[k - 1]);
        m.Pieces[q].Group = ng;
    }
    SetGroupEdges(m, ng);
    RemoveGroup(m, old);
    ReOrderGroups(m);
}

void AlignGroup(PuzzleModel& m, int16_t group, double scaleWidth, double scaleHeight) {
    const GroupInfo& g = m.Groups[group];
    if (g.PieceCount < 2) return;
    PieceInfo& a = m.Pieces[g.PieceList[1]];
    const int16_t W = m.PieceWidth, H = m.PieceHeight;

    const int16_t left = Mul16(Sub16(a.Column, g.LeftColumn), W);
    if (left >= a.X) a.X = left;
    // Measures bodies, not images: the rightmost body ends at the edge.
    const int16_t right = Mul16(Add16(Sub16(g.RightColumn, a.Column), 1), W);
    if (scaleWidth - a.X <= right) a.X = CLng(scaleWidth - right);
    const int16_t top = Mul16(Sub16(a.Row, g.TopRow), H);
    if (top >= a.Y) a.Y = top;
    const int16_t bottom = Mul16(Add16(Sub16(g.BottomRow, a.Row), 1), H);
    if (scaleHeight - a.Y <= bottom) a.Y = CLng(scaleHeight - bottom);

    for (int k = 2; k <= g.PieceCount; ++k) {
        PieceInfo& q = m.Pieces[g.PieceList[k]];
        q.X = int32_t(Mul16(Sub16(q.Column, a.Column), W)) + a.X;
        q.Y = int32_t(Mul16(Sub16(q.Row, a.Row), H)) + a.Y;
    }
}

void AlignAllGroups(PuzzleModel& m, double scaleWidth, double scaleHeight) {
    for (int i = 1; i <= m.GroupCount; ++i) {
        const int16_t g = m.GroupOrder[i];
        if (!m.Groups[g].InPlace) AlignGroup(m, g, scaleWidth, scaleHeight);
    }
}

}  // namespace pz
