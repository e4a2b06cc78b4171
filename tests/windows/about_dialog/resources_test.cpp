// The executable's resources, read back through the Windows resource functions.
//
// Checked: the dialog template byte for byte and what it means to the dialog, the icon group and its images, the
// still's header, colour table and pixels, the version resource, and that everything is Japanese and nothing
// else is there.
//
//   about_resources_tests [MODULE]
//
// Without MODULE the test reads its own resources (it links the same resource object as the saver);
// with it, the named executable's.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "version.h"
#include "windows/resources/maker.h"

namespace {

HMODULE resourceModule;
constexpr WORD japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT); // 1041

using Bytes = std::vector<uint8_t>;

Bytes ResourceBytes(LPCSTR type, int number)
{
    const HRSRC found = FindResourceExA(resourceModule, type, MAKEINTRESOURCEA(number), japanese);
    if (found == nullptr)
        return {};
    const HGLOBAL loaded = LoadResource(resourceModule, found);
    const auto* data = static_cast<const uint8_t*>(LockResource(loaded));
    return data == nullptr ? Bytes{} : Bytes(data, data + SizeofResource(resourceModule, found));
}

uint32_t Read16(const Bytes& bytes, std::size_t at)
{
    return bytes[at] | uint32_t(bytes[at + 1]) << 8;
}

uint32_t Read32(const Bytes& bytes, std::size_t at)
{
    return Read16(bytes, at) | Read16(bytes, at + 2) << 16;
}

// The bytes of a dialog template, written field by field.
struct TemplateWriter {
    Bytes bytes;
    void word(uint32_t value)
    {
        bytes.push_back(uint8_t(value));
        bytes.push_back(uint8_t(value >> 8));
    }
    void dword(uint32_t value)
    {
        word(value & 0xFFFF);
        word(value >> 16);
    }
    void text(const wchar_t* value)
    {
        for (; *value != 0; ++value)
            word(uint16_t(*value));
        word(0);
    }
    void align()
    {
        while (bytes.size() % 4 != 0)
            bytes.push_back(0);
    }
};

constexpr uint16_t buttonClass = 0x0080; // the predefined classes by atom, as the resource compiler stores them
constexpr uint16_t staticClass = 0x0082;

struct ControlRow {
    uint16_t classAtom;
    int32_t id;
    const wchar_t* text; // or null for a resource number
    uint16_t resource;
    uint32_t style;
    uint32_t exStyle;
    int16_t x, y, width, height;
};

std::wstring Widen(const char* ascii)
{
    return std::wstring(ascii, ascii + std::strlen(ascii));
}

const std::wstring makerAddress = Widen(MAKER_ADDRESS);
const std::wstring productLine = L"Kestrune\nOrvelle ver" + Widen(ORVELLE_VERSION_TEXT); // the build's version

const ControlRow controls[] = {
    {buttonClass, 1, L"OK", 0, 0x50010001, 0, 129, 124, 46, 14},
    {staticClass, -1, nullptr, 103, 0x5000080E, 0x00000001, 7, 6, 111, 84},
    {staticClass, -1, nullptr, 102, 0x50000003, 0, 7, 122, 20, 20},
    {buttonClass, 1003, L"\x63A5\x7D9A", 0, 0x50010000, 0, 252, 76, 33, 14}, // "接続"
    {staticClass, -1, productLine.c_str(), 0, 0x50020001, 0, 123, 29, 155, 24},
    {staticClass, -1, makerAddress.c_str(), 0, 0x50020201, 0x00020000, 123, 75, 125, 13},
    {staticClass, -1, L"Copyright (C) 2026 Kestrune. All rights reserved.", 0, 0x50020001, 0, 7, 103, 278, 13},
};

