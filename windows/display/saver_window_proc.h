// The show's own window procedure and its frame pump: display set-up at creation, one frame per request
// from the multimedia timer, the preview picture and the error texts.
#pragma once

#include <windows.h>

#include <cstdint>

#include "windows/display/windows_host.h"

// 1 when the saver window is a preview child (a picture, no device and no timer), else 0: set before the
// window is made, and read by the show's window procedure and by the window procedures that wrap it.
extern int32_t isPreview;

// The show's part of the saver window's procedure, handed every message the window's procedure passes on:
// it acts on the show's messages (WM_CREATE, WM_DESTROY, WM_PAINT and the frame request WM_USER) and
// returns; the window's procedure then gives the message its default handling and the answer.
void SaverWindowProc(HWND window, UINT message);

// The multimedia timer's callback, on the timer's thread: posts a frame request unless one is pending.
void CALLBACK FrameTimerProc(UINT timer, UINT message, DWORD_PTR user, DWORD_PTR reserved1, DWORD_PTR reserved2);
