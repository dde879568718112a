#include "game/model/grid.h"

#include <cmath>

#include "game/model/numbers.h"

namespace pz {

std::vector<int16_t> ComputeDivisors(int16_t n) {
    std::vector<int16_t> d{0};
    for (int k = 2; k <= n / 2; ++k)
        if (n % k == 0) d.push_back(int16_t(k));
    int count = int(d.size()) - 1;
    d.resize(size_t(count - count / 2) + 1);
    return d;
}

void SetDivisors(Grid& g) {
    g.Divisors = ComputeDivisors(g.NumberOfPieces);
    g.DivisorCount = int16_t(g.Divisors.size() - 1);
}

bool ChooseGrid(const Grid& g, int16_t imageWidth, int16_t imageHeight, GridChoice& out) {
    const int n = g.NumberOfPieces;
    if (g.DivisorCount < 1 || imageHeight <= 0) return false;
    const double ratio = double(imageWidth) / double(imageHeight);
    int best = 1;
    if (g.DivisorCount > 1) {
        // The comparison is on the signed difference against the rounded
        // earlier value; landscape and portrait pictures are not symmetric.
        auto gap = [&](int i) {
            int d = g.Divisors[i];
            return ratio - double(d) / double(n / d);
        };
        double diff = RoundHalfEven(gap(1));
        for (int i = 2; i <= g.DivisorCount; ++i) {
            double e = gap(i);
            if (e < diff) {
                best = i;
                diff = RoundHalfEven(e);
            }
        }
    }
    const int a = g.Divisors[best];
    const int b = n / a;
    const int big = std::max(a, b), small = std::min(a, b);
    if (imageWidth > imageHeight) {
        out.columns = int16_t(big);
        out.rows = int16_t(small);
    } else {
        out.columns = int16_t(small);
        out.rows = int16_t(big);
    }
    return true;
}

void InitPieceRecords(const Grid& g, PuzzleModel& m) {
    const int n = g.NumberOfPieces;
    m.Pieces.assign(size_t(n) + 1, PieceInfo{});
    m.Groups.assign(size_t(n) + 1, GroupInfo{});
    for (int p = 1; p <= n; ++p) {
        PieceInfo& pc = m.Pieces[p];
        pc.Column = int16_t((p - 1) % g.NumColumns);
        pc.Row = int16_t((p - 1) / g.NumColumns);
        const bool lastRow = pc.Row == g.NumRows - 1, lastCol = pc.Column == g.NumColumns - 1;
        if ((pc.Row + pc.Column) % 2 == 0) {
            pc.LeftOut = pc.RightOut = true;
            pc.TopOut = pc.Row == 0;
            pc.BottomOut = lastRow;
        } else {
            pc.TopOut = pc.BottomOut = true;
            pc.LeftOut = pc.Column == 0;
            pc.RightOut = lastCol;
        }
    }
}

}  // namespace pz
