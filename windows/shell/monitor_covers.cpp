// The covers: one black, topmost, pointerless window on each monitor besides the primary, for as long as the
// full-screen show runs, so that no other monitor shows the desktop.
#include "windows/shell/monitor_covers.h"

#include "windows/display/screen_monitors.h"
#include "windows/shell/shell_state.h"

namespace {

constexpr char coverClassName[] = "OrvelleMonitorCover";

HWND coveredShow = nullptr;
HWND covers[maxMonitors];
int32_t coverCount = 0;

LRESULT CALLBACK CoverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE; // the click still arrives, below
    case WM_SETCURSOR: SetCursor(nullptr); return TRUE;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        // The show's window measures pointer travel on the screen, so a cover's coordinates need no change.
        if (coveredShow != nullptr)
            SendMessageA(coveredShow, message, wParam, lParam);
        return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

void CoverOtherMonitors(HWND showWindow)
{
    MonitorList monitors;
    ReadScreenMonitors(monitors);
    if (monitors.count < 2)
        return;
    WNDCLASSA coverClass = {};
    coverClass.lpfnWndProc = CoverProc;
    coverClass.hInstance = moduleInstance;
    coverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    coverClass.lpszClassName = coverClassName;
    if (RegisterClassA(&coverClass) == 0)
        return;
    coveredShow = showWindow;
    for (int32_t i = 0; i < monitors.count; ++i) {
        const ScreenBox& m = monitors.boxes[i];
        if (i == monitors.primary)
            continue;
        const HWND cover = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, coverClassName, "", WS_POPUP, m.x, m.y,
                                           m.width, m.height, nullptr, nullptr, moduleInstance, nullptr);
        if (cover == nullptr)
            continue;
        covers[coverCount++] = cover;
        SetWindowPos(cover, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
}

void RemoveMonitorCovers()
{
    for (int32_t i = 0; i < coverCount; ++i)
        DestroyWindow(covers[i]);
    coverCount = 0;
    coveredShow = nullptr;
}
