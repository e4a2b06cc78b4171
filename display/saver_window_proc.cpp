// The saver window procedure: display set-up and release, the frame pump, the preview and the error texts.
#include "display/saver_window_proc.h"

#include <mmsystem.h>

#include "display/display_device.h"
#include "display/screen_monitors.h"
#include "host_rules/picture_placement.h"
#include "shell/saver_window.h"
#include "shell/shell_state.h"
#include "show/screen_geometry.h"
#include "show/show_host.h"

SaverWindowState saverWindowState;

namespace {

constexpr int previewBitmapId = 103;
constexpr int errorTextLength = 22;
// "DirectDraw初期化エラー": the display could not be set up.
constexpr char directDrawErrorText[errorTextLength + 1] = "DirectDraw\x8F\x89\x8A\xFA\x89\xBB\x83\x47\x83\x89\x81\x5B";
// "必要表示色（256以上） ": the display shows too few colours.
constexpr char depthErrorText[errorTextLength + 1] = "\x95\x4B\x97\x76\x95\x5C\x8E\xA6\x90\x46\x81\x69"
                                                     "256\x88\xC8\x8F\xE3\x81\x6A ";
// The error text starts this far left of the picture's centre.
constexpr int errorTextOffsetX = 80;
constexpr int32_t maxMonitors = 16;

void PictureRects(const PicturePlacement& place, RECT& source, RECT& dest)
{
    source = {place.x.source, place.y.source, place.x.source + place.x.length, place.y.source + place.y.length};
    dest = {place.x.dest, place.y.dest, place.x.dest + place.x.length, place.y.dest + place.y.length};
}

// The multimedia timer's clock in microseconds, wrapping modulo 2^32 like the milliseconds it counts.
uint32_t TimerClockMicroseconds()
{
    return timeGetTime() * 1000u;
}

void OnCreate(HWND window)
{
    SaverWindowState& state = saverWindowState;
    RECT client;
    GetClientRect(window, &client);
    state.clientWidth = client.right - client.left;
    state.clientHeight = client.bottom - client.top;
    state.displayWindow = window;
    // The primary surface is the primary monitor, whose corner is the screen's origin: the picture is centred
    // on it, wherever the window reaches over the other monitors.
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    ScreenBox monitors[maxMonitors];
    int32_t primary = 0;
    const int32_t count = isPreview != 0 ? 0 : ReadScreenMonitors(monitors, maxMonitors, primary);
    const MonitorPlacement place =
        PlaceOnPrimary({origin.x, origin.y, state.clientWidth, state.clientHeight}, monitors, count, primary);
    PictureRects(place.picture, state.sourceRect, state.destRect);
    // The primary surface counts from the screen's corner, the client area from the window's.
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&state.destRect), 2);

    if (isPreview != 0) {
        const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
        state.previewBitmap = LoadBitmapA(instance, MAKEINTRESOURCEA(previewBitmapId));
        BITMAP bitmap = {};
        if (state.previewBitmap != nullptr && GetObjectA(state.previewBitmap, sizeof bitmap, &bitmap) != 0) {
            state.previewWidth = bitmap.bmWidth;
            state.previewHeight = bitmap.bmHeight;
        }
        InvalidateRect(window, nullptr, FALSE);
        return;
    }

    SetupDisplayDevice();
    if (displayDevice.directDraw == nullptr)
        return;
    // The rate the vertical-blank wait is held to; a failed call reports none.
    DWORD refreshRate = 0;
    if (displayDevice.directDraw->GetMonitorFrequency(&refreshRate) != DD_OK)
        refreshRate = 0;
    StartFramePacing(state.pacing, refreshRate);
    // The finest period the system offers, so that a new request follows the end of a frame at once.
    TIMECAPS caps = {};
    timeGetDevCaps(&caps, sizeof caps);
    timeBeginPeriod(caps.wPeriodMin);
    state.frameTimer = timeSetEvent(caps.wPeriodMin, caps.wPeriodMin, FrameTimerProc, 0, TIME_PERIODIC);
}

