#include "game/interaction/scatter.h"

#include <cmath>

#include "game/interaction/groups.h"
#include "game/model/numbers.h"

namespace pz {

void Scramble(const Grid& g, PuzzleModel& m, float scaleWidth, float scaleHeight, Random& rnd) {
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

}  // namespace pz
