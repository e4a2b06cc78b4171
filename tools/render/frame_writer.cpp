// Frames to PNG and raw files.
#include "tools/render/frame_writer.h"

#include <cstdio>
#include <vector>

#include "show/screen_geometry.h"
#include "tools/render/png_writer.h"

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
    const std::size_t frameBytes = pixelCount * format.bytesPerPixel;
    if (raw) {
        const std::string path = directory + "/" + FrameFileName(frameNumber, "raw");
        std::FILE* out = std::fopen(path.c_str(), "wb");
        const bool written = out != nullptr && std::fwrite(frame, 1, frameBytes, out) == frameBytes;
        if (out == nullptr || std::fclose(out) != 0 || !written) {
            message = "cannot write " + path;
            return false;
        }
    }
    std::vector<uint8_t> rgb(pixelCount * 3);
    for (std::size_t i = 0; i < pixelCount; ++i) {
        uint32_t value = 0;
        for (uint32_t b = 0; b < format.bytesPerPixel; ++b)
            value |= uint32_t(frame[i * format.bytesPerPixel + b]) << (8 * b);
        const Colour colour = format.unpack(value);
        rgb[i * 3] = colour.red;
        rgb[i * 3 + 1] = colour.green;
        rgb[i * 3 + 2] = colour.blue;
    }
    const std::string path = directory + "/" + FrameFileName(frameNumber, "png");
    if (!WritePng(path.c_str(), screenGeometry.width, screenGeometry.height, rgb.data())) {
        message = "cannot write " + path;
        return false;
    }
    return true;
}
