// The night scene's objects, their construction order and their one-time set-up.
#include "show/scene.h"

#include <utility>

#include "show/frame_clock.h"
#include "show/images.h"
#include "show/portable_math.h"
#include "show/random.h"
#include "show/screen_geometry.h"
#include "show/units.h"

namespace {

template <std::size_t... K> std::array<BitmapSprite, sizeof...(K)> MakeRingSprites(std::index_sequence<K...>)
{
    // Braced elements are constructed in order, so sprite k takes the k-th share of the random sequence.
    return {((void)K, BitmapSprite(ringImageWidth, ringImageHeight, int32_t(ringImage.size()), ringImage.data()))...};
}

} // namespace

Scene::Scene()
    : seaField(),
      drifterSprite(drifterImageWidth, drifterImageHeight, int32_t(drifterImage.size()), drifterImage.data()),
      ringSprites(MakeRingSprites(std::make_index_sequence<ringSpriteCount>()))
{
}

Scene scene;

namespace {

// The ring's closed colour wheel, written segment by segment: entry first + d (d = 0 to 42) takes, per
// channel, base + d * slope truncated toward zero, formed in double from single-precision slopes. The
// slopes are 128/42, 255/42 and 127/42 rounded to single precision, slightly above the exact ratios, which
// is why some entries fall one below the exact ramp (entry 21 is 63, 127, 255). Entries 42 and 170 start
// one segment after ending another; both writes give the same colour.
struct ChannelRamp {
    float base;
    float slope;
};

struct WheelSegment {
    uint32_t first;
    ChannelRamp red, green, blue;
};

// A segment's slopes per entry: a channel's whole range (255/42), its lower half (128 to 0, 128/42) and its
// upper half (255 to 128, 127/42).
constexpr float whole = 6.0714287757873535f;     // 255/42
constexpr float lowerHalf = 3.047619104385376f;  // 128/42
constexpr float upperHalf = 3.0238094329833984f; // 127/42
constexpr int wheelSegmentLength = 43;

// clang-format off
constexpr WheelSegment colourWheel[] = {
    //  first   red                  green                blue
    {0,   {128, -lowerHalf}, {0, whole},          {255, 0}},      // violet  -> cyan
    {42,  {0, 0},            {255, 0},            {255, -whole}}, // cyan    -> green
    {85,  {0, whole},        {255, 0},            {0, 0}},        // green   -> yellow
    {128, {255, 0},          {255, -upperHalf},   {0, 0}},        // yellow  -> orange
    {170, {255, 0},          {128, -lowerHalf},   {0, whole}},    // orange  -> magenta
    {213, {255, -upperHalf}, {0, 0},              {255, 0}},      // magenta -> violet
};
// clang-format on

uint8_t RampValue(ChannelRamp ramp, int d)
{
    return TruncatedLowByte(double(ramp.base) + double(d) * double(ramp.slope));
}

void FillColourWheel(Palette& palette)
{
    for (const WheelSegment& segment : colourWheel) {
        for (int d = 0; d < wheelSegmentLength; ++d) {
            palette[(segment.first + d) & 0xFF] = {RampValue(segment.red, d), RampValue(segment.green, d),
                                                   RampValue(segment.blue, d)};
        }
    }
}

struct Ramp {
    uint32_t first;
    int32_t count;
    Colour from, to;
};

// The sea, top row to bottom row: black, deep blue, then up to a light sea blue. Entries 128 to 255 are
// never shown (the field has 128 rows).
constexpr Ramp seaRamps[] = {
    {0, 60, {0, 0, 0}, {0, 0, 64}},
    {60, 30, {0, 0, 64}, {16, 14, 108}},
    {90, 38, {16, 14, 108}, {56, 120, 186}},
    {128, 128, {56, 120, 186}, {0, 0, 0}},
};

// The star by distance from its core: white, then blue, darkening outwards.
constexpr Ramp starRamps[] = {
    {0, 4, {255, 255, 255}, {50, 30, 255}},
    {4, 14, {50, 30, 255}, {0, 0, 0}},
};

constexpr float ringColourSpeed = 64.0f;     // palette entries per second: the whole wheel in 4 s
constexpr float ringAngularSpeed = 16.0f;    // degrees per second: a turn in 22.5 s
constexpr double ringColourSpacing = 14.222; // palette entries between neighbouring spokes' colours
constexpr int32_t firstDrifterX = 40;
constexpr int32_t drifterSpacing = 70;

constexpr int32_t seaWaveAmplitude = 16; // pixels up and down

template <typename Target> void ApplyRamps(Target& target, const Ramp* ramps, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const Ramp& r = ramps[i];
        target.setRamp(r.first, r.count, r.from.red, r.from.green, r.from.blue, r.to.red, r.to.green, r.to.blue);
    }
}

} // namespace

void SetupScene()
{
    for (int k = 0; k < ringSpokeCount; ++k) {
        BitmapSprite& spoke = scene.ringSprites[k];
        FillColourWheel(spoke.palette);
        spoke.shadingMode = shadingRadial;
        spoke.colourSpeed = ringColourSpeed;
        spoke.angularSpeed = ringAngularSpeed;
        PlaceRingPivot(spoke, scene.ringRadius);
        spoke.angle = static_cast<float>(k * ringSpokeAngle);
        spoke.colourOffset = TruncatedLowByte(k * ringColourSpacing);
        spoke.colourPhase = spoke.colourOffset;
    }
    // The spare ring sprite: a grey ramp, pointing up. Nothing draws it.
    BitmapSprite& spare = scene.ringSprites[ringSpokeCount];
    spare.setRamp(0, 256, 0, 0, 0, 255, 255, 255);
    spare.angle = -90.0f;

    scene.lastTick = static_cast<int32_t>(double(sceneTime) * 10.0);

    ApplyRamps(scene.seaField, seaRamps, std::size(seaRamps));
    scene.seaField.shadingMode = shadingVertical; // row n takes palette entry n
    scene.seaField.fillSine(0.0f, 360.0f, 0, 256, seaWaveAmplitude, columnDisplacementTable);

    ApplyRamps(scene.drifterSprite, starRamps, std::size(starRamps));
    scene.drifterSprite.shadingMode = shadingRadial;

    for (int i = 0; i < drifterCount; ++i) {
        scene.drifterX[i] = firstDrifterX + drifterSpacing * i;
        scene.drifterY[i] = NextRandom() & 0xFF;
    }
}

void PlaceRingPivot(BitmapSprite& spoke, int32_t radius)
{
    spoke.pivotX = spoke.width / 2 + radius;
    spoke.pivotY = spoke.height / 2;
}

void RingSpokePlacement(int k, int32_t radius, int32_t& x, int32_t& y)
{
    const double radians = k * ringSpokeAngle * degreesToRadians;
    x = screenGeometry.centreX() + static_cast<int32_t>(PortableCosine(radians) * radius);
    y = screenGeometry.centreY() - radius / 8;
}
