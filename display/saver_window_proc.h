// The show's own window procedure and its frame pump: display set-up at creation, one frame per request
// from the multimedia timer, the preview picture and the error texts.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "display/frame_pacing.h"

struct SaverWindowState {
    HWND displayWindow;  // the saver window, recorded at creation
    int32_t clientWidth; // client size at creation
    int32_t clientHeight;
    RECT sourceRect;       // the part of the off-screen picture that is shown
    RECT destRect;         // where it goes on the primary surface: centred on the primary monitor
    HBITMAP previewBitmap; // bitmap 103, preview only
    int32_t previewWidth;
    int32_t previewHeight;
    UINT frameTimer; // the multimedia timer; 0 when none was started
    // 1 from the timer tick that posts a frame request until that frame has been shown. Only the timer
    // thread sets it and only the window thread clears it, so at most one request is ever queued.
    std::atomic<int32_t> framePending;
    // Pacing for a vertical-blank wait that does not wait. The window thread writes it inside a frame, the
    // timer thread only after it has seen framePending cleared, so the two never touch it at once.
    FramePacing pacing;
    // The tick the show was started at: each frame's elapsed time is counted from it, modulo 2^32.
    uint32_t showStartTick;
};

extern SaverWindowState saverWindowState;

// The show's messages: WM_CREATE, WM_DESTROY, WM_PAINT and the frame request WM_USER. Every message, handled
// or not, then goes to DefaultSaverProc, whose result is returned.
LRESULT SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The multimedia timer's callback, on the timer's thread: posts a frame request unless one is pending.
void CALLBACK FrameTimerProc(UINT timer, UINT message, DWORD_PTR user, DWORD_PTR reserved1, DWORD_PTR reserved2);

// Where the 640x480 picture goes in a client area of the given size: centred, one to one. A client area
// smaller than the picture shows the picture's middle (the source is cropped rather than the destination
// pushed off the screen's edge).
void CentrePicture(int32_t clientWidth, int32_t clientHeight, RECT& source, RECT& dest);
