// Frames to PNG and raw files.
#include "tools/render/frame_writer.h"

#include <cstdio>
#include <vector>

#include "show/screen_geometry.h"
#include "tools/render/png_writer.h"

namespace {

uint8_t ScaleField(uint32_t value, uint32_t mask)
{
    if (mask == 0)
        return 0;
    uint32_t lowBit = 0;
    while ((mask & (1u << lowBit)) == 0)
        ++lowBit;
    const uint32_t largest = mask >> lowBit;
    return static_cast<uint8_t>(uint64_t((value & mask) >> lowBit) * 255 / largest);
}

} // namespace

void UnpackPixel(const PixelFormat& format, uint32_t value, uint8_t rgb[3])
{
    rgb[0] = ScaleField(value, format.redMask);
    rgb[1] = ScaleField(value, format.greenMask);
    rgb[2] = ScaleField(value, format.blueMask);
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
        UnpackPixel(format, value, &rgb[i * 3]);
    }
    const std::string path = directory + "/" + FrameFileName(frameNumber, "png");
    if (!WritePng(path.c_str(), screenGeometry.width, screenGeometry.height, rgb.data())) {
        message = "cannot write " + path;
        return false;
    }
    return true;
}
