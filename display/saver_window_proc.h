// The show's own window procedure and its frame pump.
#pragma once

#include <windows.h>

LRESULT SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void CALLBACK FrameTimerProc(UINT timer, UINT message, DWORD_PTR user, DWORD_PTR reserved1, DWORD_PTR reserved2);
