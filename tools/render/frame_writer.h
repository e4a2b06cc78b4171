// Turning the show's frames into files: the raw surface bytes, and PNG through the format's colours.
#pragma once

#include <cstdint>
#include <string>

#include "show/pixel_format.h"

// Writes frame-NNNNN.png (and frame-NNNNN.raw when raw) of a 640x480 frame whose rows are packed without
// padding. Returns false, with a message, when a file cannot be written.
bool WriteFrame(const std::string& directory, uint32_t frameNumber, const PixelFormat& format, const uint8_t* frame,
                bool raw, std::string& message);

// The file name of a frame: frame-NNNNN.<extension>, the number in five digits.
std::string FrameFileName(uint32_t frameNumber, const char* extension);
