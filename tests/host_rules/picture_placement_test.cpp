// Where the picture goes in a host's area, for every host.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "host_rules/picture_placement.h"

namespace {

TEST(PlacePicture, CentresOneToOneAndShowsTheMiddleOfASmallerArea)
{
    struct Case {
        int32_t width, height;
        PicturePlacement expected;
    };
    const Case cases[] = {
        {640, 480, {{0, 0, 640}, {0, 0, 480}}},      {800, 600, {{0, 80, 640}, {0, 60, 480}}},
        {1024, 768, {{0, 192, 640}, {0, 144, 480}}}, {1366, 768, {{0, 363, 640}, {0, 144, 480}}},
        {641, 481, {{0, 0, 640}, {0, 0, 480}}}, // halves round down
        {320, 200, {{160, 0, 320}, {140, 0, 200}}},  {1, 1, {{319, 0, 1}, {239, 0, 1}}},
        {1024, 400, {{0, 192, 640}, {40, 0, 400}}}, // wider, lower: each axis on its own
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

// Over several monitors: centred on the primary, one to one, and every other pixel of the window in exactly
// one black band. A single monitor gives PlacePicture's numbers.
TEST(PlaceOnPrimary, CentresOnThePrimaryAndBlacksOutTheRestOfTheWindow)
{
    struct Case {
        const char* layout;
        ScreenBox area;
        ScreenBox monitors[2];
        int32_t count, primary;
        int32_t destX, destY; // where the picture's corner lands in the window
    };
    const Case cases[] = {
        {"single 640x480", {0, 0, 640, 480}, {{0, 0, 640, 480}}, 1, 0, 0, 0},
        {"single 800x600", {0, 0, 800, 600}, {{0, 0, 800, 600}}, 1, 0, 80, 60},
        {"single 1024x768", {0, 0, 1024, 768}, {{0, 0, 1024, 768}}, 1, 0, 192, 144},
        {"single 1366x768", {0, 0, 1366, 768}, {{0, 0, 1366, 768}}, 1, 0, 363, 144},
        {"single 641x481: bands of 1 pixel", {0, 0, 641, 481}, {{0, 0, 641, 481}}, 1, 0, 0, 0},
        {"no monitor list", {0, 0, 1024, 768}, {}, 0, 0, 192, 144},
        {"primary index past the list", {0, 0, 1824, 768}, {{0, 0, 1024, 768}, {1024, 0, 800, 600}}, 1, 1, 592, 144},
        {"second left", {-800, 0, 1824, 768}, {{0, 0, 1024, 768}, {-800, 0, 800, 600}}, 2, 0, 992, 144},
        {"second right", {0, 0, 1824, 768}, {{1024, 0, 800, 600}, {0, 0, 1024, 768}}, 2, 1, 192, 144},
        {"second above", {0, -600, 1024, 1368}, {{0, 0, 1024, 768}, {0, -600, 800, 600}}, 2, 0, 192, 744},
        {"second below, larger", {0, 0, 1024, 1368}, {{0, 0, 800, 600}, {0, 600, 1024, 768}}, 2, 0, 80, 60},
        {"equal, primary right", {-1024, 0, 2048, 768}, {{-1024, 0, 1024, 768}, {0, 0, 1024, 768}}, 2, 1, 1216, 144},
        {"root coordinates", {0, 0, 1824, 768}, {{0, 0, 800, 600}, {800, 0, 1024, 768}}, 2, 1, 992, 144},
        {"window on the primary only", {800, 0, 1024, 768}, {{0, 0, 800, 600}, {800, 0, 1024, 768}}, 2, 1, 192, 144},
        {"window on the other only", {0, 0, 800, 600}, {{0, 0, 800, 600}, {800, 0, 1024, 768}}, 2, 1, 80, 60},
        {"primary partly covered", {0, 0, 1524, 768}, {{0, 0, 800, 600}, {800, 0, 1024, 768}}, 2, 1, 842, 144},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.layout);
        const MonitorPlacement got = PlaceOnPrimary(c.area, c.monitors, c.count, c.primary);
        EXPECT_EQ(got.picture.x.dest, c.destX);
        EXPECT_EQ(got.picture.y.dest, c.destY);
        EXPECT_EQ(got.picture.x.length, 640);
        EXPECT_EQ(got.picture.y.length, 480);
        // Every pixel of the window once: the picture's or one band's.
        std::vector<uint8_t> covered(std::size_t(c.area.width) * c.area.height, 0);
        auto cover = [&](ScreenBox box) {
            EXPECT_TRUE(box.x >= 0 && box.y >= 0 && box.x + box.width <= c.area.width &&
                        box.y + box.height <= c.area.height)
                << "(" << box.x << ", " << box.y << ") " << box.width << "x" << box.height << " leaves the window";
            for (int32_t y = std::max(box.y, 0); y < std::min(box.y + box.height, c.area.height); ++y)
                for (int32_t x = std::max(box.x, 0); x < std::min(box.x + box.width, c.area.width); ++x)
                    ++covered[std::size_t(y) * c.area.width + x];
        };
        cover({got.picture.x.dest, got.picture.y.dest, got.picture.x.length, got.picture.y.length});
        for (int32_t b = 0; b < got.blackCount; ++b)
            cover(got.black[b]);
        EXPECT_EQ(std::count(covered.begin(), covered.end(), 1), std::ptrdiff_t(covered.size()));
    }
}
