// Turning the show's pictures into files: raw surface bytes, PNG through the format's colours, and the
// CRC-32 digest of a frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "show/palette.h"
#include "show/pixel_format.h"
#include "tools/render/crc32.h"

// Writes size bytes to a new file at path. Returns false when the file cannot be written.
bool WriteFile(const std::string& path, const void* data, std::size_t size);

// Writes width x height colours, rows top to bottom, as an 8-bit RGB PNG. Returns false when the file cannot
// be written.
bool WritePng(const std::string& path, uint32_t width, uint32_t height, const Colour* colours);

// Writes frame-NNNNN.png (and frame-NNNNN.raw when raw) of a 640x480 frame whose rows are packed without
// padding. Returns false, with a message, when a file cannot be written.
bool WriteFrame(const std::string& directory, uint32_t frameNumber, const PixelFormat& format, const uint8_t* frame,
                bool raw, std::string& message);

// The file name of a frame: frame-NNNNN.<extension>, the number in five digits.
std::string FrameFileName(uint32_t frameNumber, const char* extension);
