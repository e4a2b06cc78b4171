// The saver window: class, full-screen and preview windows, the message loop, and the outer and default
// window procedures that hide the cursor and turn user activity into a close, verified where the system
// keeps a password.
#include "shell/saver_window.h"

#include "display/saver_window_proc.h"
#include "host_rules/pointer_travel.h"
#include "shell/monitor_covers.h"
#include "shell/procedure_as.h"
#include "shell/shell_state.h"
#include "shell/system_password.h"

namespace {

using ImmAssociateContextFunction = HIMC(WINAPI*)(HWND, HIMC);

HWND saverWindow = nullptr;
int32_t closeApproved = 0;         // once non-zero, input no longer reaches the show
int32_t inVerification = 0;        // 1 while the system's password dialog is up
UINT autoPlayMessage = 0;          // "QueryCancelAutoPlay" on Windows 95/98/Me, else 0
POINT lastCursor = {0, 0};         // where mouse travel is measured from (mouseThreshold)
DWORD lastVerifyTick = 0xFFFFFFFF; // end of the last verification attempt; none yet
HMODULE imeModule = nullptr;
ImmAssociateContextFunction associateContext = nullptr;
HIMC savedInputContext = nullptr;

// Asks the window's own procedures to run the system's verifier: the answer is non-zero when the
// password was right.
constexpr UINT SaverVerifyMessage = WM_APP;
// Puts a minimised full-screen window back, posted so that it runs after the minimise has finished.
constexpr UINT SaverRestoreMessage = WM_APP + 1;
// Closes within this many milliseconds of a failed attempt are refused without asking again.
constexpr DWORD verifyPause = 200;

constexpr char saverClassName[] = "WindowsScreenSaverClass";
constexpr char fullScreenTitle[] = "Screen Saver";
constexpr char previewTitle[] = "Preview";
constexpr char autoPlayMessageName[] = "QueryCancelAutoPlay";
constexpr int classIconId = 100; // the resources hold no such icon: the class gets none

void PostClose(HWND window)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
}

// The show's window proc, then the default handling; what "pass on" means below.
LRESULT PassOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SaverWindowProc(window, message, wParam, lParam);
}

// User activity of the full-screen show, while no verification runs. Returns true with a result when
// the message is answered here.
bool HandleActivity(HWND window, UINT message, WPARAM wParam, LRESULT& result)
{
    switch (message) {
    case WM_SHOWWINDOW:
        if (wParam != 0)
            SetCursor(nullptr);
        return false;
    case WM_ACTIVATEAPP:
        if (wParam == 0)
            PostClose(window);
        return false;
    case WM_SETCURSOR:
        SetCursor(nullptr);
        result = 1;
        return true;
    case WM_POWER:
        if (wParam == PWR_CRITICALRESUME)
            PostClose(window);
        return false;
    case WM_POWERBROADCAST:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: PostClose(window); return false;
    case WM_MOUSEMOVE: {
        // Measured on the screen, from the last recorded point: small moves add up.
        POINT cursor;
        GetCursorPos(&cursor);
        if (IsPastMouseThreshold(lastCursor.x, lastCursor.y, cursor.x, cursor.y)) {
            PostClose(window);
            lastCursor = cursor;
        }
        return false;
    }
    default: return false;
    }
}

} // namespace

int32_t RunSaverWindow(HWND parent)
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    windowClass.lpfnWndProc = OuterSaverProc;
    windowClass.hInstance = moduleInstance;
    windowClass.hIcon = LoadIconA(moduleInstance, MAKEINTRESOURCEA(classIconId));
    windowClass.hCursor = nullptr; // the cursor is hidden with SetCursor(NULL) instead
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = saverClassName;

    RECT area;
    DWORD style, extendedStyle;
    const char* title;
    if (parent != nullptr) {
        GetClientRect(parent, &area);
        area.left = 0;
        area.top = 0;
        style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
        extendedStyle = 0;
        title = previewTitle;
        isPreview = 1;
    } else {
        const HDC screen = GetDC(nullptr);
        GetClipBox(screen, &area);
        ReleaseDC(nullptr, screen);
        style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        extendedStyle = WS_EX_TOPMOST;
        title = fullScreenTitle;
        // A second full-screen run only brings the first to the front.
        const HWND running = FindWindowA(saverClassName, fullScreenTitle);
        if (running != nullptr && IsWindow(running)) {
            SetForegroundWindow(running);
            return 0;
        }
        LoadPasswordSettings();
    }
    autoPlayMessage = isWin9x != 0 ? RegisterWindowMessageA(autoPlayMessageName) : 0;

    // A run whose window cannot be made ends with -1, like the other failures of the saver.
    WPARAM exitCode = static_cast<WPARAM>(-1);
    if (RegisterClassA(&windowClass) != 0) {
        saverWindow =
            CreateWindowExA(extendedStyle, saverClassName, title, style, area.left, area.top, area.right - area.left,
                            area.bottom - area.top, parent, nullptr, moduleInstance, nullptr);
    }
    if (saverWindow != nullptr) {
        if (parent == nullptr) {
            CoverOtherMonitors(saverWindow);
            SetForegroundWindow(saverWindow);
        }
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) != 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        exitCode = message.wParam;
    }
    RemoveMonitorCovers();
    UnloadPasswordLibrary();
    return static_cast<int32_t>(exitCode);
}

