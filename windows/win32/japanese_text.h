// The saver's Japanese texts, stored as Shift-JIS bytes, shown so that they read right on every system: with
// the ANSI calls where the system's code page is Japanese (932), through the wide calls and a font with
// Japanese glyphs everywhere else, where the ANSI calls would read the bytes in another code page.
#pragma once

#include <windows.h>

#include <cstdint>

// Whether the system's ANSI code page is Japanese (932), so that the ANSI calls read Shift-JIS right.
bool AnsiReadsShiftJis();

// Draws length bytes of Shift-JIS text at (x, y) with the context's colours and background mode. On code
// page 932 it is TextOutA with the context's own font; elsewhere TextOutW in a font of the Japanese
// character set as high as the context's font, which the system's font mapper picks.
void TextOutJapanese(HDC dc, int32_t x, int32_t y, const char* text, int32_t length);

// Whether Japanese window texts are set as wide text: on a system of the NT line, whose windows hold their
// texts in UTF-16, outside code page 932. On 932 the ANSI calls read them right; Windows 95/98/Me keep window
// texts in the ANSI code page, so no wide call can give them a character that page lacks.
bool JapaneseWindowTextsAreWide();

// Sets the window's text from length bytes of Shift-JIS: SetWindowTextA on code page 932 and on Windows
// 95/98/Me; elsewhere the wide text through DefWindowProcW, which keeps it whole even in an ANSI window (and
// SetWindowTextA where that fails).
void SetWindowTextJapanese(HWND window, const char* text, int32_t length);
