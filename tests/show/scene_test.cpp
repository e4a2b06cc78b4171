// Tests of the scene's construction and set-up: the random sequence, the ring's colour wheel, the sea's and
// the star's palettes and the starting positions.
#include "show/scene.h"

#include <gtest/gtest.h>

#include "show/frame_clock.h"
#include "show/images.h"
#include "show/random.h"
#include "tests/show/show_test_support.h"

namespace {

// The generator's state after n draws from the start.
uint32_t StateAfter(int draws)
{
    uint32_t state = 1;
    for (int i = 0; i < draws; ++i)
        state = state * 214013u + 2531011u;
    return state;
}

TEST(Random, IsTheClassicSequence)
{
    randomState = 1;
    const int32_t first[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int32_t expected : first)
        EXPECT_EQ(NextRandom(), expected);
}

TEST(Scene, ConstructionTakesTwentyShares)
{
    RestartShow();
    EXPECT_EQ(randomState, StateAfter(20 * 256));
    EXPECT_EQ(scene.drifterSprite.width, 16);
    EXPECT_EQ(scene.drifterSprite.imageSize, 33);
    for (const BitmapSprite& sprite : scene.ringSprites) {
        EXPECT_EQ(sprite.image, ringImage.data()) << "the ring sprites share one image";
        EXPECT_EQ(sprite.imageSize, 1251);
        EXPECT_EQ(sprite.bytesPerRow, 25);
    }
}

TEST(Scene, ImagesHaveTheirLayout)
{
    auto countBits = [](const auto& bytes) {
        int bits = 0;
        for (uint8_t byte : bytes)
            for (int k = 0; k < 8; ++k)
                bits += (byte >> k) & 1;
        return bits;
    };
    EXPECT_EQ(drifterImage.back(), 0x80);
    EXPECT_EQ(countBits(drifterImage), 46);
    EXPECT_EQ(drifterImage[7 * 2], 0xAF) << "row 7: columns 0, 2, 4 to 7";
    EXPECT_EQ(drifterImage[7 * 2 + 1], 0xF5) << "row 7: columns 8 to 11, 13, 15";
    EXPECT_EQ(ringImage.back(), 0x00);
    EXPECT_EQ(countBits(ringImage), 2383);
    // The band: rows 21 to 30 are dense across nearly the whole width, the rows around it thin.
    for (int row = 0; row < 50; ++row) {
        const int bits =
            countBits(std::vector<uint8_t>(ringImage.begin() + row * 25, ringImage.begin() + row * 25 + 25));
        if (row >= 21 && row <= 30)
            EXPECT_GE(bits, 175) << "band row " << row;
        else
            EXPECT_LE(bits, 40) << "stroke row " << row;
    }
}

TEST(SetupScene, RingSpritesGetTheColourWheel)
{
    RestartShow();
    SetupScene();
    const std::pair<int, Colour> expected[] = {
        {0, {128, 0, 255}},   {21, {63, 127, 255}}, {42, {0, 255, 255}},  {84, {0, 255, 0}},
        {85, {0, 255, 0}},    {127, {255, 255, 0}}, {128, {255, 255, 0}}, {170, {255, 128, 0}},
        {212, {255, 0, 255}}, {213, {255, 0, 255}}, {255, {128, 0, 255}},
    };
    for (int k = 0; k < ringSpokeCount; ++k) {
        for (auto [entry, colour] : expected) {
            const Colour& actual = scene.ringSprites[k].palette[entry];
            EXPECT_TRUE(actual.red == colour.red && actual.green == colour.green && actual.blue == colour.blue)
                << "sprite " << k << " entry " << entry << ": got " << int(actual.red) << "," << int(actual.green)
                << "," << int(actual.blue) << ", expected " << int(colour.red) << "," << int(colour.green) << ","
                << int(colour.blue);
        }
    }
}

TEST(SetupScene, RingSpritesGetAnglesOffsetsAndSpeeds)
{
    RestartShow();
    SetupScene();
    const uint8_t offsets[ringSpokeCount] = {0,   14,  28,  42,  56,  71,  85,  99,  113,
                                             127, 142, 156, 170, 184, 199, 213, 227, 241};
    for (int k = 0; k < ringSpokeCount; ++k) {
        const BitmapSprite& sprite = scene.ringSprites[k];
        EXPECT_EQ(sprite.angle, k * 20.0f) << "sprite " << k;
        EXPECT_EQ(sprite.colourOffset, offsets[k]) << "sprite " << k;
        EXPECT_EQ(sprite.colourPhase, float(offsets[k])) << "sprite " << k;
        EXPECT_EQ(sprite.shadingMode, shadingRadial);
        EXPECT_EQ(sprite.colourSpeed, 64.0f);
        EXPECT_EQ(sprite.angularSpeed, 16.0f);
        EXPECT_EQ(sprite.pivotX, 100);
        EXPECT_EQ(sprite.pivotY, 25);
    }
    EXPECT_EQ(scene.ringSprites[18].angle, -90.0f);
    EXPECT_EQ(scene.ringSprites[18].palette[200].green, 200) << "the spare sprite is grey";
}

TEST(SetupScene, SeaStarAndDrifters)
{
    RestartShow();
    SetupScene();
    const Palette& sea = scene.seaField.palette;
    EXPECT_EQ(sea[0].red + sea[0].green + sea[0].blue, 0);
    EXPECT_EQ(sea[60].blue, 64);
    EXPECT_EQ(sea[127].red, 55) << "the last row of the sea stops just short of (56, 120, 186)";
    EXPECT_EQ(sea[128].green, 120);
    EXPECT_EQ(scene.seaField.shadingMode, 2);
    EXPECT_EQ(scene.seaField.columnDisplacement[64], 16);
    EXPECT_EQ(scene.seaField.columnDisplacement[160], -11);

    const Palette& star = scene.drifterSprite.palette;
    EXPECT_TRUE(star[0].red == 255 && star[0].green == 255 && star[0].blue == 255);
    EXPECT_TRUE(star[3].red == 49 && star[3].green == 30 && star[3].blue == 255);
    EXPECT_TRUE(star[4].red == 50 && star[4].green == 30 && star[4].blue == 255);
    for (int e = 5; e < 18; ++e)
        EXPECT_LT(star[e].blue, star[e - 1].blue) << "the star darkens outwards, entry " << e;
    EXPECT_EQ(star[17].blue, 0);
    for (int e = 18; e < 256; ++e)
        ASSERT_TRUE(star[e].red == 255 && star[e].green == 255 && star[e].blue == 255);
    EXPECT_EQ(scene.drifterSprite.shadingMode, shadingRadial);
    EXPECT_EQ(scene.drifterSprite.angle, 0.0f);

    uint32_t state = StateAfter(20 * 256);
    for (int i = 0; i < drifterCount; ++i) {
        state = state * 214013u + 2531011u;
        EXPECT_EQ(scene.drifterX[i], 40 + 70 * i);
        EXPECT_EQ(scene.drifterY[i], int32_t((state >> 16) & 0xFF)) << "drifter " << i;
    }
    EXPECT_EQ(scene.lastTick, 0);
    EXPECT_EQ(scene.ringRadius, 0);
    EXPECT_EQ(scene.ringGrowing, 0);
}

TEST(SetupScene, LastTickFollowsSceneTime)
{
    RestartShow();
    sceneTime = 0.35f;
    SetupScene();
    EXPECT_EQ(scene.lastTick, 3);
}

} // namespace
