// Frames to PNG and raw files.
#include "tools/render/frame_writer.h"

#include <cstdio>
#include <vector>

#include "show/pixel_surface.h"
#include "show/screen_geometry.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

namespace {

// PNG is given the colours as bytes: red, green, blue, pixel after pixel.
static_assert(sizeof(Colour) == 3, "a Colour is three bytes without padding");

} // namespace

bool WriteFile(const std::string& path, const void* data, std::size_t size)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
        return false;
    const bool written = std::fwrite(data, 1, size, out) == size;
    return std::fclose(out) == 0 && written;
}

bool WritePng(const std::string& path, uint32_t width, uint32_t height, const Colour* colours)
{
    return stbi_write_png(path.c_str(), static_cast<int>(width), static_cast<int>(height), 3, colours,
                          static_cast<int>(width * sizeof(Colour))) != 0;
}

std::string FrameFileName(uint32_t frameNumber, const char* extension)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame-%05u.%s", static_cast<unsigned>(frameNumber), extension);
    return name;
}

bool WriteFrame(const std::string& directory, uint32_t frameNumber, const PixelFormat& format, const uint8_t* frame,
                bool raw, std::string& message)
{
    const std::size_t pixelCount = std::size_t(screenGeometry.width) * screenGeometry.height;
    const std::string rawPath = directory + "/" + FrameFileName(frameNumber, "raw");
    if (raw && !WriteFile(rawPath, frame, pixelCount * format.bytesPerPixel)) {
        message = "cannot write " + rawPath;
        return false;
    }
    std::vector<Colour> colours(pixelCount);
    for (std::size_t i = 0; i < pixelCount; ++i)
        colours[i] = format.unpack(LoadPixel(frame + i * format.bytesPerPixel, format.bytesPerPixel));
    const std::string pngPath = directory + "/" + FrameFileName(frameNumber, "png");
    if (!WritePng(pngPath, screenGeometry.width, screenGeometry.height, colours.data())) {
        message = "cannot write " + pngPath;
        return false;
    }
    return true;
}
