// The shell's process-wide flags, shared by start-up, the saver window, the password and the about dialog.
#pragma once

#include <windows.h>

#include <cstdint>

extern HINSTANCE moduleInstance; // the executable's own module
extern int32_t isWin9x;          // 1 on Windows 95/98/Me, where the system keeps the saver password
