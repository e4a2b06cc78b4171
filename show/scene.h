// The night scene: the sea, the drifting stars and the breathing ring, their set-up and their animation.
#pragma once

#include <array>
#include <cstdint>

#include "show/bitmap_sprite.h"
#include "show/wave_field.h"

inline constexpr int drifterCount = 9;
inline constexpr int ringSpriteCount = 19; // the ring draws 0 to 17; 18 is built with them but never drawn
inline constexpr int ringSpokeCount = 18;
inline constexpr double ringSpokeAngle = 20.0; // degrees between neighbouring spokes

struct Scene {
    WaveField seaField;
    BitmapSprite drifterSprite; // one star, drawn at all nine drifter positions
    std::array<BitmapSprite, ringSpriteCount> ringSprites;
    std::array<int32_t, drifterCount> drifterX{};
    std::array<int32_t, drifterCount> drifterY{};
    int32_t ringRadius = 0;  // -120 to 120: how far each spoke's pivot lies from its image centre
    int32_t ringGrowing = 0; // 1 while ringRadius counts up
    int32_t lastTick = 0;    // tenths of a second of sceneTime last acted on
    uint8_t waveCounter = 0; // feeds the sea's column phase

    // Builds the sea, then the star, then ring sprites 0 to 18, in that order: each sprite takes its
    // share of the random sequence, and the scene set-up draws from where they leave it.
    Scene();
};

// The process's one scene, built by static construction before the program's entry point.
extern Scene scene;

// Gives every object of the scene its palette, shading, speeds, angle, colour phase and position. Runs once,
// after the pixel format is set and the frame clock started.
void SetupScene();

// Puts a ring spoke's pivot radius pixels along its image's long axis from the image's centre.
void PlaceRingPivot(BitmapSprite& spoke, int32_t radius);

// Where ring spoke k's pivot is placed for a ring radius: sideways by cos(k * 20 degrees) * radius from the
// picture's centre, and up by radius / 8 (both truncated toward zero).
void RingSpokePlacement(int k, int32_t radius, int32_t& x, int32_t& y);

// Advances the scene to the frame clock's sceneTime and frameDelta and draws it into pixelSurface: at most
// one slow step per tenth of a second (ring radius, sea phase, drifters), then the drifters, the sea and the
// ring, bottom to top.
void UpdateSceneFrame();

// The three layers UpdateSceneFrame draws, in its order, each advancing its sprites by frameDelta.
void DrawDrifters();
void DrawSea();
void DrawRing();
