// Where the picture goes in a host's area, for every host.
#include <gtest/gtest.h>

#include <tuple>

#include "host_rules/picture_placement.h"

namespace {

TEST(PlacePicture, CentresOneToOneAndShowsTheMiddleOfASmallerArea)
{
    struct Case {
        int32_t width, height;
        PicturePlacement expected;
    };
    const Case cases[] = {
        {640, 480, {{0, 0, 640}, {0, 0, 480}}},
        {800, 600, {{0, 80, 640}, {0, 60, 480}}},
        {1024, 768, {{0, 192, 640}, {0, 144, 480}}},
        {1366, 768, {{0, 363, 640}, {0, 144, 480}}},
        {641, 481, {{0, 0, 640}, {0, 0, 480}}}, // halves round down
        {320, 200, {{160, 0, 320}, {140, 0, 200}}},
        {1, 1, {{319, 0, 1}, {239, 0, 1}}},
        {0, 0, {{320, 0, 0}, {240, 0, 0}}},
    };
    for (const Case& c : cases) {
        const PicturePlacement got = PlacePicture(c.width, c.height);
        for (const auto& [axis, g, e] : {std::tuple{"x", got.x, c.expected.x}, std::tuple{"y", got.y, c.expected.y}})
            EXPECT_TRUE(g.source == e.source && g.dest == e.dest && g.length == e.length)
                << c.width << "x" << c.height << " " << axis << ": got source " << g.source << ", dest " << g.dest
                << ", length " << g.length << "; expected " << e.source << ", " << e.dest << ", " << e.length;
    }
}

} // namespace
