// Reading the command line: the program name, the switch letter and the decimal window handles.
#pragma once

#include <cstdint>

// Steps over one character of the system's ANSI code page (one byte, or a lead and a trail byte); never
// steps past the terminating NUL. The saver passes CharNextA.
using NextCharacterFunction = const char* (*)(const char* text);

// What the argument text asks the saver to do.
enum class SaverMode : int32_t {
    aboutUnowned,   // end of text: the about dialog without owner
    fullScreen,     // S: the full-screen show
    preview,        // P or L: the preview inside window
    configure,      // C: the about dialog owned by window, 0 when no handle was given
    changePassword, // A on Windows 95/98/Me: the system's password change for window
    refused,        // any other byte, or A elsewhere: exit code -1 at once
};

struct SaverSwitch {
    SaverMode mode;
    uint32_t window; // the handle written after the letter; 0 when none was read
};

// The number written in decimal at the start of text; wraps modulo 2^32, 0 when text starts with no digit.
uint32_t ParseDecimal(const char* text);

// Skips the program name, quoted or not, and the blanks after it; returns the start of the argument text.
const char* SkipProgramName(const char* commandLine, NextCharacterFunction next);

// Interprets the argument text. win9x is set on Windows 95/98/Me, where the password switch is accepted.
SaverSwitch ReadSaverSwitch(const char* arguments, int32_t win9x);