Bytes ExpectedDialogTemplate()
{
    TemplateWriter out;
    out.word(1);      // version
    out.word(0xFFFF); // extended template
    out.dword(0);     // help id
    out.dword(0);     // extended style
    out.dword(0x80C808C0);
    out.word(std::size(controls));
    out.word(0);
    out.word(0);
    out.word(292);
    out.word(151);
    out.word(0);                                        // no menu
    out.word(0);                                        // the standard dialog class
    out.word(0);                                        // empty title
    out.word(9);                                        // points
    out.word(0);                                        // weight
    out.bytes.push_back(0);                             // not italic
    out.bytes.push_back(1);                             // DEFAULT_CHARSET
    out.text(L"\xFF2D\xFF33 \x30B4\x30B7\x30C3\x30AF"); // "ＭＳ ゴシック"
    for (const ControlRow& control : controls) {
        out.align();
        out.dword(0); // help id
        out.dword(control.exStyle);
        out.dword(control.style);
        out.word(uint16_t(control.x));
        out.word(uint16_t(control.y));
        out.word(uint16_t(control.width));
        out.word(uint16_t(control.height));
        out.dword(uint32_t(control.id));
        out.word(0xFFFF);
        out.word(control.classAtom);
        if (control.text != nullptr) {
            out.text(control.text);
        } else {
            out.word(0xFFFF);
            out.word(control.resource);
        }
        out.word(0); // no creation data
    }
    return out.bytes;
}

// A control as the template holds it, read from the template itself.
struct TemplateControl {
    uint32_t style;
    int32_t left, top, right, bottom; // dialog units
    int32_t id;
    uint16_t classAtom;
    uint16_t resource; // 0 for a text
};

// Skips a string or number field of a template; returns the number, 0 for a string.
uint16_t SkipNameOrNumber(const Bytes& bytes, std::size_t& at)
{
    if (Read16(bytes, at) == 0xFFFF) {
        at += 4;
        return uint16_t(Read16(bytes, at - 2));
    }
    while (Read16(bytes, at) != 0)
        at += 2;
    at += 2;
    return 0;
}

// The controls of an extended template with a font, and the dialog's size.
std::vector<TemplateControl> ReadControls(const Bytes& bytes, int32_t& width, int32_t& height)
{
    width = int16_t(Read16(bytes, 22));
    height = int16_t(Read16(bytes, 24));
    std::size_t at = 26;
    for (int field = 0; field < 3; ++field) // menu, class, title
        SkipNameOrNumber(bytes, at);
    at += 6; // points, weight, italic, character set
    SkipNameOrNumber(bytes, at);
    std::vector<TemplateControl> controls(Read16(bytes, 16));
    for (TemplateControl& control : controls) {
        at = (at + 3) & ~std::size_t(3);
        control.style = Read32(bytes, at + 8);
        control.left = int16_t(Read16(bytes, at + 12));
        control.top = int16_t(Read16(bytes, at + 14));
        control.right = control.left + int16_t(Read16(bytes, at + 16));
        control.bottom = control.top + int16_t(Read16(bytes, at + 18));
        control.id = int32_t(Read32(bytes, at + 20));
        at += 24;
        control.classAtom = SkipNameOrNumber(bytes, at);
        control.resource = SkipNameOrNumber(bytes, at);
        at += 2 + Read16(bytes, at); // creation data
    }
    return controls;
}

