#include "game/interaction/hittest.h"

namespace pz {

namespace {

// A bound a·W + b·MX (or a·H + b·MY).
struct Bound { int cell, margin; };
struct HitRect { Bound u0, u1, v0, v1; };

enum class Flag { None, LeftOut, TopOut, BottomOut, RightOut };
enum class Where {
    First,          // piece number 1
    Inner,          // 0 < Row < last and 0 < Column < last
    TopRow,         // Row = 0 and Column < last
    TopRight,       // Row = 0 and Column = last
    LeftColumn,     // Column = 0, inner row
    RightColumn,    // Column = last, inner row
    BottomLeft,     // Row = last and Column = 0
    BottomRow,      // Row = last, inner column
    BottomRight,    // Row = last and Column = last
};

struct TableRow {
    Where where;
    Flag flag;
    int count;
    HitRect rects[5];
};

constexpr Bound _0{0, 0}, MX{0, 1}, MX2{0, 2}, W{1, 0}, WMX{1, 1}, W2MX{1, 2};
// The same letters serve the v axis: H for W, MY for MX.
constexpr Bound MY = MX, MY2 = MX2, H = W, HMY = WMX, H2MY = W2MX;

// The shape of every kind of piece as rectangles of its image, body minus
// holes plus tabs; rows are tried in order and the first match decides.
constexpr TableRow kTable[17] = {
    {Where::First, Flag::None, 4, {{W, WMX, H, HMY}, {WMX, W2MX, MY2, H}, {MX, WMX, MY, H}, {MX, MX2, H, HMY}}},
    {Where::Inner, Flag::LeftOut, 5,
     {{W, WMX, H, HMY}, {W, WMX, MY, MY2}, {MX, MX2, MY, MY2}, {_0, W2MX, MY2, H}, {MX, MX2, H, HMY}}},
    {Where::Inner, Flag::TopOut, 5,
     {{MX2, W, HMY, H2MY}, {MX, WMX, MY, MY2}, {MX2, W, _0, MY}, {MX2, W, MY2, H}, {MX, WMX, H, HMY}}},
    {Where::TopRow, Flag::LeftOut, 4, {{W, WMX, H, HMY}, {MX, WMX, MY, MY2}, {_0, W2MX, MY2, H}, {MX, MX2, H, HMY}}},
    {Where::TopRow, Flag::BottomOut, 4,
     {{MX2, W, HMY, H2MY}, {MX2, W, MY2, H}, {MX, WMX, MY, MY2}, {MX, WMX, H, HMY}}},
    {Where::TopRight, Flag::LeftOut, 4, {{W, WMX, H, HMY}, {_0, WMX, MY2, H}, {MX, WMX, MY, MY2}, {MX, MX2, H, HMY}}},
    {Where::TopRight, Flag::BottomOut, 4,
     {{MX2, W, HMY, H2MY}, {MX, WMX, MY, MY2}, {MX2, WMX, MY2, H}, {MX, WMX, H, HMY}}},
    {Where::LeftColumn, Flag::TopOut, 4, {{W, WMX, H, HMY}, {MX, MX2, MY, HMY}, {MX2, W, _0, H2MY}, {W, WMX, MY, MY2}}},
    {Where::LeftColumn, Flag::RightOut, 4,
     {{WMX, W2MX, MY2, H}, {MX, MX2, MY, HMY}, {W, WMX, MY, HMY}, {MX2, W, MY2, H}}},
    {Where::RightColumn, Flag::TopOut, 4, {{W, WMX, MY, HMY}, {MX, MX2, H, HMY}, {MX, MX2, MY, MY2}, {MX2, W, _0, H2MY}}},
    {Where::RightColumn, Flag::LeftOut, 4, {{W, WMX, MY, HMY}, {MX2, W, MY2, H}, {_0, MX, MY2, H}, {MX, MX2, MY, HMY}}},
    {Where::BottomLeft, Flag::TopOut, 4, {{W, WMX, H, HMY}, {MX2, W, _0, HMY}, {MX, MX2, MY, HMY}, {W, WMX, MY, MY2}}},
    {Where::BottomLeft, Flag::RightOut, 4,
     {{WMX, W2MX, MY2, H}, {MX, MX2, MY, HMY}, {W, WMX, MY, HMY}, {MX2, W, MY2, HMY}}},
    {Where::BottomRow, Flag::LeftOut, 4, {{MX, WMX, H, HMY}, {MX, MX2, MY, MY2}, {_0, W2MX, MY2, H}, {W, WMX, MY, MY2}}},
    {Where::BottomRow, Flag::TopOut, 4, {{MX, WMX, H, HMY}, {MX2, W, MY2, H}, {MX2, W, _0, MY}, {MX, WMX, MY, MY2}}},
    {Where::BottomRight, Flag::TopOut, 4,
     {{MX, WMX, H, HMY}, {MX2, WMX, MY2, H}, {MX2, W, _0, MY}, {MX, WMX, MY, MY2}}},
    {Where::BottomRight, Flag::LeftOut, 4,
     {{MX, WMX, H, HMY}, {_0, WMX, MY2, H}, {MX, MX2, MY, MY2}, {W, WMX, MY, MY2}}},
};

bool At(Where w, const PieceInfo& pc, int p, int lastCol, int lastRow) {
    const bool innerRow = pc.Row > 0 && pc.Row < lastRow;
    const bool innerCol = pc.Column > 0 && pc.Column < lastCol;
    switch (w) {
        case Where::First: return p == 1;
        case Where::Inner: return innerRow && innerCol;
        case Where::TopRow: return pc.Row == 0 && pc.Column < lastCol;
        case Where::TopRight: return pc.Row == 0 && pc.Column == lastCol;
        case Where::LeftColumn: return pc.Column == 0 && innerRow;
        case Where::RightColumn: return pc.Column == lastCol && innerRow;
        case Where::BottomLeft: return pc.Row == lastRow && pc.Column == 0;
        case Where::BottomRow: return pc.Row == lastRow && innerCol;
        case Where::BottomRight: return pc.Row == lastRow && pc.Column == lastCol;
    }
    return false;
}

bool Has(Flag f, const PieceInfo& pc) {
    switch (f) {
        case Flag::None: return true;
        case Flag::LeftOut: return pc.LeftOut;
        case Flag::TopOut: return pc.TopOut;
        case Flag::BottomOut: return pc.BottomOut;
        case Flag::RightOut: return pc.RightOut;
    }
    return false;
}

}  // namespace

int HitTableRow(const Grid& g, const PuzzleModel& m, int p) {
    const PieceInfo& pc = m.Pieces[p];
    for (int i = 0; i < 17; ++i)
        if (At(kTable[i].where, pc, p, g.NumColumns - 1, g.NumRows - 1) && Has(kTable[i].flag, pc)) return i + 1;
    return 0;
}

bool HitTestPiece(const Grid& g, const PuzzleModel& m, int p, double x, double y) {
    const int row = HitTableRow(g, m, p);
    if (row == 0) return false;
    const PieceInfo& pc = m.Pieces[p];
    const double u = x - pc.X, v = y - pc.Y;
    const int w = m.PieceWidth, mx = m.MarginX, h = m.PieceHeight, my = m.MarginY;
    auto bu = [&](Bound b) { return double(b.cell * w + b.margin * mx); };
    auto bv = [&](Bound b) { return double(b.cell * h + b.margin * my); };
    const TableRow& t = kTable[row - 1];
    for (int k = 0; k < t.count; ++k) {
        const HitRect& r = t.rects[k];
        if (bu(r.u0) < u && u < bu(r.u1) && bv(r.v0) < v && v < bv(r.v1)) return true;
    }
    return false;
}

int FindPieceAt(const Grid& g, const PuzzleModel& m, double x, double y) {
    for (int i = m.GroupCount; i >= 1; --i) {
        const GroupInfo& grp = m.Groups[m.GroupOrder[i]];
        if (grp.InPlace) continue;
        for (int j = grp.PieceCount; j >= 1; --j)
            if (HitTestPiece(g, m, grp.PieceList[j], x, y)) return grp.PieceList[j];
    }
    return 0;
}

}  // namespace pz
