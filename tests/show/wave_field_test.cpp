// Tests of the wave field: construction, sine tables, shading and the displaced draw.
#include "show/wave_field.h"

#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "show/pixel_format.h"
#include "show/wave_field_draws.h"
#include "tests/show/show_test_support.h"

namespace {

// The straightforward definition of the draw: every field pixel through the plot, rows top to bottom,
// columns left to right. The field's own draw must leave exactly the same picture.
void ReferenceDraw(const WaveField& field, int32_t anchorX, int32_t anchorY)
{
    const int32_t x0 = anchorX - field.centreX;
    const int32_t y0 = anchorY - field.centreY;
    for (int32_t n = 0; n < field.height; ++n) {
        for (int32_t i = 0; i < field.width; ++i) {
            uint32_t index = field.colourOffset;
            if (field.shadingMode == 1)
                index = field.colourOffset + uint32_t(i);
            else if (field.shadingMode == 2)
                index = field.colourOffset + uint32_t(n);
            else if (field.shadingMode == 3)
                index = uint32_t(std::sqrt(
                    double((n - field.centreY) * (n - field.centreY) + (i - field.centreX) * (i - field.centreX))));
            const Colour colour = field.palette[index & 0xFF];
            pixelSurface.plot(x0 + i + field.rowDisplacement[(field.rowPhase + n) & 0xFF],
                              y0 + n + field.columnDisplacement[(field.columnPhase + i) & 0xFF], colour.red,
                              colour.green, colour.blue);
        }
    }
}

WaveField ShowSea()
{
    WaveField field;
    for (int e = 0; e < 256; ++e)
        field.palette[e] = {uint8_t(e), uint8_t(255 - e), uint8_t(e * 7)};
    field.shadingMode = 2;
    field.fillSine(0.0f, 360.0f, 0, 256, 16, 1);
    return field;
}

TEST(WaveField, ConstructsTheShowsSea)
{
    const WaveField field;
    EXPECT_EQ(field.width, 640);
    EXPECT_EQ(field.height, 128);
    EXPECT_EQ(field.centreX, 320);
    EXPECT_EQ(field.centreY, 64);
    EXPECT_EQ(field.shadingMode, 0);
    EXPECT_EQ(field.rowPhase, 0);
    EXPECT_EQ(field.columnPhase, 0);
    for (int e = 0; e < 256; ++e) {
        ASSERT_EQ(field.palette[e].red + field.palette[e].green + field.palette[e].blue, 0);
        ASSERT_EQ(field.rowDisplacement[e], 0);
        ASSERT_EQ(field.columnDisplacement[e], 0);
    }
}

TEST(WaveField, SineTableTruncatesTowardZero)
{
    const WaveField field = ShowSea();
    const std::pair<int, int32_t> expected[] = {{0, 0},   {1, 0},   {2, 0},     {16, 6},    {32, 11},
                                                {64, 16}, {128, 0}, {160, -11}, {192, -16}, {255, 0}};
    for (auto [entry, value] : expected)
        EXPECT_EQ(field.columnDisplacement[entry], value) << "entry " << entry;
    for (int e = 0; e < 256; ++e)
        ASSERT_EQ(field.rowDisplacement[e], 0) << "the row table is left alone";
}

TEST(WaveField, SineFillWritesOnlyTheSelectedEntries)
{
    WaveField field;
    field.fillSine(0.0f, 90.0f, 3, 0, 100, 0);    // count 0
    field.fillSine(0.0f, 90.0f, 3, -4, 100, 1);   // negative count
    field.fillSine(90.0f, 90.0f, 3, 4, 100, 2);   // no such table
    field.fillSine(90.0f, 90.0f, 3, 4, 100, 258); // only the low 8 bits select: table 2 again
    for (int e = 0; e < 256; ++e)
        ASSERT_TRUE(field.rowDisplacement[e] == 0 && field.columnDisplacement[e] == 0) << "entry " << e;

    // A run past entry 255 wraps to entry 0 instead of writing beyond the table.
    field.fillSine(90.0f, 90.0f, 250, 10, 7, 256); // table 0; the step is 0, so every sample is 7 * sin 90 = 7
    for (int e = 0; e < 256; ++e)
        EXPECT_EQ(field.rowDisplacement[e], (e >= 250 || e <= 3) ? 7 : 0) << "entry " << e;
    for (int e = 0; e < 256; ++e)
        ASSERT_EQ(field.columnDisplacement[e], 0);
}

TEST(WaveField, ShowSeaLandsOnRows336To463BeforeDisplacement)
{
    WaveField field = ShowSea();
    field.columnDisplacement.fill(0);
    TestFrame frame(640, 480, 4);
    frame.attach(0xFF0000, 0xFF00, 0xFF);
    field.draw(320, 400);
    for (uint32_t x : {0u, 320u, 639u}) {
        EXPECT_EQ(frame.at(x, 335), 0u);
        EXPECT_EQ(frame.at(x, 336), 0x00FF00u) << "row 0 takes entry 0";
        EXPECT_EQ(frame.at(x, 463) >> 16, 127u) << "row 127 takes entry 127";
        EXPECT_EQ(frame.at(x, 464), 0u);
    }
}

TEST(WaveField, ColumnPhaseShiftsTheWaveLeft)
{
    WaveField field = ShowSea();
    field.columnPhase = 10;
    TestFrame frame(640, 480, 4);
    frame.attach(0xFF0000, 0xFF00, 0xFF);
    field.draw(320, 400);
    // Column 0 moves by entry 10, column 250 by entry (10 + 250) mod 256 = 4.
    for (auto [column, entry] : {std::pair{0u, 10}, {250u, 4}}) {
        const uint32_t top = 336 + field.columnDisplacement[entry];
        EXPECT_EQ(frame.at(column, top), 0x00FF00u) << "column " << column;
        EXPECT_EQ(frame.at(column, top - 1), 0u) << "column " << column;
    }
}

TEST(WaveField, ShadingModes)
{
    WaveField field;
    for (int e = 0; e < 256; ++e)
        field.palette[e] = {uint8_t(e), 0, 0};
    field.colourOffset = 9;
    TestFrame frame(640, 480, 4);
    frame.attach(0xFF0000, 0xFF00, 0xFF);
    auto entryAt = [&](uint32_t column, uint32_t row) { return frame.at(column, 336 + row) >> 16; };

    field.shadingMode = 1;
    field.draw(320, 400);
    EXPECT_EQ(entryAt(0, 5), 9u);
    EXPECT_EQ(entryAt(256, 5), 9u) << "columns 256 to 511 repeat 0 to 255";
    EXPECT_EQ(entryAt(513, 5), 10u);

    field.shadingMode = 3;
    field.draw(320, 400);
    EXPECT_EQ(entryAt(320, 64), 0u) << "the centre takes entry 0 whatever the offset";
    EXPECT_EQ(entryAt(325, 76), 13u);

    field.shadingMode = 7; // unknown modes draw flat
    field.draw(320, 400);
    EXPECT_EQ(entryAt(17, 100), 9u);
}

TEST(WaveField, DrawEqualsPlottingEveryPixelInOrder)
{
    struct Case {
        const char* what;
        uint8_t mode;
        bool rowWave;
        int32_t anchorX, anchorY;
        int32_t width = 640, height = 128; // of the field
        uint32_t clipWidth = 640;          // of the frame, whose rows stay 640 pixels apart
    };
    const Case cases[] = {
        {"show sea", 2, false, 320, 400},
        {"sea shifted off the bottom", 2, false, 320, 470},
        {"sea off the top and left", 1, false, -200, 20},
        {"rows waving too (overlaps)", 2, true, 320, 300},
        {"rows waving, radial", 3, true, 100, 200},
        {"last column exactly on the right edge", 2, false, 323, 400, 637},
        {"last column one past the right edge", 2, false, 324, 400, 637},
        {"flat, last column on the right edge", 0, false, 341, 250, 619, 77},
        {"by column, narrow, off the right edge and the top", 1, false, 720, 60, 301, 50},
        {"by distance, rows alike, off the left and the bottom", 3, false, 250, 430},
        {"by distance, narrow, clip narrower than the pitch", 3, false, 560, 40, 300, 90, 611},
        {"clip narrower than the pitch", 2, false, 320, 400, 640, 128, 601},
        {"taller than the palette", 2, false, 320, 250, 640, 300},
        {"far above the top", 2, false, 320, INT32_MIN + 1000},
        {"far below the bottom", 2, false, 320, INT32_MAX - 1000},
    };
    for (uint32_t size = 1; size <= 4; ++size) {
        for (const Case& c : cases) {
            WaveField field = ShowSea();
            field.shadingMode = c.mode;
            field.width = c.width;
            field.height = c.height;
            field.columnPhase = 77;
            if (c.rowWave) {
                field.fillSine(0.0f, 720.0f, 0, 256, 40, 0);
                field.rowPhase = 3;
            }
            // Wide formats keep every bit of the palette, so that a pixel from a neighbouring entry shows.
            const uint32_t masks[5][3] = {
                {}, {0xE0, 0x1C, 0x03}, {0xF800, 0x07E0, 0x1F}, {0xFF0000, 0xFF00, 0xFF}, {0xFF0000, 0xFF00, 0xFF}};
            TestFrame expected(640, 480, size), actual(640, 480, size);
            expected.attach(masks[size][0], masks[size][1], masks[size][2]);
            pixelSurface.clipWidth = c.clipWidth;
            ReferenceDraw(field, c.anchorX, c.anchorY);
            actual.attach(masks[size][0], masks[size][1], masks[size][2]);
            pixelSurface.clipWidth = c.clipWidth;
            field.draw(c.anchorX, c.anchorY);
            EXPECT_TRUE(expected.storage == actual.storage) << c.what << ", " << size << " bytes per pixel";
            EXPECT_TRUE(actual.guardsIntact()) << c.what;
        }
    }
}

TEST(WaveField, FastPathsEqualPixelByPixelAtEveryPhaseOfTheShow)
{
    // The show's sea takes 256 column phases, with row phase 0 and a flat row table, in five formats. Column i
    // at phase p takes the table entry of column i + p at phase 0 and, its colour depending on the row alone,
    // is drawn alike: so the sea at every phase is a 640-column window of one wider sea, drawn once by the
    // definition. Its screen rows 320 to 479 are a frame of their own here, with the same bottom edge.
    constexpr int32_t top = 320, rows = 480 - top, wideWidth = 640 + 255;
    for (const NamedPixelFormat& named : namedPixelFormats) {
        const PixelFormat& format = *named.format;
        const uint32_t size = format.bytesPerPixel;
        WaveField field = ShowSea();
        field.palette = DistinctPalette(format);
        WaveField wide = field;
        wide.width = wideWidth;
        TestFrame expected(wideWidth, rows, size), actual(640, rows, size);
        expected.attach(format.redMask, format.greenMask, format.blueMask);
        DrawFieldPixelByPixel(wide, 0, 336 - top);
        for (int phase = 0; phase < 256; ++phase) {
            field.columnPhase = uint8_t(phase);
            for (auto* fastPath : {DrawFieldColumnsInFours, DrawFieldColumnByColumn}) {
                std::fill(actual.pixels(), actual.pixels() + 640 * rows * size, 0);
                actual.attach(format.redMask, format.greenMask, format.blueMask);
                fastPath(field, 0, 336 - top, 0);
                bool equal = actual.guardsIntact();
                for (int32_t y = 0; y < rows && equal; ++y)
                    equal = std::memcmp(actual.pixels() + y * actual.pitch(),
                                        expected.pixels() + y * expected.pitch() + phase * size, 640 * size) == 0;
                ASSERT_TRUE(equal) << "format " << named.name << ", column phase " << phase
                                   << (fastPath == DrawFieldColumnsInFours ? ", in fours" : ", column by column");
            }
        }
    }
}

TEST(WaveField, EmptyFieldDrawsNothing)
{
    TestFrame frame(64, 64, 4);
    frame.attach(0xFF0000, 0xFF00, 0xFF);
    WaveField field;
    field.palette.fill({255, 255, 255});
    field.width = 0;
    field.draw(32, 32);
    field.width = 10;
    field.height = -1;
    field.draw(32, 32);
    EXPECT_EQ(std::count(frame.storage.begin(), frame.storage.end(), 0xFF), 0);
}

} // namespace
