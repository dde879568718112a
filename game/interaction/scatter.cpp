#include "game/interaction/scatter.h"

#include <cmath>

#include "game/interaction/groups.h"
#include "game/model/numbers.h"

namespace pz {

void Scramble(Globals& g, PuzzleModel& m, float scaleWidth, float scaleHeight, Random& rnd) {
    if (!g.PuzzleLoaded) return;
    ClearSettings(g, m);
    const int16_t W = m.PieceWidth, H = m.PieceHeight;
    const int16_t maxX = CInt(scaleWidth - W - 2 * m.MarginX - 1);
    const int16_t minX = Add16(m.MarginX, 1);
    const int16_t maxY = CInt(scaleHeight - H - 2 * m.MarginY - 1);
    const int16_t minY = Add16(m.MarginY, 1);
    rnd.ReseedFromClock();
    const int16_t spanX = Add16(Sub16(maxX, minX), 1), spanY = Add16(Sub16(maxY, minY), 1);
    for (int i = 1; i <= m.GroupCount; ++i) {
        const int16_t grp = m.GroupOrder[i];
        PieceInfo& pc = m.Pieces[m.Groups[grp].PieceList[1]];
        const float r1 = rnd.Next();
        const float r2 = rnd.Next();
        pc.X = int32_t(std::floor(r1 * float(spanX) + float(minX)));
        pc.Y = int32_t(std::floor(r2 * float(spanY) + float(minY)));
        // A draw just below 1 can round up to the range's end in single
        // precision; keep the image inside the play area.
        if (spanX > 0 && pc.X > maxX) pc.X = maxX;
        if (spanY > 0 && pc.Y > maxY) pc.Y = maxY;
        m.Groups[grp].InPlace = false;
        AlignGroup(m, grp, scaleWidth, scaleHeight);
    }
}

void ScalePiecesPosition(PuzzleModel& m, float scaleWidth, float scaleHeight) {
    const int16_t newH = CInt(scaleHeight), newW = CInt(scaleWidth);
    const int32_t prevW = CLng(m.PreviousWidth), prevH = CLng(m.PreviousHeight);
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

}  // namespace pz
