// The per-frame update of the night scene: the slow tenth-of-a-second step, then drawing bottom to top.
#include "show/frame_clock.h"
#include "show/portable_math.h"
#include "show/random.h"
#include "show/scene.h"
#include "show/units.h"

namespace {

constexpr int32_t ringRadiusLimit = 120; // the ring breathes between -120 and 120 pixels
constexpr int32_t pictureCentreX = 320;
constexpr int32_t pictureCentreY = 240;
constexpr int32_t seaAnchorX = 320; // where the sea's centre point lands
constexpr int32_t seaAnchorY = 400;
constexpr int32_t drifterWrapX = 639;

void BreatheRing()
{
    if (scene.ringGrowing != 0) {
        if (++scene.ringRadius >= ringRadiusLimit)
            scene.ringGrowing = 0;
    } else {
        if (--scene.ringRadius <= -ringRadiusLimit)
            scene.ringGrowing = 1;
    }
}

void MoveDrifters()
{
    for (int i = 0; i < drifterCount; ++i) {
        if (--scene.drifterX[i] < 0) {
            scene.drifterX[i] = drifterWrapX;
            scene.drifterY[i] = NextRandom() & 0xFF;
        }
    }
}

void DrawRing()
{
    for (int k = 0; k < ringSpokeCount; ++k) {
        BitmapSprite& spoke = scene.ringSprites[k];
        spoke.pivotX = spoke.width / 2 + scene.ringRadius;
        spoke.pivotY = spoke.height / 2;
        int32_t x, y;
        RingSpokePlacement(k, scene.ringRadius, x, y);
        spoke.draw(frameDelta, x, y);
    }
}

} // namespace

void RingSpokePlacement(int k, int32_t radius, int32_t& x, int32_t& y)
{
    const double radians = k * ringSpokeAngle * degreesToRadians;
    x = pictureCentreX + static_cast<int32_t>(PortableCosine(radians) * radius);
    y = pictureCentreY - radius / 8;
}

void UpdateSceneFrame()
{
    // At most one slow step per frame, whenever the tenth of a second changes (in either direction).
    const int32_t tick = static_cast<int32_t>(double(sceneTime) * 10.0);
    if (tick != scene.lastTick) {
        scene.lastTick = tick;
        BreatheRing();
        scene.seaField.rowPhase = 0;
        scene.seaField.columnPhase = scene.waveCounter++;
        MoveDrifters();
    }

    for (int i = 0; i < drifterCount; ++i)
        scene.drifterSprite.draw(frameDelta, scene.drifterX[i], scene.drifterY[i]);
    scene.seaField.draw(seaAnchorX, seaAnchorY);
    DrawRing();
}
