// Shift-JIS to UTF-16 for the characters of the saver's own texts.
#include "windows/win32/shift_jis_text.h"

namespace {

constexpr uint16_t unknownCharacter = 0xFF1F; // "？"

// Lead bytes of Shift-JIS's double-byte characters: 0x81 to 0x9F and 0xE0 to 0xFC.
constexpr bool IsLeadByte(uint8_t byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

uint16_t UnitOf(uint16_t code)
{
    for (uint32_t i = 0; i < shiftJisCharacterCount; ++i) {
        if (shiftJisCharacters[i].code == code)
            return shiftJisCharacters[i].unit;
    }
    return unknownCharacter;
}

} // namespace

// Every double-byte character of the error texts and the about dialog's caption and button, in the order
// they appear.
const ShiftJisCharacter shiftJisCharacters[] = {
    {0x8F89, 0x521D}, // 初
    {0x8AFA, 0x671F}, // 期
    {0x89BB, 0x5316}, // 化
    {0x8347, 0x30A8}, // エ
    {0x8389, 0x30E9}, // ラ
    {0x815B, 0x30FC}, // ー
    {0x954B, 0x5FC5}, // 必
    {0x9776, 0x8981}, // 要
    {0x955C, 0x8868}, // 表
    {0x8EA6, 0x793A}, // 示
    {0x9046, 0x8272}, // 色
    {0x8169, 0xFF08}, // （
    {0x88C8, 0x4EE5}, // 以
    {0x8FE3, 0x4E0A}, // 上
    {0x816A, 0xFF09}, // ）
    {0x8145, 0x30FB}, // ・
    {0x90DA, 0x63A5}, // 接
    {0x91B1, 0x7D9A}, // 続
};
const uint32_t shiftJisCharacterCount = sizeof shiftJisCharacters / sizeof shiftJisCharacters[0];

uint32_t ShiftJisToUtf16(const char* bytes, uint32_t count, uint16_t* units, uint32_t capacity)
{
    uint32_t written = 0;
    uint32_t at = 0;
    while (at < count && written < capacity) {
        const auto byte = static_cast<uint8_t>(bytes[at]);
        if (!IsLeadByte(byte)) {
            // ASCII, and the single-byte katakana the texts never use, one unit per byte.
            units[written++] = byte < 0x80 ? byte : unknownCharacter;
            ++at;
            continue;
        }
        if (at + 1 >= count) {
            units[written++] = unknownCharacter;
            break;
        }
        units[written++] = UnitOf(static_cast<uint16_t>(byte << 8 | static_cast<uint8_t>(bytes[at + 1])));
        at += 2;
    }
    return written;
}
