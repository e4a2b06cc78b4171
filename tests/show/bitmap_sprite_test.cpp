// Tests of the bitmap sprite: construction, palette ramps, the phase and angle advance, shading and the
// turned placement of pixels, clipping and the order in which overlapping pixels are drawn.
#include "show/bitmap_sprite.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <gtest/gtest.h>

#include "show/images.h"
#include "show/listed_pixels.h"
#include "show/portable_math.h"
#include "show/random.h"
#include "show/scene.h"
#include "show/units.h"
#include "tests/show/show_test_support.h"

namespace {

// A 24x24 image with set pixels at the given (column, row) places; the pivot stays at (12, 12).
struct TestImage {
    std::array<uint8_t, 24 * 3 + 1> bytes{};
    TestImage(std::initializer_list<std::pair<int, int>> pixels)
    {
        for (auto [column, row] : pixels)
            bytes[row * 3 + column / 8] |= uint8_t(0x80 >> (column % 8));
    }
};

BitmapSprite MakeSprite(const TestImage& image)
{
    BitmapSprite sprite(24, 24, int32_t(image.bytes.size()), image.bytes.data());
    for (int e = 0; e < 256; ++e)
        sprite.palette[e] = {uint8_t(e), 0, 0}; // red carries the palette index through the 8-8-8 format
    return sprite;
}

// The straightforward definition of the draw: advance the colour phase and the angle, then every set bit,
// last byte first and within a byte rightmost pixel first, through the plot, with its shading term and its
// turned position computed afresh. The sprite's own draw must leave exactly the same picture.
void ReferenceDraw(BitmapSprite& sprite, float frameDelta, int32_t x, int32_t y)
{
    const double phase = double(sprite.colourPhase) + double(frameDelta) * double(sprite.colourSpeed);
    sprite.colourPhase = float(phase);
    sprite.colourOffset = uint8_t(int64_t(phase));
    sprite.angle = float(double(sprite.angle) + double(frameDelta) * double(sprite.angularSpeed));
    if (sprite.angle > 360.0)
        sprite.angle = float(sprite.angle - 360.0);
    if (sprite.angle < 0.0)
        sprite.angle = float(sprite.angle + 360.0);
    const double s = float(PortableSine(sprite.angle * degreesToRadians));
    const double c = float(PortableCosine(sprite.angle * degreesToRadians));
    for (int32_t n = sprite.imageSize - 1; n >= 0; --n) {
        const int32_t ry = n / sprite.bytesPerRow - sprite.pivotY;
        for (int k = 7; k >= 0; --k) {
            if ((sprite.image[n] & (0x80 >> k)) == 0)
                continue;
            const int32_t rx = 8 * (n % sprite.bytesPerRow) + k - sprite.pivotX;
            uint32_t term = 0;
            if (sprite.shadingMode == shadingHorizontal)
                term = uint32_t(std::abs(rx));
            else if (sprite.shadingMode == shadingVertical)
                term = uint32_t(std::abs(ry));
            else if (sprite.shadingMode == shadingRadial)
                term = uint32_t(std::sqrt(double(rx) * rx + double(ry) * ry));
            const Colour colour = sprite.palette[(sprite.colourOffset + term) & 0xFF];
            pixelSurface.plot(x + int32_t(rx * c - ry * s), y + int32_t(rx * s + ry * c), colour.red, colour.green,
                              colour.blue);
        }
    }
}

// The places in frame with a non-zero pixel, as (x, y, value).
std::vector<std::array<uint32_t, 3>> DrawnPixels(const TestFrame& frame)
{
    std::vector<std::array<uint32_t, 3>> drawn;
    for (uint32_t y = 0; y < frame.height; ++y)
        for (uint32_t x = 0; x < frame.width; ++x)
            if (frame.at(x, y) != 0)
                drawn.push_back({x, y, frame.at(x, y)});
    return drawn;
}

TEST(BitmapSprite, ConstructionSetsLayoutAndTakes256RandomValues)
{
    struct Case {
        int32_t width, height, bytesPerRow, pivotX, pivotY;
    };
    const Case cases[] = {{16, 16, 2, 8, 8}, {200, 50, 25, 100, 25}, {17, 5, 3, 8, 2}, {8, 1, 1, 4, 0}};
    const uint8_t image[1] = {0};
    for (const Case& c : cases) {
        const uint32_t before = randomState;
        BitmapSprite sprite(c.width, c.height, 1, image);
        uint32_t expected = before;
        for (int i = 0; i < 256; ++i)
            expected = expected * 214013u + 2531011u;
        EXPECT_EQ(randomState, expected) << "width " << c.width;
        EXPECT_EQ(sprite.bytesPerRow, c.bytesPerRow) << "width " << c.width;
        EXPECT_EQ(sprite.pivotX, c.pivotX);
        EXPECT_EQ(sprite.pivotY, c.pivotY);
        EXPECT_EQ(sprite.angle, 0.0f);
        EXPECT_EQ(sprite.colourSpeed, 0.0f);
        EXPECT_EQ(sprite.shadingMode, 0);
        for (const Colour& entry : sprite.palette)
            ASSERT_TRUE(entry.red == 255 && entry.green == 255 && entry.blue == 255);
    }
}

TEST(BitmapSprite, RampTruncatesSinglePrecisionSteps)
{
    const uint8_t image[1] = {0};
    BitmapSprite sprite(8, 1, 1, image);

    sprite.setRamp(0, 128, 0, 0, 0, 255, 255, 255);
    EXPECT_EQ(sprite.palette[127].red, 254) << "0 to 255 over 128 entries ends one short";
    EXPECT_EQ(sprite.palette[1].red, 2);

    sprite.setRamp(0, 4, 255, 0, 0, 50, 0, 0);
    EXPECT_EQ(sprite.palette[0].red, 255);
    EXPECT_EQ(sprite.palette[1].red, 186);
    EXPECT_EQ(sprite.palette[2].red, 118);
    EXPECT_EQ(sprite.palette[3].red, 49);

    sprite.setRamp(0, 256, 0, 0, 0, 255, 255, 255);
    for (int e = 0; e < 256; ++e)
        ASSERT_EQ(sprite.palette[e].green, e) << "a step of 1.0 gives entry i the value i";

    // Only the low 8 bits of first and of the colours count.
    sprite.setRamp(256 + 7, 1, 256 + 1, 512 + 2, 3, 0, 0, 0);
    EXPECT_EQ(sprite.palette[7].red, 1);
    EXPECT_EQ(sprite.palette[7].green, 2);
}

TEST(BitmapSprite, RampWrapsAndIgnoresEmptyCounts)
{
    const uint8_t image[1] = {0};
    BitmapSprite sprite(8, 1, 1, image);
    sprite.palette.fill({9, 9, 9});
    sprite.setRamp(0, 0, 1, 1, 1, 2, 2, 2);
    sprite.setRamp(0, -5, 1, 1, 1, 2, 2, 2);
    for (const Colour& entry : sprite.palette)
        ASSERT_EQ(entry.red, 9) << "a count of 0 or less changes nothing";

    sprite.setRamp(250, 10, 10, 10, 10, 100, 100, 100);
    for (int e = 0; e < 256; ++e) {
        const bool written = e >= 250 || e <= 3;
        EXPECT_EQ(sprite.palette[e].red != 9, written) << "entry " << e;
    }
    EXPECT_EQ(sprite.palette[250].red, 10);
    EXPECT_EQ(sprite.palette[3].red, 100);
}

TEST(BitmapSprite, SingleEntryRampIsItsStartColour)
{
    // The ramp's step would be 0/0; one entry is simply the start colour.
    const uint8_t image[1] = {0};
    BitmapSprite sprite(8, 1, 1, image);
    sprite.setRamp(40, 1, 10, 20, 30, 200, 210, 220);
    EXPECT_EQ(sprite.palette[40].red, 10);
    EXPECT_EQ(sprite.palette[40].green, 20);
    EXPECT_EQ(sprite.palette[40].blue, 30);
    EXPECT_EQ(sprite.palette[41].red, 255);
}

TEST(BitmapSprite, AngleFoldsOnceEachWay)
{
    struct Case {
        float angle, speed, delta, expected;
    };
    const Case cases[] = {
        {350.0f, 20.0f, 1.0f, 10.0f},  {10.0f, -20.0f, 1.0f, 350.0f},
        {350.0f, 10.0f, 1.0f, 360.0f},                                 // exactly 360 stays
        {0.0f, 0.0f, 1.0f, 0.0f},      {100.0f, 700.0f, 1.0f, 440.0f}, // a step of more than a turn is folded only once
    };
    const uint8_t image[1] = {0};
    for (const Case& c : cases) {
        BitmapSprite sprite(8, 1, 0, image);
        sprite.angle = c.angle;
        sprite.angularSpeed = c.speed;
        sprite.draw(c.delta, 0, 0);
        EXPECT_EQ(sprite.angle, c.expected) << c.angle << " + " << c.speed << " * " << c.delta;
    }
}

TEST(BitmapSprite, ColourOffsetIsTheTruncatedPhase)
{
    struct Case {
        float phase, speed, delta;
        uint8_t offset;
    };
    const Case cases[] = {
        {300.7f, 0.0f, 0.0f, 44},
        {-1.5f, 0.0f, 0.0f, 255},
        {0.0f, 64.0f, 0.5f, 32},
        {255.9f, 0.0f, 1.0f, 255},
    };
    const uint8_t image[1] = {0};
    for (const Case& c : cases) {
        BitmapSprite sprite(8, 1, 0, image);
        sprite.colourPhase = c.phase;
        sprite.colourSpeed = c.speed;
        sprite.draw(c.delta, 0, 0);
        EXPECT_EQ(sprite.colourOffset, c.offset) << "phase " << c.phase;
    }
}

TEST(BitmapSprite, PlacesTurnedPixels)
{
    struct Case {
        float angle;
        int column, row; // image pixel; the pivot is (12, 12)
        int dx, dy;      // where it lands relative to the draw point
    };
    const Case cases[] = {
        {0.0f, 15, 10, 3, -2},   // rx 3, ry -2 unturned
        {90.0f, 15, 12, 0, 3},   // rx 3: a quarter turn clockwise puts it below
        {90.0f, 12, 10, 2, 0},   // ry -2 goes to the right
        {45.0f, 13, 12, 0, 0},   // rx 1 at 45 degrees truncates onto the pivot
        {180.0f, 15, 12, -3, 0}, // c rounds to -1.0f in single precision; s is a few billionths
    };
    for (const Case& c : cases) {
        TestFrame frame(64, 64, 4);
        frame.attach(0xFF0000, 0xFF00, 0xFF);
        TestImage image{{c.column, c.row}};
        BitmapSprite sprite = MakeSprite(image);
        sprite.angle = c.angle;
        sprite.colourOffset = 0;
        sprite.palette[0] = {1, 2, 3};
        sprite.draw(0.0f, 30, 30);
        const auto drawn = DrawnPixels(frame);
        ASSERT_EQ(drawn.size(), 1u) << "angle " << c.angle;
        EXPECT_EQ(int(drawn[0][0]) - 30, c.dx) << "angle " << c.angle << " pixel " << c.column << "," << c.row;
        EXPECT_EQ(int(drawn[0][1]) - 30, c.dy) << "angle " << c.angle << " pixel " << c.column << "," << c.row;
    }
}

TEST(BitmapSprite, ShadingPicksPaletteEntries)
{
    struct Case {
        uint8_t mode, offset;
        int column, row; // the pivot is (12, 12)
        uint32_t entry;
    };
    const Case cases[] = {
        {0, 7, 2, 20, 7},      // flat
        {1, 250, 2, 20, 4},    // |rx| = 10: (250 + 10) mod 256
        {2, 1, 2, 20, 9},      // |ry| = 8
        {3, 0, 15, 16, 5},     // 3-4-5
        {3, 100, 23, 23, 115}, // sqrt(242) = 15.56 truncates to 15
        {9, 33, 2, 20, 33},    // unknown modes draw flat
    };
    for (const Case& c : cases) {
        TestFrame frame(64, 64, 4);
        frame.attach(0xFF0000, 0xFF00, 0xFF);
        TestImage image{{c.column, c.row}};
        BitmapSprite sprite = MakeSprite(image);
        sprite.shadingMode = c.mode;
        sprite.colourPhase = c.offset;
        sprite.draw(0.0f, 30, 30);
        const auto drawn = DrawnPixels(frame);
        ASSERT_EQ(drawn.size(), 1u);
        EXPECT_EQ(drawn[0][2] >> 16, c.entry) << "mode " << int(c.mode) << " offset " << int(c.offset);
    }
}

TEST(BitmapSprite, LaterPixelsInWalkOrderWin)
{
    // At 45 degrees the pixels at rx 0 and rx 1 both land on the pivot. The walk goes from the last byte
    // to the first and from the rightmost bit to the leftmost, so rx 0 (further left) is drawn last.
    TestFrame frame(64, 64, 4);
    frame.attach(0xFF0000, 0xFF00, 0xFF);
    TestImage image{{12, 12}, {13, 12}};
    BitmapSprite sprite = MakeSprite(image);
    sprite.shadingMode = shadingHorizontal;
    sprite.angle = 45.0f;
    sprite.draw(0.0f, 30, 30);
    EXPECT_EQ(frame.at(30, 30) >> 16, 0u) << "the pixel at rx 0 must be drawn over the one at rx 1";
}

TEST(BitmapSprite, DrawsTrailingBytesAndPaddingBits)
{
    // An 11-wide image keeps 2 bytes a row: a set bit past the width and a byte past the last row are drawn.
    const uint8_t image[2 * 2 + 1] = {0x00, 0x01, 0x00, 0x00, 0x80}; // row 0 column 15; "row 2" column 0
    TestFrame frame(64, 64, 4);
    frame.attach(0xFF0000, 0xFF00, 0xFF);
    BitmapSprite sprite(11, 2, 5, image); // pivot (5, 1)
    sprite.draw(0.0f, 30, 30);
    const auto drawn = DrawnPixels(frame);
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0][0], 40u);
    EXPECT_EQ(drawn[0][1], 29u);
    EXPECT_EQ(drawn[1][0], 25u);
    EXPECT_EQ(drawn[1][1], 31u);
}

