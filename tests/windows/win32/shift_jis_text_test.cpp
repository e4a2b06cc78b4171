// Shift-JIS to UTF-16 for the saver's texts: the table against the C library's own code page 932, whole
// texts, and the bytes the table does not hold.
#include <gtest/gtest.h>

#include <string>

// The Windows builds' C library has no iconv: they check the table by the native build's result.
#if __has_include(<iconv.h>)
#include <iconv.h>
#define HAVE_ICONV 1
#endif

#include "windows/win32/shift_jis_text.h"

namespace {

// The C library's conversion of the bytes, as UTF-16 units; empty when it has no code page 932.
std::u16string ByIconv(const std::string& bytes)
{
#ifndef HAVE_ICONV
    static_cast<void>(bytes);
    return {};
#else
    const iconv_t converter = iconv_open("UTF-16LE", "CP932");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return {};
    std::string in = bytes;
    char16_t out[256] = {};
    char* from = in.data();
    auto* to = reinterpret_cast<char*>(out);
    size_t left = in.size(), room = sizeof out;
    const size_t done = iconv(converter, &from, &left, &to, &room);
    iconv_close(converter);
    return done == static_cast<size_t>(-1) ? std::u16string() : std::u16string(out, (sizeof out - room) / 2);
#endif
}

std::u16string ByTable(const std::string& bytes, uint32_t capacity = 64)
{
    char16_t units[64] = {};
    const uint32_t count = ShiftJisToUtf16(bytes.data(), static_cast<uint32_t>(bytes.size()),
                                           reinterpret_cast<uint16_t*>(units), capacity);
    return std::u16string(units, count);
}

TEST(ShiftJisText, TableAndTextsAgreeWithCodePage932)
{
#ifndef HAVE_ICONV
    GTEST_SKIP() << "no iconv to compare with";
#endif
    std::string all;
    for (uint32_t i = 0; i < shiftJisCharacterCount; ++i) {
        const uint16_t code = shiftJisCharacters[i].code;
        all += static_cast<char>(code >> 8);
        all += static_cast<char>(code & 0xFF);
    }
    const std::string texts[] = {
        all,
        "DirectDraw\x8F\x89\x8A\xFA\x89\xBB\x83\x47\x83\x89\x81\x5B", // the device failed
        "\x95\x4B\x97\x76\x95\x5C\x8E\xA6\x90\x46\x81\x69"
        "256\x88\xC8\x8F\xE3\x81\x6A ", // too few colours
        "Kestrune\x81\x45",             // the caption
        "\x90\xDA\x91\xB1",             // the connect button
    };
    for (const std::string& text : texts) {
        const std::u16string expected = ByIconv(text);
        ASSERT_FALSE(expected.empty()) << "the C library cannot convert from CP932 here";
        EXPECT_EQ(ByTable(text), expected) << text;
    }
}

TEST(ShiftJisText, BytesOutsideTheTableNeverPassAsAnotherCodePage)
{
    const struct {
        std::string bytes;
        uint32_t capacity;
        std::u16string units;
    } cases[] = {
        {"", 8, u""},
        {"OK 1", 8, u"OK 1"},
        {"\x82\xA0", 8, u"\uFF1F"},                       // あ: valid Shift-JIS, not in the table
        {"a\x8F", 8, u"a\uFF1F"},                         // a lead byte cut off at the end
        {"\xB1", 8, u"\uFF1F"},                           // half-width katakana
        {"\x8F\x89\x8F\x89\x8F\x89", 2, u"\u521D\u521D"}, // stops at the capacity
    };
    for (const auto& entry : cases)
        EXPECT_EQ(ByTable(entry.bytes, entry.capacity), entry.units) << entry.bytes;
}

} // namespace
