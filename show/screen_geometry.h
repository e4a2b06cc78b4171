// Screen geometry: the size of the picture the show draws, read by everything that sizes or places it.
#pragma once

#include <cstdint>

struct ScreenGeometry {
    int32_t width;
    int32_t height;

    // The picture's centre: the ring turns about it and the sea is centred under it.
    constexpr int32_t centreX() const { return width / 2; }
    constexpr int32_t centreY() const { return height / 2; }
};

// The show's picture is always 640x480, whatever mode the display runs in: the display set-up sizes the
// off-screen surface from it, the frame pump centres it, and the pixel surface clips to it.
inline constexpr ScreenGeometry screenGeometry{640, 480};