TEST(BitmapSprite, ClipsAtEveryEdgeInEveryPixelSize)
{
    // A solid 24x24 square turned by 30 degrees, its pivot on each corner and edge of a small surface.
    TestImage solid{};
    for (auto& byte : solid.bytes)
        byte = 0xFF;
    for (uint32_t size = 1; size <= 4; ++size) {
        for (auto [x, y] : {std::pair{0, 0}, {39, 0}, {0, 29}, {39, 29}, {20, -5}, {-5, 15}, {44, 15}, {20, 34}}) {
            TestFrame frame(40, 30, size);
            frame.attach(0xE0, 0x1C, 0x03);
            BitmapSprite sprite = MakeSprite(solid);
            sprite.angle = 30.0f;
            sprite.draw(0.0f, x, y);
            EXPECT_TRUE(frame.guardsIntact()) << size << " bytes per pixel, pivot on " << x << "," << y;
        }
    }
}

TEST(BitmapSprite, ClippedAndUnclippedDrawsAgree)
{
    // On a large frame the sprite fits whole and is drawn without per-pixel clipping; on a small one it is
    // clipped. Inside the small frame's window both must be the same picture, at every angle.
    TestImage image{};
    for (std::size_t i = 0; i + 1 < image.bytes.size(); ++i)
        image.bytes[i] = uint8_t(0x5B * (i + 1)) | 0x81;
    for (float angle = 0.0f; angle < 360.0f; angle += 7.3f) {
        TestFrame large(100, 100, 2), small(30, 20, 2);
        large.attach(0xF800, 0x07E0, 0x1F);
        BitmapSprite sprite = MakeSprite(image);
        sprite.shadingMode = shadingRadial;
        sprite.angle = angle;
        sprite.draw(0.0f, 50, 50);
        small.attach(0xF800, 0x07E0, 0x1F);
        sprite.angle = angle;
        sprite.draw(0.0f, 10, 8);
        for (uint32_t y = 0; y < small.height; ++y)
            for (uint32_t x = 0; x < small.width; ++x)
                ASSERT_EQ(small.at(x, y), large.at(x + 40, y + 42)) << "angle " << angle << " at " << x << "," << y;
        EXPECT_TRUE(small.guardsIntact());
    }
}

