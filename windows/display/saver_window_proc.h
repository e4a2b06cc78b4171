// The show's own window procedure and its frame pump: display set-up at creation, one frame per request
// from the multimedia timer, the preview picture and the error texts.
#pragma once

#include <windows.h>

#include <cstdint>

#include "windows/display/windows_host.h"

// 1 when the saver window is a preview child (a picture, no device and no timer), else 0: set before the
// window is made, and read by the show's window procedure and by the window procedures that wrap it.
extern int32_t isPreview;

// What the show's window procedure is told before the window is made: the procedure that every message goes
// on to after the show's own handling (DefWindowProcA when null).
void PrepareSaverWindowProc(WNDPROC next);

// The show's messages: WM_CREATE, WM_DESTROY, WM_PAINT and the frame request WM_USER. Every message, handled
// or not, then goes to the next procedure, whose result is returned.
LRESULT SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The multimedia timer's callback, on the timer's thread: posts a frame request unless one is pending.
void CALLBACK FrameTimerProc(UINT timer, UINT message, DWORD_PTR user, DWORD_PTR reserved1, DWORD_PTR reserved2);
