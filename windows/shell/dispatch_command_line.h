// Start-up: the platform test and the one mode that the argument text asks for, run under a fault guard.
#pragma once

#include <windows.h>

#include <cstdint>

// Stores moduleInstance and isWin9x, then runs the mode that arguments (the command line after the program
// name) asks for and returns the exit code.
int32_t DispatchCommandLine(HINSTANCE instance, const char* arguments);