TEST(BitmapSprite, DrawEqualsPlottingEveryPixelInOrder)
{
    // Pixels 255 and 256 columns either side of the pivot, in rows 0 and 1 of an image too large to be listed
    // (its empty trailing bytes are drawn as further rows).
    std::array<uint8_t, 65 * 40> farPixels{};
    for (int row = 0; row < 2; ++row)
        for (int column : {4, 5, 515, 516})
            farPixels[row * 65 + column / 8] |= uint8_t(0x80 >> (column % 8));
    TestImage patterned{};
    for (std::size_t i = 0; i + 1 < patterned.bytes.size(); ++i)
        patterned.bytes[i] = uint8_t(0x5B * (i + 1)) | 0x81;
    TestImage solid{};
    solid.bytes.fill(0xFF);

    struct Image {
        const uint8_t* bytes;
        int32_t width, height, size;
    };
    const Image ring{ringImage.data(), ringImageWidth, ringImageHeight, int32_t(ringImage.size())};
    const Image star{drifterImage.data(), drifterImageWidth, drifterImageHeight, int32_t(drifterImage.size())};
    const Image far{farPixels.data(), 520, 2, int32_t(farPixels.size())};
    const Image pattern{patterned.bytes.data(), 24, 24, int32_t(patterned.bytes.size())};
    const Image square{solid.bytes.data(), 24, 24, int32_t(solid.bytes.size())};
    struct Case {
        const char* what;
        Image image;
        int32_t pivotShift; // added to the pivot's column, as the ring's radius does
        uint8_t mode;
        float angle, colourPhase, colourSpeed;
        uint32_t frameWidth, frameHeight, clipWidth; // rows stay frameWidth pixels apart
        int32_t x, y;
    };
    const Case cases[] = {
        {"ring spoke inside the frame", ring, -40, shadingRadial, 20.0f, 14.0f, 64.0f, 640, 480, 640, 307, 245},
        {"ring spoke breathed out, over the right edge", ring, 120, shadingRadial, 3.5f, 200.0f, 64.0f, 640, 480, 640,
         440, 225},
        {"ring spoke over the top left corner", ring, -120, shadingRadial, 131.0f, 99.0f, 64.0f, 640, 480, 640, 30, 20},
        {"ring spoke, flat", ring, 7, shadingFlat, 61.0f, 3.0f, 64.0f, 640, 480, 640, 320, 240},
        {"ring spoke, across", ring, 7, shadingHorizontal, 250.0f, 3.0f, 64.0f, 640, 480, 640, 320, 240},
        {"ring spoke, down", ring, 7, shadingVertical, 300.0f, 3.0f, 64.0f, 640, 480, 640, 320, 240},
        {"ring spoke, clip narrower than the pitch", ring, 0, shadingRadial, 70.0f, 0.0f, 64.0f, 640, 480, 401, 320,
         240},
        {"ring spoke, rows too far apart for 16 bits", ring, 0, shadingRadial, 10.0f, 0.0f, 64.0f, 33000, 300, 640, 320,
         150},
        {"star", star, 0, shadingRadial, 0.0f, 0.0f, 0.0f, 64, 64, 64, 30, 30},
        {"fits across, hangs over the bottom of a wide frame", square, 0, shadingRadial, 30.0f, 0.0f, 0.0f, 120, 40,
         120, 60, 30},
        {"fits down, hangs over the right of a tall frame", pattern, 0, shadingHorizontal, 30.0f, 0.0f, 0.0f, 40, 120,
         40, 30, 60},
        {"radial pixels 255 and 256 columns from the pivot", far, 0, shadingRadial, 0.0f, 0.0f, 0.0f, 600, 600, 600,
         300, 300},
        {"pivot beyond 16 bits", pattern, 40000, shadingRadial, 0.0f, 0.0f, 0.0f, 64, 64, 64, 40030, 30},
        {"colour phase just below 256, a tiny step", pattern, 0, shadingFlat, 0.0f, 255.99998f, 1.0e-5f, 64, 64, 64, 30,
         30},
    };
    // Masks by pixel size; the wide formats keep every bit of the palette.
    const uint32_t masks[5][3] = {
        {}, {0xE0, 0x1C, 0x03}, {0xF800, 0x07E0, 0x1F}, {0xFF0000, 0xFF00, 0xFF}, {0xFF0000, 0xFF00, 0xFF}};
    for (const Case& c : cases) {
        // Also turned a quarter (the cosine is a few billionths) and by an angle on no axis.
        for (float turn : {0.0f, 90.0f, 201.3f}) {
            for (uint32_t size = 1; size <= 4; ++size) {
                BitmapSprite sprite(c.image.width, c.image.height, c.image.size, c.image.bytes);
                for (int e = 0; e < 256; ++e)
                    sprite.palette[e] = {uint8_t(e), uint8_t(e * 37), uint8_t(e * 101)};
                sprite.pivotX += c.pivotShift;
                sprite.shadingMode = c.mode;
                sprite.angle = c.angle + turn;
                sprite.colourPhase = c.colourPhase;
                sprite.colourSpeed = c.colourSpeed;
                BitmapSprite reference = sprite;
                TestFrame expected(c.frameWidth, c.frameHeight, size), actual(c.frameWidth, c.frameHeight, size);
                expected.attach(masks[size][0], masks[size][1], masks[size][2]);
                pixelSurface.clipWidth = c.clipWidth;
                ReferenceDraw(reference, 1.0f, c.x, c.y);
                actual.attach(masks[size][0], masks[size][1], masks[size][2]);
                pixelSurface.clipWidth = c.clipWidth;
                sprite.draw(1.0f, c.x, c.y);
                EXPECT_TRUE(actual.storage == expected.storage)
                    << c.what << ", turned " << turn << ", " << size << " bytes per pixel";
                EXPECT_EQ(sprite.colourOffset, reference.colourOffset) << c.what;
                EXPECT_EQ(sprite.angle, reference.angle) << c.what;
            }
        }
    }
}

