// The saver window procedure: display set-up and release, the frame pump, the preview and the error texts.
#include "windows/display/saver_window_proc.h"

#include "host_rules/picture_placement.h"
#include "show/screen_geometry.h"
#include "show/show_host.h"
#include "windows/display/screen_monitors.h"
#include "windows/win32/japanese_text.h"

WindowsHost windowsHost;
int32_t isPreview = 0;

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

void PictureRects(const PicturePlacement& place, RECT& source, RECT& dest)
{
    source = {place.x.source, place.y.source, place.x.source + place.x.length, place.y.source + place.y.length};
    dest = {place.x.dest, place.y.dest, place.x.dest + place.x.length, place.y.dest + place.y.length};
}

// The multimedia timer's clock in microseconds, wrapping modulo 2^32 like the milliseconds it counts. Without
// winmm.dll a frame can still be asked for (anyone may post WM_USER): the system's tick then stands in.
uint32_t TimerClockMicroseconds()
{
    const MultimediaTimer& timer = windowsHost.timer;
    return (timer.getTime != nullptr ? timer.getTime() : GetTickCount()) * 1000u;
}

// The client size and where the picture goes. The primary surface is the primary monitor, whose corner is
// the screen's origin: the picture is centred on it, wherever the window reaches over the other monitors.
void PlacePictureInWindow(WindowsHost& host, HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    host.clientWidth = client.right - client.left;
    host.clientHeight = client.bottom - client.top;
    host.displayWindow = window;
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    MonitorList monitors = {};
    if (isPreview == 0)
        ReadScreenMonitors(monitors);
    const MonitorPlacement place = PlaceOnPrimary({origin.x, origin.y, host.clientWidth, host.clientHeight},
                                                  monitors.boxes, monitors.count, monitors.primary);
    PictureRects(place.picture, host.sourceRect, host.destRect);
    // The primary surface counts from the screen's corner, the client area from the window's.
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&host.destRect), 2);
}

// The primary surface's own size, where the device gives it, is the primary monitor's in the display's
// pixels whatever scale the system applies to the monitors' rectangles: the picture is centred on it.
void CentreOnPrimarySurface(WindowsHost& host)
{
    DDSURFACEDESC primary = {};
    primary.dwSize = sizeof primary;
    if (host.device.primarySurface->GetSurfaceDesc(&primary) != DD_OK ||
        (primary.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT) || primary.dwWidth == 0 ||
        primary.dwHeight == 0)
        return;
    PictureRects(PlacePicture(static_cast<int32_t>(primary.dwWidth), static_cast<int32_t>(primary.dwHeight)),
                 host.sourceRect, host.destRect);
}

void LoadPreviewPicture(WindowsHost& host, HWND window)
{
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    host.previewBitmap = LoadBitmapA(instance, MAKEINTRESOURCEA(previewBitmapId));
    BITMAP bitmap = {};
    if (host.previewBitmap != nullptr && GetObjectA(host.previewBitmap, sizeof bitmap, &bitmap) != 0) {
        host.previewWidth = bitmap.bmWidth;
        host.previewHeight = bitmap.bmHeight;
    }
    InvalidateRect(window, nullptr, FALSE);
}

// The display, then the frame clock and the scene, then the timer that requests the frames.
void StartShowOnDisplay(WindowsHost& host, HWND window)
{
    PixelFormat format;
    if (!SetupDisplayDevice(host.device, window, format))
        return;
    CentreOnPrimarySurface(host);
    // The frame clock starts at the end of the set-up, then the show takes the display's format.
    StartShow(format, GetTickCount());
    // The rate the vertical-blank wait is held to; a failed call reports none.
    DWORD refreshRate = 0;
    if (host.device.directDraw->GetMonitorFrequency(&refreshRate) != DD_OK)
        refreshRate = 0;
    StartFramePacing(host.pacing, refreshRate);
    // Without winmm.dll no frame is ever requested, as when the timer cannot be set.
    if (!LoadMultimediaTimer(host.timer))
        return;
    // The finest period the system offers, so that a new request follows the end of a frame at once.
    TIMECAPS caps = {};
    host.timer.getDevCaps(&caps, sizeof caps);
    host.timer.beginPeriod(caps.wPeriodMin);
    host.frameTimer = host.timer.setEvent(caps.wPeriodMin, caps.wPeriodMin, FrameTimerProc, 0, TIME_PERIODIC);
}

