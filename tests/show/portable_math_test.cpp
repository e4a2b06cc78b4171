// Tests of the show's own sine and cosine against the C library: the same to the last bit almost
// everywhere, and always the same once rounded to single precision as the sprites use them.
#include "show/portable_math.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

#include "show/units.h"

namespace {

int64_t UlpDistance(double a, double b)
{
    int64_t x, y;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    if (x < 0)
        x = INT64_MIN - x;
    if (y < 0)
        y = INT64_MIN - y;
    return x > y ? x - y : y - x;
}

TEST(PortableMath, ExactAtSpecialPoints)
{
    EXPECT_EQ(PortableSine(0.0), 0.0);
    EXPECT_EQ(PortableCosine(0.0), 1.0);
    EXPECT_EQ(PortableCosine(180.0 * degreesToRadians), -1.0) << "a spoke at 180 degrees lands exactly";
    EXPECT_EQ(static_cast<float>(PortableSine(90.0 * degreesToRadians)), 1.0f);
    EXPECT_EQ(static_cast<float>(PortableSine(45.0 * degreesToRadians)), 0.70710677f);
    EXPECT_TRUE(std::isnan(PortableSine(INFINITY)));
}

TEST(PortableMath, AgreesWithTheCLibrary)
{
#ifdef _WIN32
    // The reference is glibc's sin and cos. The Windows C library's are the reason the show has its own:
    // near multiples of pi they are thousands of units in the last place off.
    GTEST_SKIP() << "compared against glibc only";
#endif
    // Every angle the show can meet: degrees from -360 to 720 in fine, irregular steps.
    int64_t worst = 0;
    int floatMismatches = 0;
    for (int i = 0; i <= 1000000; ++i) {
        const float degrees = static_cast<float>(-360.0 + i * 0.00108 + (i % 7) * 1e-5);
        const double radians = degrees * degreesToRadians;
        const double s = PortableSine(radians), c = PortableCosine(radians);
        worst = std::max({worst, UlpDistance(s, std::sin(radians)), UlpDistance(c, std::cos(radians))});
        floatMismatches += static_cast<float>(s) != static_cast<float>(std::sin(radians));
        floatMismatches += static_cast<float>(c) != static_cast<float>(std::cos(radians));
    }
    EXPECT_LE(worst, 1) << "units in the last place";
    EXPECT_EQ(floatMismatches, 0);
}

// Doubles round as IEEE doubles from start-up on: on the x87 the precision control must already be at 53
// bits when the static initialisers and the tests run. With 64-bit mantissas the two halves of an ulp
// would add up to one instead of each rounding away.
TEST(PortableMath, DoublesRoundAsDoublesFromStartUp)
{
    EXPECT_TRUE(UsesDoublePrecision());
    volatile double one = 1.0;
    volatile double halfUlp = 0x1p-53;
    EXPECT_EQ((one + halfUlp) + halfUlp, 1.0);
}

// The x87's truncation by rounding to nearest and stepping back must agree with the cast at every kind of
// edge: halves (rounded to even by the x87), values just off an integer, both signs, the ends of the range.
TEST(PortableMath, TruncateToInt32AgreesWithTheCast)
{
    const double values[] = {0.0,
                             -0.0,
                             0.5,
                             -0.5,
                             1.5,
                             -1.5,
                             2.5,
                             -2.5,
                             0.49999999999999994,
                             -0.49999999999999994,
                             0.9999999999999999,
                             -0.9999999999999999,
                             1.0000000000000002,
                             -7.0,
                             255.99999999999997,
                             1e9 + 0.5,
                             -1e9 - 0.5,
                             2147483646.9,
                             -2147483646.5,
                             -2147483647.4};
    for (double value : values)
        EXPECT_EQ(TruncateToInt32(value), static_cast<int32_t>(value)) << value;
}

} // namespace