LRESULT CALLBACK OuterSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        // The input method is detached from the window, using IMM32 only if it is already loaded.
        imeModule = GetModuleHandleA("IMM32.DLL");
        if (imeModule != nullptr) {
            associateContext =
                ProcedureAs<ImmAssociateContextFunction>(GetProcAddress(imeModule, "ImmAssociateContext"));
            if (associateContext != nullptr)
                savedInputContext = associateContext(window, nullptr);
        }
        GetCursorPos(&lastCursor);
        if (isPreview == 0)
            SetCursor(nullptr);
        return PassOn(window, message, wParam, lParam);
    case WM_DESTROY:
        if (imeModule != nullptr && associateContext != nullptr && savedInputContext != nullptr)
            associateContext(window, savedInputContext);
        // The quit message is posted first; the show then releases its timer and device.
        PostQuitMessage(0);
        return PassOn(window, message, wParam, lParam);
    case WM_SETTEXT: return 0; // the title never changes
    case WM_PAINT:
        if (closeApproved != 0)
            return DefWindowProcA(window, message, wParam, lParam);
        if (isPreview == 0)
            SetCursor(nullptr);
        return PassOn(window, message, wParam, lParam);
    case WM_HELP:
    case WM_CONTEXTMENU:
        if (isPreview != 0) {
            const HWND parent = GetParent(window);
            if (parent != nullptr && IsWindow(parent))
                PostMessageA(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
            return 1;
        }
        return PassOn(window, message, wParam, lParam);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (closeApproved != 0)
            return DefWindowProcA(window, message, wParam, lParam);
        return PassOn(window, message, wParam, lParam);
    case WM_SYSCOMMAND:
        // The system must not start another saver or switch windows away from this one.
        if (isPreview == 0 && (wParam == SC_NEXTWINDOW || wParam == SC_PREVWINDOW || wParam == SC_SCREENSAVE))
            return 0;
        return PassOn(window, message, wParam, lParam);
    case WM_TIMER:
        if (closeApproved != 0)
            return 0;
        Sleep(0);
        return PassOn(window, message, wParam, lParam);
    default: return PassOn(window, message, wParam, lParam);
    }
}

LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (isPreview == 0 && closeApproved == 0) {
        // Losing activation lets the display minimise the exclusive full-screen window. A refused close
        // must not leave the desktop open behind a running show, so the window comes back at once; while
        // the system's password dialog is up it comes back without taking the focus from that dialog.
        if (message == WM_SIZE && wParam == SIZE_MINIMIZED) {
            PostMessageA(window, SaverRestoreMessage, 0, 0);
        } else if (message == SaverRestoreMessage) {
            if (inVerification != 0) {
                ShowWindow(window, SW_SHOWNOACTIVATE);
            } else {
                ShowWindow(window, SW_RESTORE);
                SetForegroundWindow(window);
                SetFocus(window);
            }
            return 0;
        }
        if (message == WM_CLOSE) {
            if (isWin9x != 0 && TryVerifyPassword(window) == 0) {
                // Refused: measure mouse travel from here, so the same position does not close at once.
                GetCursorPos(&lastCursor);
                return 0;
            }
        } else if (message == SaverVerifyMessage) {
            if (isWin9x != 0)
                return verifyPassword != nullptr ? verifyPassword(window) : 1;
        } else if (inVerification == 0) {
            LRESULT result;
            if (HandleActivity(window, message, wParam, result))
                return result;
        }
    }
    if (autoPlayMessage != 0 && message == autoPlayMessage) {
        // AutoPlay is cancelled while a password guards the show.
        PostClose(window);
        return verifyPassword != nullptr ? 1 : 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int32_t TryVerifyPassword(HWND window)
{
    if (inVerification != 0 || closeApproved != 0)
        return 0;
    if (verifyPassword == nullptr) {
        closeApproved = 1;
        return 1;
    }
    if (lastVerifyTick != 0xFFFFFFFF && GetTickCount() - lastVerifyTick < verifyPause)
        return 0;
    inVerification = 1;
    MSG pending;
    PeekMessageA(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    PeekMessageA(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    closeApproved = static_cast<int32_t>(SendMessageA(window, SaverVerifyMessage, 0, 0));
    inVerification = 0;
    if (closeApproved == 0)
        SetCursor(nullptr);
    lastVerifyTick = GetTickCount();
    return closeApproved;
}
