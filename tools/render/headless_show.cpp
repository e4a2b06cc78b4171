// The show played into memory, frame by frame, exactly as the saver's frame pump plays it.
#include "tools/render/headless_show.h"

#include "show/frame_clock.h"
#include "show/pixel_surface.h"
#include "show/scene.h"
#include "show/screen_geometry.h"

void AttachHeadlessFrame(const PixelFormat& format, uint8_t* pixels)
{
    pixelSurface.setFormat(format.bytesPerPixel, format.redMask, format.greenMask, format.blueMask,
                           screenGeometry.width, screenGeometry.height);
    pixelSurface.pixels = pixels;
    pixelSurface.pitch = static_cast<int32_t>(screenGeometry.width * format.bytesPerPixel);
}

void StartHeadlessShow()
{
    StartFrameClock(0);
    SetupScene();
}

void DrawHeadlessFrame(uint32_t elapsedMs)
{
    pixelSurface.fill(pixelSurface.clearValue);
    AdvanceFrameClock(elapsedMs);
    UpdateSceneFrame();
}
