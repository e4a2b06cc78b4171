// The system's screen-saver password on Windows 95/98/Me: reading whether one is in use, the verifier in
// PASSWORD.CPL, the running-saver notification and the password-change dialog in MPR.DLL.
#pragma once

#include <windows.h>

#include <cstdint>

using VerifyScreenSavePwdFunction = BOOL(WINAPI*)(HWND);

extern HMODULE passwordLibrary;                    // PASSWORD.CPL while it is loaded
extern VerifyScreenSavePwdFunction verifyPassword; // non-null exactly while the verifier is usable

void LoadPasswordSettings();
void UnloadPasswordLibrary();
void SetSaverRunning(BOOL running);
void ChangeSystemPassword(HWND window);
