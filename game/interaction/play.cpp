#include "game/interaction/play.h"

#include <cmath>
#include <cstdlib>

#include "game/interaction/groups.h"
#include "game/model/numbers.h"
#include "game/model/scale.h"

namespace pz {

void DragGroupTo(PuzzleModel& m, double x, double y, double scaleWidth, double scaleHeight) {
    PieceInfo& s = m.Pieces[m.SelectedPiece];
    const GroupInfo& grp = m.Groups[s.Group];
    const int16_t W = m.PieceWidth, H = m.PieceHeight;
    const int16_t ox = CheckI16(s.X), oy = CheckI16(s.Y);
    const float fx = float(x), fy = float(y);

    const int16_t cy = int16_t((2 * m.MarginY + H) / 2);
    const float top = fy - float(Mul16(Sub16(s.Row, grp.TopRow), H)) - cy;
    const float bottom = fy - float(Mul16(Sub16(s.Row, grp.BottomRow), H)) + cy;
    if (top > 0 && bottom < float(scaleHeight)) s.Y = CLng(fy - cy);

    const int16_t cx = int16_t((2 * m.MarginX + W) / 2);
    const float left = fx - float(Mul16(Sub16(s.Column, grp.LeftColumn), W)) - cx;
    const float right = fx - float(Mul16(Sub16(s.Column, grp.RightColumn), W)) + cx;
    if (left > 0 && right < float(scaleWidth)) s.X = CLng(fx - cx);

    const int16_t dx = Sub16(s.X, ox), dy = Sub16(s.Y, oy);
    for (int k = 1; k <= grp.PieceCount; ++k) {
        const int q = grp.PieceList[k];
        if (q == m.SelectedPiece) continue;
        m.Pieces[q].X += dx;
        m.Pieces[q].Y += dy;
    }
}

void DragPreviewTo(PuzzleModel& m, double x, double y, double scaleWidth, double scaleHeight) {
    const int32_t half = m.View.PreviewWidthInt / 2;
    const float fx = float(x), fy = float(y);
    if (fx - half > 0 && fx + half < float(scaleWidth)) {
        const int32_t left = CLng(fx - half);
        m.View.PreviewCaptionRect.Left = m.View.PreviewRect.Left = left;
        m.View.PreviewCaptionRect.Right = m.View.PreviewRect.Right = left + m.View.PreviewWidthInt;
    }
    const CaptionMetrics c = CaptionMetricsOf(m);
    if (fy - c.grab > 0 && fy + c.grab + c.gap + m.View.PreviewHeight < float(scaleHeight)) {
        const int32_t top = CLng(fy - c.grab);
        m.View.PreviewCaptionRect.Top = top;
        m.View.PreviewCaptionRect.Bottom = top + c.height;
        m.View.PreviewRect.Top = top + c.height + c.gap;
        m.View.PreviewRect.Bottom = m.View.PreviewRect.Top + m.View.PreviewHeight;
    }
}

bool OnPreviewCaption(const PuzzleModel& m, double x, double y) {
    const RectL& c = m.View.PreviewCaptionRect;
    return c.Left < x && x < c.Right && c.Top < y && y < c.Bottom;
}

bool IsAtHome(const PuzzleModel& m, int piece) {
    const PieceInfo& s = m.Pieces[piece];
    const double tol = JoinToleranceOf(m);
    return std::abs(double(s.X) - s.HomeX) < tol && std::abs(double(s.Y) - s.HomeY) < tol;
}

void JoinPass(const Grid& g, PuzzleModel& m, double scaleWidth, double scaleHeight) {
    // The pieces dropped, as they were before anything joined them.
    const GroupInfo& dropped = m.Groups[m.SelectedGroup];
    const std::vector<int16_t> pieces(dropped.PieceList.begin() + 1, dropped.PieceList.begin() + 1 + dropped.PieceCount);
    const int n = g.NumberOfPieces, cols = g.NumColumns;
    const int W = m.PieceWidth, H = m.PieceHeight;
    const double tol = JoinToleranceOf(m);
    auto near = [tol](long a, long b) { return std::abs(double(a) - double(b)) < tol; };

    for (const int16_t p : pieces) {
        for (int side = 0; side < 4; ++side) {
            PieceInfo& pc = m.Pieces[p];
            int nb = 0;
            bool* mine = nullptr;
            switch (side) {
                case 0: if (p - cols >= 1) nb = p - cols, mine = &pc.TopJoined; break;
                case 1: if (p + cols <= n) nb = p + cols, mine = &pc.BottomJoined; break;
                case 2: if (p % cols != 1 && p - 1 >= 1) nb = p - 1, mine = &pc.LeftJoined; break;
                case 3: if (p % cols != 0 && p + 1 <= n) nb = p + 1, mine = &pc.RightJoined; break;
            }
            if (!nb || *mine) continue;
            PieceInfo& q = m.Pieces[nb];
            if (q.Group == 0) continue;   // locked home: never joined into
            bool join = false;
            int32_t sx = 0, sy = 0;
            bool* theirs = nullptr;
            switch (side) {
                case 0: join = near(pc.X, q.X) && near(pc.Y, q.Y + H); sx = q.X, sy = q.Y + H; theirs = &q.BottomJoined; break;
                case 1: join = near(pc.X, q.X) && near(pc.Y + H, q.Y); sx = q.X, sy = q.Y - H; theirs = &q.TopJoined; break;
                case 2: join = near(pc.X, q.X + W) && near(pc.Y, q.Y); sx = q.X + W, sy = q.Y; theirs = &q.RightJoined; break;
                case 3: join = near(pc.X + W, q.X) && near(pc.Y, q.Y); sx = q.X - W, sy = q.Y; theirs = &q.LeftJoined; break;
            }
            if (!join) continue;
            *theirs = true;
            *mine = true;
            pc.X = sx;
            pc.Y = sy;
            if (pc.Group != q.Group) {
                SetPieceGroup(m, int16_t(nb));
                m.SelectedGroup = m.Pieces[p].Group;
            }
            AlignGroup(m, m.SelectedGroup, scaleWidth, scaleHeight);
        }
    }
}

Locked SetGroupInPlace(const Grid& g, PuzzleModel& m, int16_t group) {
    GroupInfo& grp = m.Groups[group];
    const int count = grp.PieceCount;
    for (int i = 1; i <= count; ++i) {
        const int16_t q = grp.PieceList[i];
        PieceInfo& pc = m.Pieces[q];
        pc.X = pc.HomeX;
        pc.Y = pc.HomeY;
        m.InPlaceCount = Add16(m.InPlaceCount, 1);
        m.PiecesInPlace.resize(size_t(m.InPlaceCount) + 1);
        m.PiecesInPlace[m.InPlaceCount] = q;
        pc.Group = 0;
    }
    grp.InPlace = true;
    grp.PieceCount = 0;
    grp.PieceList.assign(1, 0);
    RemoveGroup(m, group);
    m.SelectedPiece = 0;
    Locked locked;
    if (m.InPlaceCount == g.NumberOfPieces) {
        m.PuzzleComplete = true;
        locked = {true, m.File.ElapsedSeconds};
        m.File.ElapsedSeconds = 0;
    }
    return locked;
}

}  // namespace pz
