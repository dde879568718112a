#include <gtest/gtest.h>

#include "game/model/numbers.h"

namespace pz {

TEST(Numbers, RoundsHalvesToEven) {
    for (auto [x, rounded] : {std::pair{0.5, 0}, {1.5, 2}, {2.5, 2}, {-2.5, -2}, {-3.5, -4}, {2.4999, 2}, {9.5, 10},
                              {12.5, 12}})
        EXPECT_EQ(RoundHalfEven(x), rounded) << x;
}

TEST(Numbers, IntegerConversionsAreChecked) {
    EXPECT_EQ(CInt(32767.4), 32767);
    EXPECT_THROW(CInt(32767.5), OverflowError);   // rounds to 32768
    EXPECT_EQ(CInt(-32768.5), -32768);            // rounds to the even -32768
    EXPECT_THROW(CheckI16(40000), OverflowError);
    EXPECT_THROW(Mul16(200, 200), OverflowError);
    EXPECT_EQ(Mul16(-181, 181), -32761);
    EXPECT_THROW(CLng(3e9), OverflowError);
    EXPECT_THROW(CInt(std::nan("")), OverflowError);
}

TEST(Numbers, IntegerDivisionTruncatesTowardZero) {
    EXPECT_EQ(IDiv(7, 2), 3);
    EXPECT_EQ(IDiv(-7, 2), -3);
    EXPECT_THROW(IDiv(1, 0), DivisionByZero);
}

}  // namespace pz