// What the template means to the dialog: every control shown inside it and none over another, OK the default
// button (Enter ends the dialog with 1), the button that opens the maker's page (1003), and pictures that the
// module holds.
void ExpectAWorkingDialog(const Bytes& bytes)
{
    int32_t width = 0, height = 0;
    const std::vector<TemplateControl> controls = ReadControls(bytes, width, height);
    int32_t buttons = 0;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const TemplateControl& c = controls[i];
        EXPECT_EQ(c.style & (WS_CHILD | WS_VISIBLE), DWORD(WS_CHILD | WS_VISIBLE)) << "control " << i;
        EXPECT_TRUE(c.left >= 0 && c.top >= 0 && c.right <= width && c.bottom <= height) << "control " << i;
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_TRUE(c.right <= controls[j].left || controls[j].right <= c.left || c.bottom <= controls[j].top ||
                        controls[j].bottom <= c.top)
                << "controls " << j << " and " << i << " overlap";
        const uint32_t type = c.style & 0x1F;
        if (c.classAtom == buttonClass)
            buttons += (c.id == IDOK && type == BS_DEFPUSHBUTTON) || (c.id == 1003 && type == BS_PUSHBUTTON);
        if (c.classAtom == staticClass && (type == SS_BITMAP || type == SS_ICON)) {
            EXPECT_FALSE(ResourceBytes(MAKEINTRESOURCEA(type == SS_BITMAP ? 2 : 14), c.resource).empty())
                << "control " << i << " shows resource " << c.resource << ", which the module lacks";
        }
    }
    EXPECT_EQ(buttons, 2) << "OK as the default button and 1003 as a push button";
}

TEST(Resources, DialogTemplateHoldsExactlyTheLayout)
{
    const Bytes actual = ResourceBytes(MAKEINTRESOURCEA(5), 2003); // RT_DIALOG
    const Bytes expected = ExpectedDialogTemplate();
    ASSERT_FALSE(actual.empty()) << "no Japanese dialog 2003";
    ExpectAWorkingDialog(actual);
    std::size_t first = 0;
    while (first < actual.size() && first < expected.size() && actual[first] == expected[first])
        ++first;
    EXPECT_EQ(actual.size(), expected.size());
    if (first < actual.size() || first < expected.size())
        ADD_FAILURE() << "first difference at byte " << first << " of " << expected.size() << ": expected "
                      << (first < expected.size() ? int(expected[first]) : -1) << ", found "
                      << (first < actual.size() ? int(actual[first]) : -1);
}

// Every (type, name, language) in the module, as "type/name/language" with numbers in decimal.
std::set<std::string> resourceList;

BOOL CALLBACK AddLanguage(HMODULE, LPCSTR type, LPCSTR name, WORD language, LONG_PTR)
{
    char entry[64];
    std::snprintf(entry, sizeof entry, "%u/%u/%u", unsigned(uintptr_t(type)), unsigned(uintptr_t(name)),
                  unsigned(language));
    resourceList.insert(IS_INTRESOURCE(type) && IS_INTRESOURCE(name) ? entry : "named resource");
    return TRUE;
}

BOOL CALLBACK AddName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR)
{
    EnumResourceLanguagesA(module, type, name, AddLanguage, 0);
    return TRUE;
}

BOOL CALLBACK AddType(HMODULE module, LPSTR type, LONG_PTR)
{
    EnumResourceNamesA(module, type, AddName, 0);
    return TRUE;
}

TEST(Resources, AreTheDialogTheIconsAndTheStillAllJapanese)
{
    resourceList.clear();
    EnumResourceTypesA(resourceModule, AddType, 0);
    // Bitmap 103, icons 1 to 3, dialog 2003, icon group 102, version 1, manifest 1: no icon 100, no second
    // group, no other language.
    const std::set<std::string> expected = {"2/103/1041",  "3/1/1041",    "3/2/1041",  "3/3/1041",
                                            "5/2003/1041", "14/102/1041", "16/1/1041", "24/1/1041"};
    EXPECT_EQ(resourceList, expected);
    EXPECT_EQ(LoadIconA(resourceModule, MAKEINTRESOURCEA(100)), nullptr);
}

// The manifest: DPI-aware per monitor, the older flag per monitor too (Windows 8.1 to 10 1511 read only it), Windows
// Vista to 10/11 named (Vista, 7, 8, 8.1, 10), the user's own rights.
TEST(Resources, ManifestDeclaresPerMonitorDpiTheSystemsAndTheUsersRights)
{
    const Bytes bytes = ResourceBytes(MAKEINTRESOURCEA(24), 1); // RT_MANIFEST
    const std::string manifest(bytes.begin(), bytes.end());
    const char* const fragments[] = {
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>",
        ">true/pm</dpiAware>",
        ">PerMonitorV2, PerMonitor</dpiAwareness>",
        "xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\"",
        "<supportedOS Id=\"{e2011457-1546-43c5-a5fe-008deee3d3f0}\"/>",
        "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>",
        "<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>",
        "<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>",
        "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",
        "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>",
    };
    for (const char* fragment : fragments)
        EXPECT_NE(manifest.find(fragment), std::string::npos) << "the manifest lacks " << fragment;
}

