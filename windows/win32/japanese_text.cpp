// Shift-JIS texts on any code page: the ANSI calls on 932, the wide calls and a Japanese font elsewhere.
#include "windows/win32/japanese_text.h"

#include "windows/win32/procedure_as.h"
#include "windows/win32/shift_jis_text.h"

namespace {

constexpr UINT japaneseCodePage = 932;
// Room for the longest text the saver shows, the caption of at most 1024 bytes, and its terminator.
constexpr uint32_t maxUnits = 1025;

// The text as a NUL-terminated UTF-16 string in units; returns the number of units before the terminator.
uint32_t ToWide(const char* text, int32_t length, WCHAR (&units)[maxUnits])
{
    static_assert(sizeof(WCHAR) == sizeof(uint16_t), "UTF-16 units");
    const uint32_t count =
        ShiftJisToUtf16(text, static_cast<uint32_t>(length), reinterpret_cast<uint16_t*>(units), maxUnits - 1);
    units[count] = 0;
    return count;
}

} // namespace

bool AnsiReadsShiftJis()
{
    return GetACP() == japaneseCodePage;
}

void TextOutJapanese(HDC dc, int32_t x, int32_t y, const char* text, int32_t length)
{
    if (AnsiReadsShiftJis()) {
        TextOutA(dc, x, y, text, length);
        return;
    }
    WCHAR units[maxUnits];
    const uint32_t count = ToWide(text, length, units);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    // Only the height and the character set are asked for: the mapper picks whichever installed font has
    // the Japanese glyphs, at the weight Japanese systems draw their default font with (another code
    // page's default font may be bold).
    LOGFONTA wanted = {};
    wanted.lfHeight = metrics.tmHeight;
    wanted.lfCharSet = SHIFTJIS_CHARSET;
    const HFONT font = CreateFontIndirectA(&wanted);
    const HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
    TextOutW(dc, x, y, units, static_cast<int>(count));
    if (font != nullptr) {
        SelectObject(dc, previous);
        DeleteObject(font);
    }
}

bool JapaneseWindowTextsAreWide()
{
    if (AnsiReadsShiftJis())
        return false;
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) != FALSE && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

void SetWindowTextJapanese(HWND window, const char* text, int32_t length)
{
    if (JapaneseWindowTextsAreWide()) {
        WCHAR units[maxUnits];
        ToWide(text, length, units);
        // Straight to the default handling: SetWindowTextW would send the text to an ANSI window's
        // procedure converted to the system's code page, which has no Japanese characters. Found at run
        // time, so that no Windows 95 has to hold it for the saver to load (Windows 98 has a stub of it).
        const auto defaultProcedure = ProcedureAs<LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM)>(
            GetProcAddress(GetModuleHandleA("USER32.DLL"), "DefWindowProcW"));
        if (defaultProcedure != nullptr &&
            defaultProcedure(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(units)) != 0)
            return;
    }
    SetWindowTextA(window, text);
}
