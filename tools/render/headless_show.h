// The show played into memory instead of onto a screen: the display set-up's and the frame pump's steps
// without DirectDraw, for the render tool, the resource generator, the benchmark and the tests.
#pragma once

#include <cstdint>

#include "tools/render/pixel_formats.h"

// Points pixelSurface at a 640x480 frame of the given format whose rows follow each other without padding.
void AttachHeadlessFrame(const PixelFormat& format, uint8_t* pixels);

// What the display set-up does once the format is set: the clock at 0, the scene built.
void StartHeadlessShow();

// One frame as the frame pump draws it: clear, advance the clock to elapsedMs, update and draw.
void DrawHeadlessFrame(uint32_t elapsedMs);
