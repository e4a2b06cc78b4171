// The show's own window procedure and its frame pump: display set-up at creation, one frame per request
// from the multimedia timer, the preview picture and the error texts.
#pragma once

#include <windows.h>

#include <cstdint>

#include "display/windows_host.h"

// What the show's window procedure is told before the window is made: whether the window is a preview
// child, and the procedure that every message goes on to after the show's own handling (DefWindowProcA when
// null).
void PrepareSaverWindowProc(bool preview, WNDPROC next);

// The show's messages: WM_CREATE, WM_DESTROY, WM_PAINT and the frame request WM_USER. Every message, handled
// or not, then goes to the next procedure, whose result is returned.
LRESULT SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The multimedia timer's callback, on the timer's thread: posts a frame request unless one is pending.
void CALLBACK FrameTimerProc(UINT timer, UINT message, DWORD_PTR user, DWORD_PTR reserved1, DWORD_PTR reserved2);

// Where the 640x480 picture goes in a client area of the given size: centred, one to one. A client area
// smaller than the picture shows the picture's middle (the source is cropped rather than the destination
// pushed off the screen's edge).
void CentrePicture(int32_t clientWidth, int32_t clientHeight, RECT& source, RECT& dest);