TEST(BitmapSprite, DrawsFollowChangesBetweenThem)
{
    // Draws keep what they worked out for the image, its layout, pivot, mode, palette and format they drew
    // last; a change to any one of them between two draws must show in the second.
    const char* const changes[] = {
        "image rewritten in place", "pivot moved across", "shading mode", "palette", "format",
        "pivot moved down",         "bytes per row",      "image size"};
    for (int change = 0; change < 8; ++change) {
        TestImage image{{3, 4}, {12, 12}, {20, 7}, {21, 7}};
        BitmapSprite sprite = MakeSprite(image);
        sprite.shadingMode = shadingHorizontal;
        uint32_t masks[3] = {0xFF0000, 0xFF00, 0xFF};
        TestFrame first(64, 64, 4);
        first.attach(masks[0], masks[1], masks[2]);
        sprite.draw(0.0f, 30, 30);
        switch (change) {
        case 0: image.bytes[4 * 3] = 0; break; // the pixel in column 3 of row 4
        case 1: ++sprite.pivotX; break;
        case 2: sprite.shadingMode = shadingRadial; break;
        case 3: sprite.palette[8].green = 99; break; // the pixel at (20, 7), 8 columns from the pivot
        case 4: std::swap(masks[0], masks[2]); break;
        case 5: ++sprite.pivotY; break;
        case 6: sprite.bytesPerRow = 4; break;
        default: sprite.imageSize = 4 * 3; break; // rows 0 to 3 hold no set pixel
        }
        BitmapSprite reference = sprite;
        TestFrame expected(64, 64, 4), actual(64, 64, 4);
        expected.attach(masks[0], masks[1], masks[2]);
        ReferenceDraw(reference, 0.0f, 30, 30);
        actual.attach(masks[0], masks[1], masks[2]);
        sprite.draw(0.0f, 30, 30);
        EXPECT_TRUE(actual.storage == expected.storage) << changes[change];
    }
}

