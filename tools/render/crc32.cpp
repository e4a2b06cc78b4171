// The CRC-32 of PNG and zip, table-driven; it needs no library, so the bare render tool uses it too.
#include "tools/render/crc32.h"

#include <array>

namespace {

constexpr std::array<uint32_t, 256> MakeCrcTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr std::array<uint32_t, 256> crcTable = MakeCrcTable();

} // namespace

uint32_t Crc32(const uint8_t* data, std::size_t size, uint32_t crc)
{
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i)
        crc = crcTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}
