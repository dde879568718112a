#include "game/model/cutting.h"

#include <map>
#include <tuple>

#include "game/model/colors.h"
#include "game/model/numbers.h"
#include "game/model/scale.h"

namespace pz {

using display::Rect;
using display::RunMask;

namespace {

// Throws OverflowError when a piece image, (W + 2 MX) x (H + 2 MY), would not
// measure in Integers.
void CheckPieceImageSize(const PuzzleModel& m) {
    CheckI16(m.PieceWidth + 2 * m.MarginX);
    CheckI16(m.PieceHeight + 2 * m.MarginY);
}

}  // namespace

void ComputeCutGeometry(const Grid& g, PuzzleModel& m, float scaleWidth, float scaleHeight) {
    if (g.NumColumns < 1 || g.NumRows < 1) throw DivisionByZero();
    int64_t ph = m.ImageHeight, pw = m.ImageWidth;
    // The height test compares with the full height, the width test with the
    // width less 8; both then shrink to the size less 8.
    if (scaleHeight < float(ph)) {
        ph = CLng(scaleHeight - 8.0f);
        pw = CheckI32(IDiv(pw * ph, m.ImageHeight));
    }
    if (scaleWidth - 8.0f < float(pw)) {
        pw = CLng(scaleWidth - 8.0f);
        ph = CheckI32(IDiv(int64_t(m.ImageHeight) * pw, m.ImageWidth));
    }
    // Room for the tabs.
    ph -= 2 * ((ph / g.NumRows) / 3);
    pw -= 2 * ((pw / g.NumColumns) / 3);
    m.PuzzleHeight = CheckI32(ph);
    m.PuzzleWidth = CheckI32(pw);

    m.PieceHeight = CheckI16(m.PuzzleHeight / g.NumRows);
    m.PieceWidth = CheckI16(m.PuzzleWidth / g.NumColumns);
    if (m.PieceWidth < 1 || m.PieceHeight < 1) throw std::range_error("the play area is too small for the pieces");
    m.MarginY = int16_t(m.PieceHeight / 3);
    m.MarginX = int16_t(m.PieceWidth / 3);
    m.PuzzleLeft = CheckI16(CLng(scaleWidth - float(m.PuzzleWidth)) / 2);
    m.PuzzleTop = CheckI16(CLng(scaleHeight - float(m.PuzzleHeight)) / 2);
    m.PuzzleRect = RectL{m.PuzzleLeft, m.PuzzleTop,
                         int32_t(Mul16(g.NumColumns, m.PieceWidth)) + m.PuzzleLeft,
                         int32_t(Mul16(g.NumRows, m.PieceHeight)) + m.PuzzleTop};
    CheckPieceImageSize(m);

    const int16_t W = m.PieceWidth, H = m.PieceHeight;
    for (int p = 1; p <= g.NumberOfPieces; ++p) {
        PieceInfo& pc = m.Pieces[p];
        const int16_t cx = Mul16(pc.Column, W), cy = Mul16(pc.Row, H);
        pc.ImageRect = RectL{cx, cy, int32_t(Add16(cx, W)), int32_t(Add16(cy, H))};
        pc.HomeX = Sub16(Add16(cx, Add16(m.PuzzleLeft, 1)), m.MarginX);
        pc.HomeY = Sub16(Add16(cy, Add16(m.PuzzleTop, 1)), m.MarginY);
    }
}

void ScalePiecesPosition(PuzzleModel& m, float scaleWidth, float scaleHeight) {
    const int16_t newH = CInt(scaleHeight), newW = CInt(scaleWidth);
    const int32_t prevW = CLng(m.View.PreviousWidth), prevH = CLng(m.View.PreviousHeight);
    const int16_t W = m.PieceWidth, H = m.PieceHeight;
    for (int i = 1; i <= m.GroupCount; ++i) {
        const GroupInfo& grp = m.Groups[m.GroupOrder[i]];
        for (int k = 1; k <= grp.PieceCount; ++k) {
            PieceInfo& pc = m.Pieces[grp.PieceList[k]];
            // A previous size of 0 cannot scale anything: keep the position
            // and let the clamps below act.
            if (prevW > 0) pc.X = CheckI32(IDiv(int64_t(newW) * pc.X, prevW));
            if (pc.X < 1) pc.X = 1;
            if (scaleWidth - W < pc.X) pc.X = CLng(scaleWidth - W);
            if (prevH > 0) pc.Y = CheckI32(IDiv(int64_t(newH) * pc.Y, prevH));
            if (pc.Y < 1) pc.Y = 1;
            if (scaleHeight - H < pc.Y) pc.Y = CLng(scaleHeight - H);
        }
    }
    for (int i = 1; i <= m.InPlaceCount; ++i) {
        PieceInfo& pc = m.Pieces[m.PiecesInPlace[i]];
        pc.X = pc.HomeX;
        pc.Y = pc.HomeY;
    }
}

std::vector<int> CurveInsets(int k, int d, bool tab) {
    std::vector<int> s;
    float f = -1.0f;
    auto inset = [&] { return int(k / int(RoundHalfEven(double(f + 9.0f)))); };
    for (int j = 0; j < d / 2; ++j) {
        f = f + 1.5f;
        s.push_back(inset());
    }
    const int last = tab ? d : d - 1;
    for (int j = d / 2; j <= last; ++j) {
        f = f - 1.7f;
        if (!tab) {
            if (f < -4.0f) f = -4.0f;
        } else if (f + 9.0f < 2.5f) {
            break;   // the tab is closed
        }
        s.push_back(inset());
    }
    return s;
}

LineImages MakeLineImages(const Grid& g, const PuzzleModel& m) {
    const int W = m.PieceWidth, H = m.PieceHeight;
    const int t = OutlineWidth(m);   // 1 at scale 1
    LineImages li;
    li.FrameLineH = Surface(Add16(Mul16(g.NumColumns, W), int16_t(2 * t)), t);
    li.FrameLineV = Surface(t, Add16(Mul16(g.NumRows, H), int16_t(2 * t)));
    li.EdgeLineH = Surface(W + 2 * t, t);
    li.EdgeLineV = Surface(t, H);
    li.EdgeStubH = Surface(W / 9 + m.MarginX + t, t);
    li.EdgeStubV = Surface(t, H / 9 + m.MarginY);
    return li;
}

void ResetOutlineColors(LineImages& li, int32_t fill) {
    for (Surface* s : {&li.FrameLineH, &li.FrameLineV, &li.EdgeLineH, &li.EdgeLineV, &li.EdgeStubH,
                       &li.EdgeStubV})
        s->Fill(uint32_t(fill));
}

namespace {

// A piece's body relative to its ImageRect's corner, with its margins.
struct Body {
    int L, T, R, B, MX, MY;
};

// The tab on edge e (top, bottom, left, right): one line per inset, outwards
// from the body.
template <class Copy>
void CopyTab(const Body& b, int e, const std::vector<int>& s, Copy& copy) {
    const auto [L, T, R, B, MX, MY] = b;
    for (int j = 0; j < int(s.size()); ++j) {
        switch (e) {
            case 0: copy(Rect{L + MX + s[j], T - 1 - j, R - MX - s[j], T - j}); break;
            case 1: copy(Rect{L + MX + s[j], B + j, R - MX - s[j], B + j + 1}); break;
            case 2: copy(Rect{L - 1 - j, T + MY + s[j], L - j, B - MY - s[j]}); break;
            case 3: copy(Rect{R + j, T + MY + s[j], R + j + 1, B - MY - s[j]}); break;
        }
    }
}

// The band beside the hole on edge e: two lines per inset, one each side of
// the hole, inwards from the body's border.
template <class Copy>
void CopyHole(const Body& b, int e, const std::vector<int>& s, Copy& copy) {
    const auto [L, T, R, B, MX, MY] = b;
    for (int j = 0; j < int(s.size()); ++j) {
        switch (e) {
            case 0:
                copy(Rect{L + MX, T + j, L + MX + s[j], T + j + 1});
                copy(Rect{R - MX - s[j], T + j, R - MX, T + j + 1});
                break;
            case 1:
                copy(Rect{L + MX, B - 1 - j, L + MX + s[j], B - j});
                copy(Rect{R - MX - s[j], B - 1 - j, R - MX, B - j});
                break;
            case 2:
                copy(Rect{L + j, T + MY, L + j + 1, T + MY + s[j]});
                copy(Rect{L + j, B - MY - s[j], L + j + 1, B - MY});
                break;
            case 3:
                copy(Rect{R - 1 - j, T + MY, R - j, T + MY + s[j]});
                copy(Rect{R - 1 - j, B - MY - s[j], R - j, B - MY});
                break;
        }
    }
}

// Every single-line copy of a piece, in piece-image coordinates of the body's
// frame: the callback gets a rectangle of the working picture relative to the
// body's top-left corner (L, T).
template <class Copy>
void ForEachCopy(const Grid& g, const PuzzleModel& m, const PieceInfo& pc, Copy&& copy) {
    const int W = m.PieceWidth, H = m.PieceHeight, MX = m.MarginX, MY = m.MarginY;
    const int L = 0, T = 0, R = W, B = H;   // relative to ImageRect's corner
    // Pass 1: corners, then the centre.
    copy(Rect{L, T, L + MX, T + MY});
    copy(Rect{R - MX, T, R, T + MY});
    copy(Rect{L, B - MY, L + MX, B});
    copy(Rect{R - MX, B - MY, R, B});
    copy(Rect{L + MX, T + MY, R - MX, B - MY});

    // Pass 2: top, bottom, left, right.
    struct Edge { bool out; bool neighbour; };
    const Edge edges[4] = {
        {pc.TopOut, pc.Row > 0},
        {pc.BottomOut, pc.Row < g.NumRows - 1},
        {pc.LeftOut, pc.Column > 0},
        {pc.RightOut, pc.Column < g.NumColumns - 1},
    };
    const Rect bands[4] = {
        {L + MX, T, R - MX, T + MY},
        {L + MX, B - MY, R - MX, B},
        {L, T + MY, L + MX, B - MY},
        {R - MX, T + MY, R, B - MY},
    };
    const Body body{L, T, R, B, MX, MY};
    for (int e = 0; e < 4; ++e) {
        const bool horizontal = e < 2;
        const int K = horizontal ? W : H;
        const int D = horizontal ? MY : MX;
        if (edges[e].out) {
            copy(bands[e]);
            if (edges[e].neighbour) CopyTab(body, e, CurveInsets(K, D, true), copy);
        } else {
            CopyHole(body, e, CurveInsets(K, D, false), copy);
        }
    }
}

Surface NewPieceImage(const PuzzleModel& m) {
    Surface s(2 * m.MarginX + m.PieceWidth, 2 * m.MarginY + m.PieceHeight);
    s.SetColorKey(KeyColor, KeyColor);
    s.Fill(KeyColor);
    return s;
}

}  // namespace

std::vector<Surface> CutPiecesReference(const Grid& g, const PuzzleModel& m, const Surface& whole) {
    std::vector<Surface> out(size_t(g.NumberOfPieces) + 1);
    for (int p = 1; p <= g.NumberOfPieces; ++p) {
        const PieceInfo& pc = m.Pieces[p];
        Surface img = NewPieceImage(m);
        const int L = pc.ImageRect.Left, T = pc.ImageRect.Top;
        ForEachCopy(g, m, pc, [&](Rect r) {
            img.Blt(r.Left + m.MarginX, r.Top + m.MarginY, whole,
                    Rect{r.Left + L, r.Top + T, r.Right + L, r.Bottom + T}, false);
        });
        out[p] = std::move(img);
    }
    return out;
}

std::vector<Surface> CutPieces(const Grid& g, const PuzzleModel& m, const Surface& whole) {
    const int iw = 2 * m.MarginX + m.PieceWidth, ih = 2 * m.MarginY + m.PieceHeight;
    // A piece's shape depends only on its four edges: flat, tab or hole each.
    // Which copies land is decided by the target image alone (a copy whose
    // target is not wholly inside it is dropped), so one mask serves every
    // piece of a shape.
    std::map<std::tuple<int, int, int, int>, RunMask> masks;
    std::vector<uint8_t> cover;
    std::vector<Surface> out(size_t(g.NumberOfPieces) + 1);
    for (int p = 1; p <= g.NumberOfPieces; ++p) {
        const PieceInfo& pc = m.Pieces[p];
        auto kind = [](bool isOut, bool nb) { return isOut ? (nb ? 2 : 1) : 0; };
        const auto key = std::make_tuple(kind(pc.TopOut, pc.Row > 0),
                                         kind(pc.BottomOut, pc.Row < g.NumRows - 1),
                                         kind(pc.LeftOut, pc.Column > 0),
                                         kind(pc.RightOut, pc.Column < g.NumColumns - 1));
        auto it = masks.find(key);
        if (it == masks.end()) {
            cover.assign(size_t(iw) * ih, 0);
            ForEachCopy(g, m, pc, [&](Rect r) {
                const int x0 = r.Left + m.MarginX, y0 = r.Top + m.MarginY;
                const int x1 = r.Right + m.MarginX, y1 = r.Bottom + m.MarginY;
                if (x1 <= x0 || y1 <= y0 || x0 < 0 || y0 < 0 || x1 > iw || y1 > ih) return;
                for (int y = y0; y < y1; ++y)
                    std::fill(cover.begin() + size_t(y) * iw + x0, cover.begin() + size_t(y) * iw + x1, 1);
            });
            it = masks.emplace(key, RunMask::FromCoverage(cover, iw, ih)).first;
        }
        Surface img;
        img.SetColorKey(KeyColor, KeyColor);
        img.BltMask(whole, pc.ImageRect.Left - m.MarginX, pc.ImageRect.Top - m.MarginY, it->second);
        out[p] = std::move(img);
    }
    return out;
}

}  // namespace pz
