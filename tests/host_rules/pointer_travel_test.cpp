// The pointer travel that ends a full-screen show, for every host.
#include <gtest/gtest.h>

#include <cstdint>

#include "host_rules/pointer_travel.h"

namespace {

TEST(PointerTravel, EndsTheShowPastFourPixelsOfTravel)
{
    struct Case {
        int32_t fromX, fromY, x, y;
        bool past;
    };
    const Case cases[] = {
        {100, 100, 100, 100, false},        {100, 100, 104, 100, false}, {100, 100, 98, 102, false},
        {100, 100, 105, 100, true},         {100, 100, 97, 98, true},    {0, 0, 0, -5, true},
        {INT32_MIN, 0, INT32_MAX, 0, true}, // no overflow at the ends of the range
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsPastMouseThreshold(c.fromX, c.fromY, c.x, c.y), c.past)
            << "(" << c.fromX << ", " << c.fromY << ") to (" << c.x << ", " << c.y << ")";
}

} // namespace
