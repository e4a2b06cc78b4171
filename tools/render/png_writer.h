// A small PNG writer for 8-bit RGB pictures (uncompressed deflate blocks: no library needed) and the
// CRC-32 that PNG and the frame digests use.
#pragma once

#include <cstddef>
#include <cstdint>

uint32_t Crc32(const uint8_t* data, std::size_t size, uint32_t crc = 0);

// Writes width x height pixels of red, green, blue bytes, rows top to bottom without padding. Returns
// false when the file cannot be written.
bool WritePng(const char* path, uint32_t width, uint32_t height, const uint8_t* rgb);