void OnDestroy(WindowsHost& host)
{
    if (isPreview != 0) {
        DeleteObject(host.previewBitmap);
        host.previewBitmap = nullptr;
        return;
    }
    // The timer goes before the device, so that no request can find a device half gone.
    if (host.frameTimer != 0) {
        host.timer.killEvent(host.frameTimer);
        host.frameTimer = 0;
        TIMECAPS caps = {};
        host.timer.getDevCaps(&caps, sizeof caps);
        host.timer.endPeriod(caps.wPeriodMin);
    }
    ReleaseDisplayDevice(host.device);
}

void PaintPreview(const WindowsHost& host, HDC dc)
{
    const HDC memory = CreateCompatibleDC(dc);
    const HGDIOBJ previous = SelectObject(memory, host.previewBitmap);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, host.clientWidth, host.clientHeight, memory, 0, 0, host.previewWidth, host.previewHeight,
               SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

// Where the picture's centre would be: the client area's centre on a single monitor, the primary monitor's
// on several.
void PaintErrorText(const WindowsHost& host, HWND window, HDC dc)
{
    const char* text = host.device.unsupportedDepth != 0 ? depthErrorText : directDrawErrorText;
    POINT centre = {(host.destRect.left + host.destRect.right) / 2, (host.destRect.top + host.destRect.bottom) / 2};
    ScreenToClient(window, &centre);
    TextOutJapanese(dc, centre.x - errorTextOffsetX, centre.y, text, errorTextLength);
}

void OnPaint(const WindowsHost& host, HWND window)
{
    if (host.device.directDraw != nullptr)
        return;
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    if (isPreview != 0)
        PaintPreview(host, dc);
    else
        PaintErrorText(host, window, dc);
    EndPaint(window, &paint);
}

// One frame: clear, lock, advance the clock, update and draw the scene, unlock, wait for the vertical blank
// and copy the picture to the screen. A failed lock still shows the cleared picture.
void PumpFrame(WindowsHost& host)
{
    DisplayDevice& device = host.device;
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
        DrawShowFrame(static_cast<uint8_t*>(locked.lpSurface), locked.lPitch, ShowElapsedMs(GetTickCount()));
        device.offscreenSurface->Unlock(nullptr);
    }
    device.directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
    NoteVerticalBlankWait(host.pacing, TimerClockMicroseconds());
    device.primarySurface->Blt(&host.destRect, device.offscreenSurface, &host.sourceRect, DDBLT_WAIT, nullptr);
    host.framePending.store(0);
}

void OnCreate(WindowsHost& host, HWND window)
{
    PlacePictureInWindow(host, window);
    if (isPreview != 0)
        LoadPreviewPicture(host, window);
    else
        StartShowOnDisplay(host, window);
}

} // namespace

void SaverWindowProc(HWND window, UINT message)
{
    WindowsHost& host = windowsHost;
    switch (message) {
    case WM_CREATE: OnCreate(host, window); break;
    case WM_DESTROY: OnDestroy(host); break;
    case WM_PAINT: OnPaint(host, window); break;
    case WM_USER:
        if (host.device.directDraw != nullptr)
            PumpFrame(host);
        break;
    default: break;
    }
}

void CALLBACK FrameTimerProc(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR)
{
    WindowsHost& host = windowsHost;
    if (host.framePending.load() != 0)
        return;
    // Where the vertical-blank wait does not wait, the timer rather than the wait holds the show to the
    // display's refresh.
    if (host.pacing.paced && !FrameRequestDue(host.pacing, TimerClockMicroseconds()))
        return;
    // Set before posting, and only here; the frame clears it as its last step.
    host.framePending.store(1);
    PostMessageA(host.displayWindow, WM_USER, 0, 0);
}
