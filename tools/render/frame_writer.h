// Turning the show's frames into files: the raw surface bytes, and PNG through the format's colours.
#pragma once

#include <cstdint>
#include <string>

#include "tools/render/pixel_formats.h"

// The screen colour of packed pixel value in format: on 8-bit displays the colour-cube entry, otherwise
// each channel's field scaled to 0..255 (truncating, as the cube's levels are).
void UnpackPixel(const PixelFormat& format, uint32_t value, uint8_t rgb[3]);

// Writes frame-NNNNN.png (and frame-NNNNN.raw when raw) of a 640x480 frame whose rows are packed without
// padding. Returns false, with a message, when a file cannot be written.
bool WriteFrame(const std::string& directory, uint32_t frameNumber, const PixelFormat& format, const uint8_t* frame,
                bool raw, std::string& message);

// The file name of a frame: frame-NNNNN.<extension>, the number in five digits.
std::string FrameFileName(uint32_t frameNumber, const char* extension);
