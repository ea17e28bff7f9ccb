#include "platform/Millidegrees.h"

#include <gtest/gtest.h>

#include <limits>

TEST(Millidegrees, Conversions)
{
    struct Row {
        int64_t millidegrees;
        int32_t fixed16;
        int32_t whole;
        int16_t sp78;
    };
    constexpr int64_t huge = std::numeric_limits<int64_t>::max();
    for (const Row& row : std::initializer_list<Row> {
             { 0, 0, 0, 0 },
             { 47250, 3096576, 47, 0x2F40 },
             { 45500, 2981888, 46, 0x2D80 }, // halves go away from zero
             { -45500, -2981888, -46, -0x2D80 },
             { 1, 66, 0, 0 }, // 65.536, 0.256
             { 2, 131, 0, 1 }, // 131.072, 0.512
             { 499, 32702, 0, 128 }, // 32702.464, 127.744
             { huge, std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max(),
                 std::numeric_limits<int16_t>::max() },
             { -huge, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min(),
                 std::numeric_limits<int16_t>::min() },
         }) {
        EXPECT_EQ(Millidegrees::ToFixed16(row.millidegrees), row.fixed16) << row.millidegrees;
        EXPECT_EQ(Millidegrees::ToWholeDegrees(row.millidegrees), row.whole) << row.millidegrees;
        EXPECT_EQ(Millidegrees::ToSP78(row.millidegrees), row.sp78) << row.millidegrees;
    }
}
