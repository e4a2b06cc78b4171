// A stand-in for the saver's configure mode that reports the open about dialog to a test script.
//
// It shows the about dialog without owner and exits with its result. While the dialog is up, a watcher
// thread reports on stdout what a test script needs to drive it with real X input: the caption's bytes,
// the screen rectangles of the dialog and its controls, the point of the close box, the size of the
// picture and where its control shows it, whether the icon was loaded, and whether the dialog is the
// active and the foreground window.
//
//   about_dialog_driver [--no-template]
//
// --no-template points moduleInstance at a module without template 2003, so the dialog cannot be created.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "windows/shell/about_dialog.h"
#include "windows/shell/shell_state.h"

namespace {

DWORD dialogThread;

BOOL CALLBACK FindDialog(HWND window, LPARAM found)
{
    char className[16];
    if (IsWindowVisible(window) && GetClassNameA(window, className, sizeof className) > 0 &&
        std::strcmp(className, "#32770") == 0) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK ReportControl(HWND control, LPARAM)
{
    char className[32] = {};
    GetClassNameA(control, className, sizeof className);
    RECT rect;
    GetWindowRect(control, &rect);
    std::printf("control %d %s %ld %ld %ld %ld\n", GetDlgCtrlID(control), className, rect.left, rect.top, rect.right,
                rect.bottom);
    return TRUE;
}

// The screen point at the middle of the close box: the caption row scanned from the right for HTCLOSE.
bool FindCloseBox(HWND dialog, POINT& point)
{
    RECT window, client;
    GetWindowRect(dialog, &window);
    GetClientRect(dialog, &client);
    POINT clientOrigin = {0, 0};
    ClientToScreen(dialog, &clientOrigin);
    for (LONG y = window.top; y < clientOrigin.y; ++y) {
        LONG right = -1, left = -1;
        for (LONG x = window.right - 1; x >= window.left; --x) {
            const LRESULT hit = SendMessageA(dialog, WM_NCHITTEST, 0, MAKELPARAM(x, y));
            if (hit == HTCLOSE) {
                if (right < 0)
                    right = x;
                left = x;
            } else if (right >= 0) {
                break;
            }
        }
        if (right >= 0) {
            // Continue downwards to find the box's height, then aim at its middle.
            LONG bottom = y;
            while (bottom + 1 < clientOrigin.y &&
                   SendMessageA(dialog, WM_NCHITTEST, 0, MAKELPARAM((left + right) / 2, bottom + 1)) == HTCLOSE)
                ++bottom;
            point = {(left + right) / 2, (y + bottom) / 2};
            return true;
        }
    }
    return false;
}

DWORD WINAPI Watch(LPVOID)
{
    HWND dialog = nullptr;
    for (int tries = 0; tries < 3000 && dialog == nullptr; ++tries) {
        EnumThreadWindows(dialogThread, FindDialog, reinterpret_cast<LPARAM>(&dialog));
        if (dialog == nullptr)
            Sleep(10);
    }
    if (dialog == nullptr) {
        std::printf("no dialog\n");
        std::fflush(stdout);
        return 0;
    }
    char caption[256] = {};
    const int length = GetWindowTextA(dialog, caption, sizeof caption);
    std::printf("caption");
    for (int i = 0; i < length; ++i)
        std::printf(" %02x", static_cast<unsigned char>(caption[i]));
    std::printf("\n");

    // The connect button's text as the window holds it, in UTF-16 units: the same on every code page.
    WCHAR connect[16] = {};
    const int units = GetWindowTextW(GetDlgItem(dialog, 1003), connect, 16);
    std::printf("connect");
    for (int i = 0; i < units; ++i)
        std::printf(" %04x", static_cast<unsigned>(connect[i]));
    std::printf("\n");

    RECT rect;
    GetWindowRect(dialog, &rect);
    std::printf("dialog %ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
    EnumChildWindows(dialog, ReportControl, 0);

    // The picture and the icon controls are the two statics with SS_BITMAP and SS_ICON.
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        const LONG type = GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK;
        if (type == SS_BITMAP) {
            BITMAP bitmap = {};
            const HGDIOBJ image = reinterpret_cast<HGDIOBJ>(SendMessageA(child, STM_GETIMAGE, IMAGE_BITMAP, 0));
            POINT origin = {0, 0};
            ClientToScreen(child, &origin);
            RECT client;
            GetClientRect(child, &client);
            if (image != nullptr && GetObjectA(image, sizeof bitmap, &bitmap) == sizeof bitmap)
                std::printf("picture %ld %ld shown %ld %ld %ld %ld\n", bitmap.bmWidth, bitmap.bmHeight, origin.x,
                            origin.y, client.right, client.bottom);
            else
                std::printf("picture none\n");
        } else if (type == SS_ICON) {
            const HICON icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
            std::printf("icon %s\n", icon != nullptr ? "loaded" : "none");
        }
    }

    POINT closeBox;
    if (FindCloseBox(dialog, closeBox))
        std::printf("close %ld %ld\n", closeBox.x, closeBox.y);
    else
        std::printf("close none\n");
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    GetGUIThreadInfo(dialogThread, &thread);
    std::printf("active %s foreground %s\n", thread.hwndActive == dialog ? "yes" : "no",
                GetForegroundWindow() == dialog ? "yes" : "no");
    std::printf("ready\n");
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    moduleInstance = GetModuleHandleA(nullptr);
    if (argc > 1 && std::strcmp(argv[1], "--no-template") == 0)
        moduleInstance = GetModuleHandleA("kernel32.dll");
    dialogThread = GetCurrentThreadId();
    const HANDLE watcher = CreateThread(nullptr, 0, Watch, nullptr, 0, nullptr);
    const int32_t result = ShowAboutDialog(nullptr);
    std::printf("result %ld\n", static_cast<long>(result));
    std::fflush(stdout);
    if (watcher != nullptr)
        CloseHandle(watcher);
    return result;
}
