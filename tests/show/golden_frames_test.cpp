// Digests of whole frames at chosen moments in every format. They pin down every pixel of the show as it
// was checked by eye, and because the same test runs natively and under Wine they also prove that both
// builds draw the very same bytes.
#include <gtest/gtest.h>

#include "show/screen_geometry.h"
#include "show/show_host.h"
#include "tests/show/show_test_support.h"
#include "tools/render/frame_writer.h"

namespace {

TEST(GoldenFrames, DigestsInEveryFormat)
{
    // Elapsed milliseconds of the frames played; the digest is of the last.
    const std::vector<std::vector<uint32_t>> runs = {
        {16},
        {16, 32, 48, 100, 116, 1000, 1016},
        {10000, 12000, 24000, 36000, 36016},
    };
    // Formats: 8-bit cube, 5-5-5, 5-6-5, 24 and 32 bits.
    const uint32_t expected[3][5] = {
        {0xfc29571d, 0x99268001, 0xb16f3d1c, 0xe35099bc, 0xf53b1cdd},
        {0xd17eeb18, 0x43d40859, 0x0436f9c1, 0xd7fab85d, 0xd1edea84},
        {0xe6811991, 0x6f0fea7a, 0x96aef85c, 0xbb6d9559, 0x1d3c130f},
    };
    for (std::size_t r = 0; r < runs.size(); ++r) {
        for (std::size_t format = 0; format < namedPixelFormats.size(); ++format) {
            RestartShow();
            ShowFrame frame(*namedPixelFormats[format].format);
            frame.play(runs[r]);
            const uint32_t digest = Crc32(frame.pixels(), frame.storage.size() - 2 * TestFrame::guardBytes);
            EXPECT_EQ(digest, expected[r][format])
                << "run " << r << " format " << namedPixelFormats[format].name << std::hex << ": got 0x" << digest;
        }
    }
}

// A format's fill bits (a 32-bit X visual's alpha, a canvas's) are set in every pixel and in the clear value,
// and its masks only move the channels: each pixel is the 32-bit frame's, channels moved, fill bits added.
TEST(GoldenFrames, FillBitsAndChannelOrderChangeNothingElse)
{
    struct Case {
        PixelFormat format;
        uint32_t (*fromXrgb)(uint32_t);
    };
    const Case cases[] = {
        {MakePixelFormat(4, 0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000), [](uint32_t p) { return p | 0xFF000000u; }},
        {canvasRgbaFormat, [](uint32_t p) { return (p >> 16 & 0xFF) | (p & 0xFF00) | (p & 0xFF) << 16 | 0xFF000000u; }},
    };
    const std::vector<uint32_t> run = {16, 32, 48, 100, 116, 1000, 1016};
    RestartShow();
    ShowFrame plain(xrgb8888Format);
    plain.play(run);
    for (const Case& c : cases) {
        RestartShow();
        ShowFrame other(c.format);
        other.play(run);
        EXPECT_EQ(ShowClearValue(), c.format.fillBits);
        std::size_t differing = 0;
        for (uint32_t y = 0; y < plain.height; ++y)
            for (uint32_t x = 0; x < plain.width; ++x)
                differing += other.at(x, y) != c.fromXrgb(plain.at(x, y));
        EXPECT_EQ(differing, 0u) << std::hex << c.format.redMask;
    }
}

} // namespace
