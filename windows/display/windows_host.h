// The Windows host: the one record of the saver window's display, its frame pump and its preview.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "windows/display/display_device.h"
#include "windows/display/frame_pacing.h"
#include "windows/display/multimedia_timer.h"

struct WindowsHost {
    // Found at the window's creation.
    HWND displayWindow;  // the saver window
    int32_t clientWidth; // client size at creation
    int32_t clientHeight;
    RECT sourceRect;       // the part of the off-screen picture that is shown
    RECT destRect;         // where it goes on the primary surface: centred on the primary monitor
    HBITMAP previewBitmap; // bitmap 103, preview only
    int32_t previewWidth;
    int32_t previewHeight;
    DisplayDevice device;  // full screen only
    MultimediaTimer timer; // winmm.dll's functions, found when the show starts
    UINT frameTimer;       // the multimedia timer; 0 when none was started
    // 1 from the timer tick that posts a frame request until that frame has been shown. Only the timer
    // thread sets it and only the window thread clears it, so at most one request is ever queued.
    std::atomic<int32_t> framePending;
    // Pacing for a vertical-blank wait that does not wait. The window thread writes it inside a frame, the
    // timer thread only after it has seen framePending cleared, so the two never touch it at once.
    FramePacing pacing;
};

// The process's one host.
extern WindowsHost windowsHost;
