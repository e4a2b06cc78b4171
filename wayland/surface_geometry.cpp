// The buffer of a surface that covers an output: its size, its scale and whether a viewport shows it.
#include "wayland/surface_geometry.h"

#include <cstdint>

namespace {

bool IsBetween(int32_t value, int32_t low, int64_t high)
{
    return value >= low && value <= high;
}

SurfaceLayout WithPicture(int32_t width, int32_t height, int32_t bufferScale, bool viewport)
{
    // Two 4-byte buffers of it must fit one shared-memory pool, whose size is 32 bits.
    const bool fits = width > 0 && height > 0 && int64_t(width) * height * 8 <= INT32_MAX;
    SurfaceLayout layout;
    layout.bufferWidth = fits ? width : 0;
    layout.bufferHeight = fits ? height : 0;
    layout.bufferScale = bufferScale;
    layout.viewport = viewport;
    layout.picture = PlacePicture(layout.bufferWidth, layout.bufferHeight);
    return layout;
}

} // namespace

int32_t ScaleToDevice(int32_t logical, uint32_t scale120)
{
    const int64_t device = (int64_t(logical) * scale120 + 60) / 120;
    return device > INT32_MAX ? INT32_MAX : int32_t(device);
}

SurfaceLayout LayOutSurface(const OutputScale& output)
{
    const int32_t scale = output.integerScale >= 1 ? output.integerScale : 1;
    int32_t width = output.logicalWidth, height = output.logicalHeight;
    if (width <= 0 || height <= 0) {
        width = output.modeWidth / scale;
        height = output.modeHeight / scale;
    }
    if (width <= 0 || height <= 0)
        return WithPicture(0, 0, 1, false);
    if (output.preferredScale != 0 && output.hasViewporter)
        return WithPicture(ScaleToDevice(width, output.preferredScale), ScaleToDevice(height, output.preferredScale), 1,
                           output.preferredScale != 120);
    if (int64_t(width) * scale == output.modeWidth && int64_t(height) * scale == output.modeHeight)
        return WithPicture(output.modeWidth, output.modeHeight, scale, false);
    if (output.hasViewporter && IsBetween(output.modeWidth, width, int64_t(width) * scale) &&
        IsBetween(output.modeHeight, height, int64_t(height) * scale))
        return WithPicture(output.modeWidth, output.modeHeight, 1, true);
    if (int64_t(width) * scale > INT32_MAX || int64_t(height) * scale > INT32_MAX)
        return WithPicture(0, 0, 1, false);
    return WithPicture(width * scale, height * scale, scale, false);
}
