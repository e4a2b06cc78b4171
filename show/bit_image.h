// One-bit images written as rows of characters ('#' set, '.' clear) and packed into bytes at compile time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace bit_image {

// Called only when a row is malformed; not being constexpr, it turns the mistake into a compile error.
inline void RowHasWrongWidthOrCharacter() {}

// Packs Height rows of Width characters, most significant bit leftmost, each row padded to whole bytes,
// followed by one trailing byte. The sprites draw every stored byte, so the trailing byte acts as the first
// byte of one more row below the image.
template <std::size_t Width, std::size_t Height>
constexpr std::array<uint8_t, Height*((Width + 7) / 8) + 1> Pack(const char* const (&rows)[Height],
                                                                 uint8_t trailingByte)
{
    constexpr std::size_t bytesPerRow = (Width + 7) / 8;
    std::array<uint8_t, Height * bytesPerRow + 1> bytes{};
    for (std::size_t r = 0; r < Height; ++r) {
        std::size_t c = 0;
        for (; rows[r][c] != '\0'; ++c) {
            if (c >= Width || (rows[r][c] != '#' && rows[r][c] != '.'))
                RowHasWrongWidthOrCharacter();
            if (rows[r][c] == '#')
                bytes[r * bytesPerRow + c / 8] |= static_cast<uint8_t>(0x80u >> (c % 8));
        }
        if (c != Width)
            RowHasWrongWidthOrCharacter();
    }
    bytes[Height * bytesPerRow] = trailingByte;
    return bytes;
}

} // namespace bit_image