TEST(BitmapSprite, FastPathEqualsOneByOneForEveryPivotAngleAndEdge)
{
    // Every list the show draws (the ring spoke at every radius it breathes through, and the star), in every
    // shading mode and pixel size, drawn the build's fast way and by the definition: turned by eight angles
    // 45 degrees apart, starting 3 degrees further at each radius so that together they take every multiple
    // of 3, and the largest and the star also by the angles either side of each axis where the exactness of
    // double products changes (sine or cosine near 2^-14), all with the whole sprite inside; then with the
    // farthest pixel turned toward each edge and the pivot 1 pixel nearer the edge than that pixel's distance
    // (that pixel lands outside, so the draw must clip) and 2 farther (it fits). The integer way, where it
    // takes a draw, too (along its runs where the whole sprite is inside), by the same angles and also by
    // those either side of each axis where it stops taking them (sine or cosine near 2^-9).
    static PixelList list; // large: not on the stack
    int32_t drawnInIntegers = 0;
    uint32_t colours[256];
    for (uint32_t term = 0; term < 256; ++term)
        colours[term] = (term + 1) * 0x010101u; // never 0 (terms here stay below 255), different in every size
    for (int32_t radius = -120; radius <= 121; ++radius) {
        const bool star = radius == 121;
        BitmapSprite sprite(star ? drifterImageWidth : ringImageWidth, star ? drifterImageHeight : ringImageHeight,
                            int32_t(star ? drifterImage.size() : ringImage.size()),
                            star ? drifterImage.data() : ringImage.data());
        if (!star)
            PlaceRingPivot(sprite, radius);
        sprite.shadingMode = uint8_t(radius & 3);
        const uint32_t size = 1 + (uint32_t(radius) >> 2 & 3);
        ASSERT_TRUE(ListPixels(sprite, list));
        // The runs are the longest stretches in which each place lies one column left of the one before.
        for (int32_t i = 0, r = 0; i < list.count; ++r) {
            ASSERT_LT(r, list.runCount) << "radius " << radius;
            for (int32_t end = i + list.runLengths[r]; ++i < end;)
                ASSERT_TRUE(list.places[i].ry == list.places[i - 1].ry &&
                            list.places[i].rx == list.places[i - 1].rx - 1);
            ASSERT_FALSE(i < list.count && list.places[i].ry == list.places[i - 1].ry &&
                         list.places[i].rx == list.places[i - 1].rx - 1);
            ASSERT_EQ(r + 1 == list.runCount, i == list.count) << "radius " << radius;
        }
        // The farthest pixel and its distance.
        int32_t farthest = 0;
        for (int32_t i = 0; i < list.count; ++i)
            if (std::hypot(list.places[i].rx, list.places[i].ry) >
                std::hypot(list.places[farthest].rx, list.places[farthest].ry))
                farthest = i;
        const double distance = std::hypot(list.places[farthest].rx, list.places[farthest].ry);
        const int32_t reach = int32_t(distance) + 3, side = 2 * reach + 1;
        TestFrame expected(side, side, size), actual(side, side, size);
        auto compare = [&](float angle, int32_t x, int32_t y) {
            const double radians = angle * degreesToRadians;
            const double sine = float(PortableSine(radians)), cosine = float(PortableCosine(radians));
            std::fill(expected.pixels(), expected.pixels() + side * side * size, 0);
            std::fill(actual.pixels(), actual.pixels() + side * side * size, 0);
            expected.attach(0, 0, 0); // the colours come packed
            ListedDraw definition = SetupListedDraw(list, sine, cosine, x, y, colours);
            definition.clip = true;
            DrawListedOneByOne(list, definition);
            actual.attach(0, 0, 0);
            DrawListedFast(list, SetupListedDraw(list, sine, cosine, x, y, colours));
            if (expected.storage != actual.storage)
                return false;
            std::fill(actual.pixels(), actual.pixels() + side * side * size, 0);
            const bool inIntegers = DrawListedInIntegers(list, SetupListedDraw(list, sine, cosine, x, y, colours));
            drawnInIntegers += inIntegers;
            return !inIntegers || expected.storage == actual.storage;
        };
        for (int k = 0; k < 8; ++k) {
            const float angle = float((radius + 120) * 3 % 45 + 45 * k);
            ASSERT_TRUE(compare(angle, reach, reach)) << "radius " << radius << ", angle " << angle;
        }
        for (float axis : {0.0f, 90.0f, 180.0f, 270.0f, 360.0f})
            for (float off : {-0.13f, -0.1f, -0.0042f, -0.0033f, 0.0033f, 0.0042f, 0.1f, 0.13f})
                ASSERT_TRUE(std::abs(radius) < 120 || compare(axis + off, reach, reach)) << "radius " << radius;
        // The farthest pixel turned toward each edge, then the pivot moved toward it.
        const double toward = std::atan2(list.places[farthest].ry, list.places[farthest].rx) / degreesToRadians;
        for (int edge = 0; edge < 4; ++edge) {
            const float angle = float(std::fmod(720.0 + edge * 90.0 - toward, 360.0)); // right, down, left, up
            for (int32_t gap : {int32_t(distance) - 1, int32_t(distance) + 2}) {
                const int32_t x = edge == 0 ? side - 1 - gap : edge == 2 ? gap : reach;
                const int32_t y = edge == 1 ? side - 1 - gap : edge == 3 ? gap : reach;
                ASSERT_TRUE(compare(angle, x, y)) << "radius " << radius << ", edge " << edge << ", gap " << gap;
            }
        }
    }
    EXPECT_GT(drawnInIntegers, 242 * 8); // at least the draws turned by multiples of 3 degrees
}

