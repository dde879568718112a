#include "game/model/invariants.h"

#include <algorithm>
#include <vector>

namespace pz {
namespace {

std::optional<InvariantFailure> Fail(int n, std::string msg) {
    return InvariantFailure{n, std::move(msg)};
}

std::string P(int p) { return "piece " + std::to_string(p); }

struct Extent {
    long n, cols, rows;
};

// 1: the grid holds the pieces and the lists have room for them.
std::optional<InvariantFailure> CheckSizes(const Extent& grid, const PuzzleModel& m) {
    if (grid.n < 1 || grid.cols < 1 || grid.rows < 1 || grid.cols * grid.rows != grid.n)
        return Fail(1, "grid " + std::to_string(grid.cols) + " x " + std::to_string(grid.rows) +
                           " does not hold " + std::to_string(grid.n) + " pieces");
    if (m.Pieces.size() < size_t(grid.n) + 1 || m.Groups.size() < size_t(grid.n) + 1)
        return Fail(1, "piece or group list shorter than the number of pieces");
    return std::nullopt;
}

// 2: each piece in its own grid cell.
std::optional<InvariantFailure> CheckCells(const Extent& grid, const PuzzleModel& m) {
    for (long p = 1; p <= grid.n; ++p) {
        const PieceInfo& pc = m.Pieces[p];
        if (pc.Column != (p - 1) % grid.cols || pc.Row != (p - 1) / grid.cols)
            return Fail(2, P(p) + " is not in its grid cell");
    }
    return std::nullopt;
}

// 3 and 4: body rectangles and home positions follow from the cut.
std::optional<InvariantFailure> CheckGeometry(const Extent& grid, const PuzzleModel& m) {
    const long W = m.PieceWidth, H = m.PieceHeight;
    for (long p = 1; p <= grid.n; ++p) {
        const PieceInfo& pc = m.Pieces[p];
        RectL r{int32_t(pc.Column * W), int32_t(pc.Row * H), int32_t(pc.Column * W + W),
                int32_t(pc.Row * H + H)};
        if (!(pc.ImageRect == r)) return Fail(3, P(p) + " has a wrong body rectangle");
        if (pc.HomeX != pc.Column * W + m.PuzzleLeft + 1 - m.MarginX ||
            pc.HomeY != pc.Row * H + m.PuzzleTop + 1 - m.MarginY)
            return Fail(4, P(p) + " has a wrong home position");
    }
    return std::nullopt;
}

// 5: the checkerboard of edge shapes.
std::optional<InvariantFailure> CheckEdgeShapes(const Extent& grid, const PuzzleModel& m) {
    for (long p = 1; p <= grid.n; ++p) {
        const PieceInfo& pc = m.Pieces[p];
        const bool even = (pc.Row + pc.Column) % 2 == 0;
        const bool firstRow = pc.Row == 0, lastRow = pc.Row == grid.rows - 1;
        const bool firstCol = pc.Column == 0, lastCol = pc.Column == grid.cols - 1;
        bool ok = even ? (pc.LeftOut && pc.RightOut && pc.TopOut == firstRow &&
                          pc.BottomOut == lastRow)
                       : (pc.TopOut && pc.BottomOut && pc.LeftOut == firstCol &&
                          pc.RightOut == lastCol);
        if (!ok) return Fail(5, P(p) + " breaks the checkerboard of edge shapes");
    }
    return std::nullopt;
}

// How one counted list (entries 1..count) is reported when it is broken.
struct CountedList {
    int number;              // the invariant it belongs to
    const char* badCount;    // the count does not fit the list
    const char* holds;       // followed by an entry out of 1..n
    const char* noun;        // "group" or "piece", before an entry
    const char* twice;       // after the entry listed twice
    const char* misplaced;   // after an entry that does not belong in the list
};

const CountedList kStackingOrder{6, "group count does not fit the stacking order",
                                 "stacking order holds group ", "group", " is listed twice",
                                 " is at home but listed"};
const CountedList kAtHome{8, "at-home count does not fit its list", "at-home list holds piece ",
                          "piece", " is at home twice", " is at home and in a loose group"};

// Checks that the count fits the list and that every entry is in 1..n, listed
// once and not `wrong`; marks the entries in `seen` (n + 1 long).
template <class Wrong>
std::optional<InvariantFailure> CheckCountedList(const std::vector<int16_t>& list, int count, long n,
                                                 const CountedList& t, std::vector<int>& seen,
                                                 Wrong&& wrong) {
    if (count < 0 || size_t(count) + 1 > list.size()) return Fail(t.number, t.badCount);
    for (int i = 1; i <= count; ++i) {
        const int x = list[i];
        auto entry = [&](const char* what) {
            return std::string(t.noun) + " " + std::to_string(x) + what;
        };
        if (x < 1 || x > n) return Fail(t.number, t.holds + std::to_string(x));
        if (seen[x]++) return Fail(t.number, entry(t.twice));
        if (wrong(x)) return Fail(t.number, entry(t.misplaced));
    }
    return std::nullopt;
}

// 6: one loose group's piece list matches its members and its extents.
std::optional<InvariantFailure> CheckGroupList(long n, const PuzzleModel& m, int gr, int members) {
    const GroupInfo& G = m.Groups[gr];
    if (G.PieceCount != members || G.PieceCount < 1 ||
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
    return std::nullopt;
}

// 6: the loose groups and their lists.
std::optional<InvariantFailure> CheckGroups(long n, const PuzzleModel& m) {
    std::vector<int> seen(n + 1, 0);
    auto atHome = [&](int gr) { return m.Groups[gr].InPlace; };
    if (auto f = CheckCountedList(m.GroupOrder, m.GroupCount, n, kStackingOrder, seen, atHome)) return f;
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
        if (auto f = CheckGroupList(n, m, gr, members[gr])) return f;
    }
    return std::nullopt;
}

// 7: joined flags only between true neighbours of one group, on both sides.
std::optional<InvariantFailure> CheckJoins(const Extent& grid, const PuzzleModel& m) {
    const long cols = grid.cols, rows = grid.rows;
    for (long p = 1; p <= grid.n; ++p) {
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
    return std::nullopt;
}

// 8: every piece loose or at home, never both.
std::optional<InvariantFailure> CheckHome(long n, const PuzzleModel& m) {
    std::vector<int> home(n + 1, 0);
    auto inLooseGroup = [&](int q) { return m.Pieces[q].Group != 0; };
    if (auto f = CheckCountedList(m.PiecesInPlace, m.InPlaceCount, n, kAtHome, home, inLooseGroup)) return f;
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

}  // namespace

std::optional<InvariantFailure> CheckInvariants(const Grid& g, const PuzzleModel& m,
                                                bool checkGeometry) {
    const Extent grid{g.NumberOfPieces, g.NumColumns, g.NumRows};
    if (auto f = CheckSizes(grid, m)) return f;
    if (auto f = CheckCells(grid, m)) return f;
    if (checkGeometry) {
        if (auto f = CheckGeometry(grid, m)) return f;
    }
    if (auto f = CheckEdgeShapes(grid, m)) return f;
    if (auto f = CheckGroups(grid.n, m)) return f;
    if (auto f = CheckJoins(grid, m)) return f;
    return CheckHome(grid.n, m);
}

}  // namespace pz