void OnDestroy()
{
    SaverWindowState& state = saverWindowState;
    if (isPreview != 0) {
        DeleteObject(state.previewBitmap);
        state.previewBitmap = nullptr;
        return;
    }
    // The timer goes before the device, so that no request can find a device half gone.
    if (state.frameTimer != 0) {
        timeKillEvent(state.frameTimer);
        state.frameTimer = 0;
        TIMECAPS caps = {};
        timeGetDevCaps(&caps, sizeof caps);
        timeEndPeriod(caps.wPeriodMin);
    }
    ReleaseDisplayDevice();
}

void OnPaint(HWND window)
{
    const SaverWindowState& state = saverWindowState;
    if (displayDevice.directDraw != nullptr)
        return;
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    if (isPreview != 0) {
        const HDC memory = CreateCompatibleDC(dc);
        const HGDIOBJ previous = SelectObject(memory, state.previewBitmap);
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, 0, 0, state.clientWidth, state.clientHeight, memory, 0, 0, state.previewWidth,
                   state.previewHeight, SRCCOPY);
        SelectObject(memory, previous);
        DeleteDC(memory);
    } else {
        const char* text = displayDevice.unsupportedDepth != 0 ? depthErrorText : directDrawErrorText;
        // Where the picture's centre would be: the client area's centre on a single monitor, the primary
        // monitor's on several.
        POINT centre = {(state.destRect.left + state.destRect.right) / 2,
                        (state.destRect.top + state.destRect.bottom) / 2};
        ScreenToClient(window, &centre);
        TextOutA(dc, centre.x - errorTextOffsetX, centre.y, text, errorTextLength);
    }
    EndPaint(window, &paint);
}

// One frame: clear, lock, advance the clock, update and draw the scene, unlock, wait for the vertical blank
// and copy the picture to the screen. A failed lock still shows the cleared picture.
void DrawFrame()
{
    SaverWindowState& state = saverWindowState;
    DisplayDevice& device = displayDevice;

    // Surfaces are lost when the display is taken away (the saver window minimised by a loss of
    // activation); once it is back, they are restored so that the show goes on instead of a still screen.
    if (device.primarySurface->IsLost() == DDERR_SURFACELOST)
        device.primarySurface->Restore();
    if (device.offscreenSurface->IsLost() == DDERR_SURFACELOST)
        device.offscreenSurface->Restore();

    DDBLTFX fill = {};
    fill.dwSize = sizeof fill;
    fill.dwFillColor = ShowClearValue();
    RECT whole = {0, 0, screenGeometry.width, screenGeometry.height};
    device.offscreenSurface->Blt(&whole, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fill);

    DDSURFACEDESC locked = {};
    locked.dwSize = sizeof locked;
    if (device.offscreenSurface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr) == DD_OK) {
        DrawShowFrame(static_cast<uint8_t*>(locked.lpSurface), locked.lPitch, GetTickCount() - state.showStartTick);
        device.offscreenSurface->Unlock(nullptr);
    }
    device.directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
    NoteVerticalBlankWait(state.pacing, TimerClockMicroseconds());
    device.primarySurface->Blt(&state.destRect, device.offscreenSurface, &state.sourceRect, DDBLT_WAIT, nullptr);
    state.framePending.store(0);
}

} // namespace

void CentrePicture(int32_t clientWidth, int32_t clientHeight, RECT& source, RECT& dest)
{
    PictureRects(PlacePicture(clientWidth, clientHeight), source, dest);
}

LRESULT SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: OnCreate(window); break;
    case WM_DESTROY: OnDestroy(); break;
    case WM_PAINT: OnPaint(window); break;
    case WM_USER:
        if (displayDevice.directDraw != nullptr)
            DrawFrame();
        break;
    default: break;
    }
    return DefaultSaverProc(window, message, wParam, lParam);
}

void CALLBACK FrameTimerProc(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR)
{
    SaverWindowState& state = saverWindowState;
    if (state.framePending.load() != 0)
        return;
    // Where the vertical-blank wait does not wait, the timer rather than the wait holds the show to the
    // display's refresh.
    if (state.pacing.requestInterval != 0 && !FrameRequestDue(state.pacing, TimerClockMicroseconds()))
        return;
    // Set before posting, and only here; the frame clears it as its last step.
    state.framePending.store(1);
    PostMessageA(state.displayWindow, WM_USER, 0, 0);
}