TEST(BitmapSprite, IntegerWayTakesOnlyDrawsItComputesExactly)
{
    // The integer way draws where the sine and cosine are multiples of 2^-32 of at most 1 and its tables
    // reach the list and the clip height; elsewhere it must refuse the draw and leave the frame as it was.
    // A 16-wide image, 2 rows; the pivot placed so that the list's columns or rows reach as far as given.
    struct Case {
        const char* name;
        double sine, cosine;
        int32_t pivotX, pivotY;
        uint32_t clipHeight;
        bool taken;
    } const cases[] = {
        {"30 degrees", float(0.5), float(0.8660254037844386), 8, 1, 64, true},
        {"no turn", 0.0, 1.0, 8, 1, 64, true},
        {"2^-9 is a multiple of 2^-32", 0x1p-9, 1.0, 8, 1, 64, true},
        {"2^-20 is a multiple of 2^-32", 0x1p-20, 1.0, 8, 1, 64, true},
        {"sine below 2^-9 with its lowest bit at 2^-33", 0x1.000002p-10, 1.0, 8, 1, 64, false},
        {"cosine of 90 degrees in single precision", 1.0, double(float(PortableCosine(90 * degreesToRadians))), 8, 1,
         64, false},
        {"more than 1", 1.0, 2.0, 8, 1, 64, false},
        {"not a number", std::nan(""), 1.0, 8, 1, 64, false},
        {"columns reach -1024", 0.5, 0.5, 1024, 1, 64, true},
        {"columns reach -1025", 0.5, 0.5, 1025, 1, 64, false},
        {"columns reach 1023", 0.5, 0.5, -1008, 1, 64, true},
        {"columns reach 1024", 0.5, 0.5, -1009, 1, 64, false},
        {"rows reach -1025", 0.5, 0.5, 8, 1025, 64, false},
        {"rows reach 1024", 0.5, 0.5, 8, -1023, 64, false},
        {"clip height 2048", 0.5, 0.5, 8, 1, 2048, true},
        {"clip height 2049", 0.5, 0.5, 8, 1, 2049, false},
    };
    static PixelList list;
    const uint8_t image[4] = {0x80, 0x01, 0x81, 0x00}; // columns 0 and 15 of row 0, 0 and 7 of row 1
    const uint32_t colours[256] = {0xAB};
    for (const Case& c : cases) {
        BitmapSprite sprite(16, 2, 4, image);
        sprite.pivotX = c.pivotX, sprite.pivotY = c.pivotY;
        ASSERT_TRUE(ListPixels(sprite, list)) << c.name;
        uint8_t pixels[64 * 64] = {};
        ListedDraw draw = SetupListedDraw(list, c.sine, c.cosine, 0, 0, colours);
        draw.pixels = pixels, draw.pitch = 64, draw.bytesPerPixel = 1, draw.clipWidth = 64;
        draw.clipHeight = c.clipHeight, draw.clip = true;
        // Where it is taken, it draws what the definition draws. (Nothing lands below row 16: the clip height
        // past 64 only matters to the choice.)
        uint8_t expected[64 * 64] = {};
        ListedDraw definition = draw;
        definition.pixels = expected;
        if (c.taken)
            DrawListedOneByOne(list, definition);
        EXPECT_EQ(DrawListedInIntegers(list, draw), c.taken) << c.name;
        EXPECT_TRUE(std::equal(pixels, pixels + 64 * 64, expected)) << c.name;
    }
}

