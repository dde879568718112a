#include "game/model/invariants.h"

#include <algorithm>
#include <vector>

namespace pz {
namespace {

std::optional<InvariantFailure> Fail(int n, std::string msg) {
    return InvariantFailure{n, std::move(msg)};
}

std::string P(int p) { return "piece " + std::to_string(p); }

}  // namespace

std::optional<InvariantFailure> CheckInvariants(const Globals& g, const PuzzleModel& m,
                                                bool checkGeometry) {
    const long n = g.NumberOfPieces;
    const long cols = g.NumColumns, rows = g.NumRows;
    if (n < 1 || cols < 1 || rows < 1 || cols * rows != n)
        return Fail(1, "grid " + std::to_string(cols) + " x " + std::to_string(rows) +
                           " does not hold " + std::to_string(n) + " pieces");
    if (m.Pieces.size() < size_t(n) + 1 || m.Groups.size() < size_t(n) + 1)
        return Fail(1, "piece or group list shorter than the number of pieces");

    for (long p = 1; p <= n; ++p) {
        const PieceInfo& pc = m.Pieces[p];
        if (pc.Column != (p - 1) % cols || pc.Row != (p - 1) / cols)
            return Fail(2, P(p) + " is not in its grid cell");
    }

    if (checkGeometry) {
        const long W = m.PieceWidth, H = m.PieceHeight;
        for (long p = 1; p <= n; ++p) {
            const PieceInfo& pc = m.Pieces[p];
            RectL r{int32_t(pc.Column * W), int32_t(pc.Row * H), int32_t(pc.Column * W + W),
                    int32_t(pc.Row * H + H)};
            if (!(pc.ImageRect == r)) return Fail(3, P(p) + " has a wrong body rectangle");
            if (pc.HomeX != pc.Column * W + m.PuzzleLeft + 1 - m.MarginX ||
                pc.HomeY != pc.Row * H + m.PuzzleTop + 1 - m.MarginY)
                return Fail(4, P(p) + " has a wrong home position");
        }
    }

    for (long p = 1; p <= n; ++p) {
        const PieceInfo& pc = m.Pieces[p];
        const bool even = (pc.Row + pc.Column) % 2 == 0;
        const bool firstRow = pc.Row == 0, lastRow = pc.Row == rows - 1;
        const bool firstCol = pc.Column == 0, lastCol = pc.Column == cols - 1;
        bool ok = even ? (pc.LeftOut && pc.RightOut && pc.TopOut == firstRow &&
                          pc.BottomOut == lastRow)
                       : (pc.TopOut && pc.BottomOut && pc.LeftOut == firstCol &&
                          pc.RightOut == lastCol);
        if (!ok) return Fail(5, P(p) + " breaks the checkerboard of edge shapes");
    }

    // 6: the loose groups and their lists.
    if (m.GroupCount < 0 || size_t(m.GroupCount) + 1 > m.GroupOrder.size())
        return Fail(6, "group count does not fit the stacking order");
    std::vector<int> seen(n + 1, 0);
    for (int i = 1; i <= m.GroupCount; ++i) {
        int gr = m.GroupOrder[i];
        if (gr < 1 || gr > n) return Fail(6, "stacking order holds group " + std::to_string(gr));
        if (seen[gr]++) return Fail(6, "group " + std::to_string(gr) + " is listed twice");
        if (m.Groups[gr].InPlace) return Fail(6, "group " + std::to_string(gr) + " is at home but listed");
    }
    std::vector<int> members(n + 1, 0);
    for (long p = 1; p <= n; ++p) {
        int gr = m.Pieces[p].Group;
        if (gr < 0 || gr > n) return Fail(8, P(p) + " names group " + std::to_string(gr));
        if (gr > 0) {
            if (!seen[gr]) return Fail(6, P(p) + " is in group " + std::to_string(gr) + ", which is not loose");
            members[gr]++;
        }
    }
    for (int gr = 1; gr <= n; ++gr) {
        if (!seen[gr]) continue;
        const GroupInfo& G = m.Groups[gr];
        if (G.PieceCount != members[gr] || G.PieceCount < 1 ||
            G.PieceList.size() < size_t(G.PieceCount) + 1)
            return Fail(6, "group " + std::to_string(gr) + " lists a wrong number of pieces");
        int prev = 0;
        int16_t lc = 32767, rc = -1, tr = 32767, br = -1;
        for (int k = 1; k <= G.PieceCount; ++k) {
            int q = G.PieceList[k];
            if (q < 1 || q > n || m.Pieces[q].Group != gr)
                return Fail(6, "group " + std::to_string(gr) + " lists a piece not in it");
            if (q <= prev) return Fail(6, "group " + std::to_string(gr) + " list is not ascending");
            prev = q;
            const PieceInfo& pc = m.Pieces[q];
            lc = std::min(lc, pc.Column); rc = std::max(rc, pc.Column);
            tr = std::min(tr, pc.Row); br = std::max(br, pc.Row);
        }
        if (G.LeftColumn != lc || G.RightColumn != rc || G.TopRow != tr || G.BottomRow != br)
            return Fail(6, "group " + std::to_string(gr) + " has wrong extents");
    }

    // 7: joined flags only between true neighbours of one group, on both sides.
    for (long p = 1; p <= n; ++p) {
        const PieceInfo& pc = m.Pieces[p];
        struct Side { bool flag; bool has; long nb; bool back; };
        const bool hasUp = pc.Row > 0, hasDown = pc.Row < rows - 1;
        const bool hasLeft = pc.Column > 0, hasRight = pc.Column < cols - 1;
        Side sides[4] = {
            {pc.TopJoined, hasUp, p - cols, hasUp && m.Pieces[p - cols].BottomJoined},
            {pc.BottomJoined, hasDown, p + cols, hasDown && m.Pieces[p + cols].TopJoined},
            {pc.LeftJoined, hasLeft, p - 1, hasLeft && m.Pieces[p - 1].RightJoined},
            {pc.RightJoined, hasRight, p + 1, hasRight && m.Pieces[p + 1].LeftJoined},
        };
        for (const Side& s : sides) {
            if (!s.flag || pc.Group == 0) continue;   // flags of pieces at home are not used
            if (!s.has) return Fail(7, P(p) + " is joined across the border");
            if (!s.back) return Fail(7, P(p) + " is joined on one side only");
            if (m.Pieces[s.nb].Group != pc.Group)
                return Fail(7, P(p) + " is joined to a piece of another group");
        }
    }

    // 8: every piece loose or at home, never both.
    if (m.InPlaceCount < 0 || size_t(m.InPlaceCount) + 1 > m.PiecesInPlace.size())
        return Fail(8, "at-home count does not fit its list");
    std::vector<int> home(n + 1, 0);
    for (int i = 1; i <= m.InPlaceCount; ++i) {
        int q = m.PiecesInPlace[i];
        if (q < 1 || q > n) return Fail(8, "at-home list holds piece " + std::to_string(q));
        if (home[q]++) return Fail(8, P(q) + " is at home twice");
        if (m.Pieces[q].Group != 0) return Fail(8, P(q) + " is at home and in a loose group");
    }
    long loose = 0;
    for (long p = 1; p <= n; ++p) {
        if (m.Pieces[p].Group == 0 && !home[p]) return Fail(8, P(p) + " is neither loose nor at home");
        if (m.Pieces[p].Group > 0) ++loose;
    }
    if (m.InPlaceCount + loose != n) return Fail(8, "pieces at home and loose do not add up");
    if (m.PuzzleComplete != (m.InPlaceCount == n))
        return Fail(8, "the complete flag disagrees with the pieces at home");
    return std::nullopt;
}

}  // namespace pz
