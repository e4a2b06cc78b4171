// The CRC-32 digest of a frame.
#pragma once

#include <cstddef>
#include <cstdint>

// The CRC-32 of PNG and zip (reflected polynomial 0xEDB88320), continued from crc.
uint32_t Crc32(const uint8_t* data, std::size_t size, uint32_t crc = 0);
