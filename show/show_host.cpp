// The show's host interface: starting the show and drawing its frames, written once for every host.
#include "show/show_host.h"

#include "show/frame_clock.h"
#include "show/pixel_surface.h"
#include "show/scene.h"
#include "show/screen_geometry.h"

void StartShow(const PixelFormat& format, uint32_t tick)
{
    StartFrameClock(tick);
    pixelSurface.setFormat(format.bytesPerPixel, format.redMask, format.greenMask, format.blueMask,
                           screenGeometry.width, screenGeometry.height);
    pixelSurface.fillBits = format.fillBits;
    pixelSurface.clearValue = pixelSurface.pack(0, 0, 0);
    SetupScene();
}

uint32_t ShowClearValue()
{
    return pixelSurface.clearValue;
}

void ClearShowFrame(uint8_t* pixels, int32_t pitch)
{
    pixelSurface.pixels = pixels;
    pixelSurface.pitch = pitch;
    pixelSurface.fill(pixelSurface.clearValue);
}

uint32_t ShowElapsedMs(uint32_t tick)
{
    return tick - startTick;
}

void DrawShowFrame(uint8_t* pixels, int32_t pitch, uint32_t elapsedMs)
{
    pixelSurface.pixels = pixels;
    pixelSurface.pitch = pitch;
    AdvanceFrameClock(elapsedMs);
    UpdateSceneFrame();
}
