// The per-frame update of the night scene: the slow tenth-of-a-second step, then drawing bottom to top.
#include "show/frame_clock.h"
#include "show/random.h"
#include "show/scene.h"
#include "show/screen_geometry.h"

namespace {

constexpr int32_t ringRadiusLimit = 120; // the ring breathes between -120 and 120 pixels
// Where the sea's centre point lands: under the picture's centre, its 128 rows from 336 down.
constexpr int32_t seaAnchorX = screenGeometry.centreX();
constexpr int32_t seaAnchorY = 400;
constexpr int32_t drifterWrapX = screenGeometry.width - 1; // a drifter past the left edge comes back here

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

} // namespace

void DrawDrifters()
{
    for (int i = 0; i < drifterCount; ++i)
        scene.drifterSprite.draw(frameDelta, scene.drifterX[i], scene.drifterY[i]);
}

void DrawSea()
{
    scene.seaField.draw(seaAnchorX, seaAnchorY);
}

void DrawRing()
{
    for (int k = 0; k < ringSpokeCount; ++k) {
        BitmapSprite& spoke = scene.ringSprites[k];
        PlaceRingPivot(spoke, scene.ringRadius);
        int32_t x, y;
        RingSpokePlacement(k, scene.ringRadius, x, y);
        spoke.draw(frameDelta, x, y);
    }
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

    DrawDrifters();
    DrawSea();
    DrawRing();
}
