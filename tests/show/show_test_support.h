// Helpers for the show's tests: a fresh show as at process start, and small surfaces to draw into.
#pragma once

#include <cstdint>
#include <vector>

#include "show/pixel_surface.h"

// Puts the show back into its state at process start: the random generator at 1, the scene rebuilt by the
// same construction (which draws the same 5,120 values), the clock and the surface zeroed.
void RestartShow();

// A frame buffer with guard bytes around it, for checking that drawing stays inside.
struct TestFrame {
    uint32_t width;
    uint32_t height;
    uint32_t bytesPerPixel;
    std::vector<uint8_t> storage; // guard, rows, guard
    static constexpr std::size_t guardBytes = 4096;
    static constexpr uint8_t guardValue = 0xA5;

    TestFrame(uint32_t width, uint32_t height, uint32_t bytesPerPixel);
    uint8_t* pixels() { return storage.data() + guardBytes; }
    int32_t pitch() const { return static_cast<int32_t>(width * bytesPerPixel); }
    uint32_t at(uint32_t x, uint32_t y) const; // the packed value, little-endian
    bool guardsIntact() const;
    // Points pixelSurface at this frame and sets the format, clipped to the frame's size.
    void attach(uint32_t redMask, uint32_t greenMask, uint32_t blueMask);
};

// A palette whose 256 entries pack to 256 different pixels in the format, all of them but entry 0 other
// than black: a pixel drawn from a wrong entry shows.
Palette DistinctPalette(const PixelFormat& format);

// A 640x480 frame in one of the show's formats, with guard bytes around it, played into through the
// show's host interface as every host plays it.
struct ShowFrame : TestFrame {
    const PixelFormat& format;
    explicit ShowFrame(const PixelFormat& format);
    void start();                                      // the show set up in this frame's format at tick 0
    void draw(uint32_t elapsedMs);                     // one frame: cleared, then drawn
    void play(const std::vector<uint32_t>& elapsedMs); // set up, then one frame per entry
};
