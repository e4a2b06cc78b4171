// orvelle.wasm: the show for a web page. The page's loader (page/orvelle.js) calls these functions; the
// frame is drawn in the canvas's own byte order (red, green, blue, alpha 255), so the loader hands the
// buffer to the canvas as it is. The frame buffer and everything else live in static storage: the module
// allocates nothing, and its memory never grows, so the loader's views of it stay valid.
#include <cstdint>

#include "host_rules/show_ending.h"
#include "show/pixel_format.h"
#include "show/screen_geometry.h"
#include "show/show_host.h"

#define WEB_EXPORT(name) extern "C" __attribute__((export_name(name)))

namespace {

constexpr int32_t framePitch = screenGeometry.width * 4;
constexpr uint32_t frameSize = uint32_t(framePitch) * screenGeometry.height;
alignas(16) uint8_t framePixels[frameSize];
PointerOrigin pointerOrigin = {0, 0};

} // namespace

WEB_EXPORT("framePixels") uint8_t* FramePixels()
{
    return framePixels;
}

WEB_EXPORT("frameSize") uint32_t FrameSize()
{
    return frameSize;
}

// Starts the show. The page keeps its own start time and hands every frame the milliseconds since it, so
// the tick given here only stands for that start.
WEB_EXPORT("startShow") void StartWebShow(uint32_t tick)
{
    StartShow(canvasRgbaFormat, tick);
}

// Draws the frame elapsedMs after the show's start into the frame buffer.
WEB_EXPORT("drawFrame") void DrawWebFrame(uint32_t elapsedMs)
{
    ClearShowFrame(framePixels, framePitch);
    DrawShowFrame(framePixels, framePitch, elapsedMs);
}

// Where pointer travel is measured from, in the page's CSS pixels: the pointer's first position in full
// screen.
WEB_EXPORT("setPointerOrigin") void SetPointerOrigin(int32_t x, int32_t y)
{
    pointerOrigin = {x, y};
}

// Whether the action ends a full-screen show: kind is a ShowEventKind (keyPressed 0, buttonPressed 1,
// wheelTurned 2, pointerMoved 3 to (x, y), activationLost 4); any other number ends nothing.
WEB_EXPORT("endsShow") int32_t EndsWebShow(uint32_t kind, int32_t x, int32_t y)
{
    if (kind > uint32_t(ShowEventKind::activationLost))
        return 0;
    return EndsShow(pointerOrigin, {ShowEventKind(kind), x, y}) ? 1 : 0;
}