TEST(BitmapSprite, ListedRadialTermsAreTheTruncatedRootsFarOut)
{
    // The list steps its radial terms' roots from pixel to pixel; they must be the definition's truncated
    // double roots at every distance, up to the farthest a list holds, where the roots jump between rows.
    static PixelList list;
    std::array<uint8_t, 64 * 8> image{};
    for (std::size_t n = 0; n < image.size(); ++n)
        image[n] = uint8_t(0x5B * (n + 1) | 0x81);
    for (auto [pivotX, pivotY] : {std::pair{32, 4}, {-32000, 32000}, {32767 - 7, -32760}, {700, -1000}}) {
        BitmapSprite sprite(64 * 8, 8, int32_t(image.size()), image.data());
        sprite.pivotX = pivotX, sprite.pivotY = pivotY, sprite.shadingMode = shadingRadial;
        ASSERT_TRUE(ListPixels(sprite, list)) << pivotX;
        for (int32_t i = 0; i < list.count; ++i) {
            const double rx = list.places[i].rx, ry = list.places[i].ry;
            ASSERT_EQ(list.terms[i], uint8_t(int64_t(std::sqrt(rx * rx + ry * ry)))) << pivotX << " pixel " << i;
        }
    }
}

TEST(BitmapSprite, EmptyImageStillAdvances)
{
    TestFrame frame(8, 8, 4);
    frame.attach(0xFF0000, 0xFF00, 0xFF);
    const uint8_t image[1] = {0xFF};
    BitmapSprite sprite(8, 1, 0, image);
    sprite.colourSpeed = 10.0f;
    sprite.angularSpeed = 10.0f;
    sprite.draw(1.0f, 4, 4);
    EXPECT_EQ(sprite.angle, 10.0f);
    EXPECT_EQ(sprite.colourOffset, 10);
    EXPECT_TRUE(DrawnPixels(frame).empty());
}

} // namespace