// The version resource carries the project's version: in its fixed part as numbers, and as the file's and
// the product's version text.
TEST(Resources, VersionIsTheProjects)
{
    const Bytes version = ResourceBytes(MAKEINTRESOURCEA(16), 1); // RT_VERSION
    ASSERT_GE(version.size(), 40u + 52u) << "no Japanese version resource 1";
    // VS_VERSIONINFO: three words, "VS_VERSION_INFO" in UTF-16, padded to 40 bytes; then VS_FIXEDFILEINFO.
    ASSERT_EQ(Read32(version, 40), 0xFEEF04BDu) << "no VS_FIXEDFILEINFO signature";
    constexpr uint32_t numbers[] = {ORVELLE_VERSION_NUMBERS};
    for (std::size_t at : {48u, 56u}) { // file version, product version: most then least significant halves
        EXPECT_EQ(Read32(version, at), numbers[0] << 16 | numbers[1]) << "at " << at;
        EXPECT_EQ(Read32(version, at + 4), numbers[2] << 16 | numbers[3]) << "at " << at;
    }
    TemplateWriter text; // the version text, as the string table stores it
    text.text(L"" ORVELLE_VERSION_TEXT);
    std::size_t found = 0;
    auto at = version.begin();
    while ((at = std::search(at, version.end(), text.bytes.begin(), text.bytes.end())) != version.end()) {
        ++found;
        ++at;
    }
    EXPECT_EQ(found, 2u) << "FileVersion and ProductVersion " ORVELLE_VERSION_TEXT;
}

struct IconRow {
    uint32_t size;
    uint32_t colourCount; // 0 for 256 colours
    uint32_t bitsPerPixel;
    uint32_t imageId;
};

