// Tests of the frame update: the tenth-of-a-second step, the breathing ring, the sea's phase, the drifters,
// the ring's placement and the per-frame advance of the spokes.
#include <gtest/gtest.h>

#include "show/frame_clock.h"
#include "show/random.h"
#include "show/scene.h"
#include "tests/show/show_test_support.h"

namespace {

// A fresh show on a 32-bit frame, set up at time 0.
struct FrameUpdate : ::testing::Test {
    ShowFrame frame{xrgb8888Format};
    FrameUpdate()
    {
        RestartShow();
        frame.start();
    }
    void DrawAt(uint32_t elapsedMs) { frame.draw(elapsedMs); }
    // Runs n steps, one frame each 100 ms later than the last.
    void Steps(int n)
    {
        for (int i = 0; i < n; ++i)
            DrawAt(uint32_t(++ticks) * 100);
    }
    int ticks = 0;
};

TEST_F(FrameUpdate, FirstFrameBeforeATenthTakesNoStep)
{
    DrawAt(50);
    EXPECT_EQ(scene.ringRadius, 0);
    EXPECT_EQ(scene.waveCounter, 0);
    for (int i = 0; i < drifterCount; ++i)
        EXPECT_EQ(scene.drifterX[i], 40 + 70 * i);
    // Only the spokes' angle and colour phase moved, by the first frameDelta (its own sceneTime).
    EXPECT_EQ(frameDelta, sceneTime);
    for (int k = 0; k < ringSpokeCount; ++k) {
        const BitmapSprite& spoke = scene.ringSprites[k];
        const float angle = static_cast<float>(k * 20.0 + double(frameDelta) * 16.0);
        EXPECT_EQ(spoke.angle, angle) << "spoke " << k;
        EXPECT_EQ(spoke.colourPhase, static_cast<float>(uint8_t(k * 14.222) + double(frameDelta) * 64.0));
    }
}

TEST_F(FrameUpdate, OneStepPerFrameHoweverLongTheGap)
{
    DrawAt(1000);
    DrawAt(2000);
    DrawAt(3000);
    EXPECT_EQ(scene.ringRadius, -3);
    EXPECT_EQ(scene.waveCounter, 3);
    EXPECT_EQ(scene.lastTick, 30);
    DrawAt(3050); // the same tenth: no step
    EXPECT_EQ(scene.ringRadius, -3);
    DrawAt(2000); // any change of the tenth counts, backwards too
    EXPECT_EQ(scene.ringRadius, -4);
}

TEST_F(FrameUpdate, RingBreathesBetweenMinusAndPlus120)
{
    struct Point {
        int steps;
        int32_t radius, growing;
    };
    const Point points[] = {{1, -1, 0}, {120, -120, 1}, {121, -119, 1}, {360, 120, 0}, {361, 119, 0}, {480, 0, 0}};
    int done = 0;
    for (const Point& p : points) {
        Steps(p.steps - done);
        done = p.steps;
        EXPECT_EQ(scene.ringRadius, p.radius) << "after " << p.steps << " steps";
        EXPECT_EQ(scene.ringGrowing, p.growing) << "after " << p.steps << " steps";
    }
}

TEST_F(FrameUpdate, SeaPhaseFollowsTheWaveCounter)
{
    Steps(1);
    EXPECT_EQ(scene.seaField.columnPhase, 0);
    Steps(1);
    EXPECT_EQ(scene.seaField.columnPhase, 1);
    Steps(255);
    EXPECT_EQ(scene.seaField.columnPhase, 0) << "the pattern repeats after 256 steps";
    EXPECT_EQ(scene.seaField.rowPhase, 0);
}

TEST_F(FrameUpdate, DriftersWrapToTheRightEdgeAtANewHeight)
{
    scene.drifterX[0] = 0;
    scene.drifterX[1] = 1;
    const uint32_t state = randomState;
    Steps(1);
    EXPECT_EQ(scene.drifterX[0], 639);
    EXPECT_EQ(scene.drifterY[0], int32_t(((state * 214013u + 2531011u) >> 16) & 0xFF));
    EXPECT_EQ(scene.drifterX[1], 0) << "x 0 is drawn; only below 0 wraps";
    EXPECT_EQ(scene.drifterX[2], 179);
}

TEST_F(FrameUpdate, DriftersCrossInSixtyFourSeconds)
{
    // Each drifter wraps once on the way, the leftmost first, and takes the low byte of the next draw.
    uint32_t state = randomState;
    Steps(640);
    for (int i = 0; i < drifterCount; ++i) {
        state = state * 214013u + 2531011u;
        EXPECT_EQ(scene.drifterX[i], 40 + 70 * i) << "drifter " << i << " is back where it started";
        EXPECT_EQ(scene.drifterY[i], int32_t((state >> 16) & 0xFF)) << "drifter " << i << "'s new height";
    }
}

TEST(RingSpokePlacement, FollowsTheRadius)
{
    struct Case {
        int k;
        int32_t radius, x, y;
    };
    const Case cases[] = {
        {0, 120, 440, 225}, {9, 120, 200, 225}, {0, -120, 200, 255}, {9, -120, 440, 255},
        {0, -9, 311, 241},  {0, -7, 313, 240},  {4, 0, 320, 240},    {4, 100, 337, 228},
    };
    for (const Case& c : cases) {
        int32_t x, y;
        RingSpokePlacement(c.k, c.radius, x, y);
        EXPECT_EQ(x, c.x) << "spoke " << c.k << " radius " << c.radius;
        EXPECT_EQ(y, c.y) << "spoke " << c.k << " radius " << c.radius;
    }
}

TEST_F(FrameUpdate, RingPivotsFollowTheRadius)
{
    Steps(5);
    for (int k = 0; k < ringSpokeCount; ++k)
        EXPECT_EQ(scene.ringSprites[k].pivotX, 95) << "spoke " << k;
    EXPECT_EQ(scene.ringSprites[18].angle, -90.0f) << "the spare sprite is never drawn";
}

TEST_F(FrameUpdate, StarsSeaAndRingAreDrawnInOrder)
{
    DrawAt(16);
    // The sea's top rows are black (entry 0), the bottom rows blue; the ring's centre is coloured.
    EXPECT_EQ(frame.at(64, 479) & 0xFF, 185u) << "column 64 dips 16 rows: the bottom row of the sea";
    EXPECT_NE(frame.at(320, 240), 0u) << "the ring covers the picture's centre";
    // A star's white core at each drifter's position, unless the ring lies on top.
    int white = 0;
    for (int i = 0; i < drifterCount; ++i)
        white += frame.at(uint32_t(scene.drifterX[i]), uint32_t(scene.drifterY[i])) == 0xFFFFFFu;
    EXPECT_GE(white, 5);
}

} // namespace