TEST(Resources, IconGroupListsThreeImagesThatAreIcons)
{
    const IconRow rows[] = {{32, 16, 4, 1}, {32, 0, 8, 2}, {16, 16, 4, 3}};
    const Bytes group = ResourceBytes(MAKEINTRESOURCEA(14), 102); // RT_GROUP_ICON
    ASSERT_EQ(group.size(), 6u + 14u * 3u);
    EXPECT_EQ(Read16(group, 0), 0u);
    EXPECT_EQ(Read16(group, 2), 1u); // icons
    EXPECT_EQ(Read16(group, 4), 3u);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("image " + std::to_string(i + 1));
        const IconRow& row = rows[i];
        const std::size_t entry = 6 + 14 * i;
        EXPECT_EQ(group[entry], row.size);
        EXPECT_EQ(group[entry + 1], row.size);
        EXPECT_EQ(group[entry + 2], row.colourCount);
        EXPECT_EQ(group[entry + 3], 0u);
        EXPECT_EQ(Read16(group, entry + 4), 1u); // planes
        EXPECT_EQ(Read16(group, entry + 6), row.bitsPerPixel);
        EXPECT_EQ(Read16(group, entry + 12), row.imageId);

        Bytes image = ResourceBytes(MAKEINTRESOURCEA(3), int(row.imageId)); // RT_ICON
        ASSERT_EQ(image.size(), Read32(group, entry + 8));
        // Header, palette, colour bits and mask, rows padded to four bytes.
        const uint32_t colours = 1u << row.bitsPerPixel;
        const uint32_t colourRow = (row.size * row.bitsPerPixel + 31) / 32 * 4;
        const uint32_t maskRow = (row.size + 31) / 32 * 4;
        EXPECT_EQ(image.size(), 40 + 4 * colours + (colourRow + maskRow) * row.size);
        EXPECT_EQ(Read32(image, 0), 40u);
        EXPECT_EQ(Read32(image, 4), row.size);
        EXPECT_EQ(Read32(image, 8), 2 * row.size); // colour bitmap and mask
        EXPECT_EQ(Read16(image, 14), row.bitsPerPixel);

        const HICON icon = CreateIconFromResourceEx(image.data(), DWORD(image.size()), TRUE, 0x00030000, int(row.size),
                                                    int(row.size), LR_DEFAULTCOLOR);
        ASSERT_NE(icon, nullptr);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colourBitmap = {};
        GetObjectA(info.hbmColor, sizeof colourBitmap, &colourBitmap);
        EXPECT_EQ(uint32_t(colourBitmap.bmWidth), row.size);
        EXPECT_EQ(uint32_t(colourBitmap.bmHeight), row.size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

struct FieldRow {
    const char* name;
    std::size_t offset;
    int size; // 2 or 4 bytes
    uint32_t value;
};

TEST(Resources, StillIsThe160By120ColourCubeBitmapFromResources)
{
    const Bytes still = ResourceBytes(MAKEINTRESOURCEA(2), 103); // RT_BITMAP
    ASSERT_EQ(still.size(), 20264u);
    const FieldRow header[] = {
        {"biSize", 0, 4, 40},          {"biWidth", 4, 4, 160},           {"biHeight (bottom-up)", 8, 4, 120},
        {"biPlanes", 12, 2, 1},        {"biBitCount", 14, 2, 8},         {"biCompression (BI_RGB)", 16, 4, 0},
        {"biSizeImage", 20, 4, 19200}, {"biXPelsPerMeter", 24, 4, 2834}, {"biYPelsPerMeter", 28, 4, 2834},
        {"biClrUsed", 32, 4, 256},     {"biClrImportant", 36, 4, 256},
    };
    for (const FieldRow& field : header)
        EXPECT_EQ(field.size == 2 ? Read16(still, field.offset) : Read32(still, field.offset), field.value)
            << field.name;
    // The colour table is the show's 3-3-2 colour cube, as blue, green, red, 0.
    for (uint32_t i = 0; i < 256; ++i) {
        const uint32_t red = ((i >> 5) & 7) * 255 / 7, green = ((i >> 2) & 7) * 255 / 7, blue = (i & 3) * 85;
        ASSERT_EQ(Read32(still, 40 + 4 * i), blue | green << 8 | red << 16) << "colour " << i;
    }

    // The bitmap is the committed picture: the file's bytes after its 14-byte file header.
    std::FILE* file = std::fopen(ORVELLE_STILL_FILE, "rb");
    ASSERT_NE(file, nullptr) << ORVELLE_STILL_FILE;
    Bytes fileBytes(20264 + 14 + 1);
    fileBytes.resize(std::fread(fileBytes.data(), 1, fileBytes.size(), file));
    std::fclose(file);
    ASSERT_EQ(fileBytes.size(), 14u + 20264u);
    EXPECT_TRUE(std::equal(still.begin(), still.end(), fileBytes.begin() + 14));

    // And the system loads it at that size.
    const HBITMAP loaded = LoadBitmapA(resourceModule, MAKEINTRESOURCEA(103));
    ASSERT_NE(loaded, nullptr);
    BITMAP bitmap = {};
    ASSERT_EQ(GetObjectA(loaded, sizeof bitmap, &bitmap), int(sizeof bitmap));
    EXPECT_EQ(bitmap.bmWidth, 160);
    EXPECT_EQ(bitmap.bmHeight, 120);
    DeleteObject(loaded);
}

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    resourceModule = GetModuleHandleA(nullptr);
    if (argc > 1) {
        resourceModule = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (resourceModule == nullptr) {
            std::fprintf(stderr, "cannot load %s\n", argv[1]);
            return 1;
        }
    }
    return RUN_ALL_TESTS();
}
