// The saver window: class, full-screen and preview windows, the message loop, and the outer and default
// window procedures that hide the cursor and turn user activity into a close, verified where the system
// keeps a password.
#include "windows/shell/saver_window.h"

#include "host_rules/show_ending.h"
#include "windows/display/saver_window_proc.h"
#include "windows/shell/monitor_covers.h"
#include "windows/shell/shell_state.h"
#include "windows/shell/system_password.h"
#include "windows/win32/procedure_as.h"

namespace {

using ImmAssociateContextFunction = HIMC(WINAPI*)(HWND, HIMC);

// The saver window's state on the shell's side, one record for the process's one window. The window itself
// is a local of RunSaverWindow; the display keeps its own handle to it (WindowsHost::displayWindow).
struct SaverWindowState {
    int32_t closeApproved;       // once non-zero, input no longer reaches the show
    int32_t inVerification;      // 1 while the system's password dialog is up
    UINT autoPlayMessage;        // "QueryCancelAutoPlay" on Windows 95/98/Me, else 0
    PointerOrigin pointerOrigin; // where pointer travel is measured from
    DWORD lastVerifyTick;        // end of the last verification attempt; 0xFFFFFFFF: none yet
    HMODULE imeModule;           // IMM32.DLL where the process had it loaded
    ImmAssociateContextFunction associateContext;
    HIMC savedInputContext; // the input context taken from the window, given back at its end
};
SaverWindowState saverState = {0, 0, 0, {0, 0}, 0xFFFFFFFF, nullptr, nullptr, nullptr};

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

// The outer procedure of the saver window's class; the default handling every message gets after the show's;
// and the close's check of the password (non-zero when the close may go ahead).
LRESULT CALLBACK OuterSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int32_t TryVerifyPassword(HWND window);

void PostClose(HWND window)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
}

// The show's handling, then the default handling, whose answer is the message's; what "pass on" means below.
LRESULT PassOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    SaverWindowProc(window, message);
    return DefaultSaverProc(window, message, wParam, lParam);
}

// Pointer travel is measured from where the cursor is now.
void MeasureFromCursor()
{
    POINT cursor = {saverState.pointerOrigin.x, saverState.pointerOrigin.y};
    GetCursorPos(&cursor);
    saverState.pointerOrigin = {cursor.x, cursor.y};
}

// The user activity that message reports, as the show's event; false for a message that reports none. The
// pointer is measured on the screen, not in lParam's client coordinates.
bool ActivityEvent(UINT message, WPARAM wParam, ShowEvent& event)
{
    switch (message) {
    case WM_ACTIVATEAPP:
        event = {wParam == 0 ? ShowEventKind::activationLost : ShowEventKind::activationGained};
        return true;
    case WM_POWER:
        event = {wParam == PWR_CRITICALRESUME ? ShowEventKind::criticalResume : ShowEventKind::powerNotice};
        return true;
    case WM_POWERBROADCAST: event = {ShowEventKind::powerBroadcast}; return true;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: event = {ShowEventKind::keyPressed}; return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: event = {ShowEventKind::buttonPressed}; return true;
    case WM_MOUSEMOVE: {
        POINT cursor = {saverState.pointerOrigin.x, saverState.pointerOrigin.y};
        GetCursorPos(&cursor);
        event = {ShowEventKind::pointerMoved, cursor.x, cursor.y};
        return true;
    }
    default: return false;
    }
}

// User activity of the full-screen show, while no verification runs: the cursor kept hidden, and a close
// posted for what ends the show. Returns true with a result when the message is answered here.
bool HandleActivity(HWND window, UINT message, WPARAM wParam, LRESULT& result)
{
    if (message == WM_SHOWWINDOW && wParam != 0)
        SetCursor(nullptr);
    if (message == WM_SETCURSOR) {
        SetCursor(nullptr);
        result = 1;
        return true;
    }
    ShowEvent event = {ShowEventKind::none};
    if (ActivityEvent(message, wParam, event) && EndsShow(saverState.pointerOrigin, event))
        PostClose(window);
    return false;
}

// What differs between the full-screen window and the preview child.
struct WindowShape {
    RECT area;
    DWORD style;
    DWORD extendedStyle;
    const char* title;
};

WindowShape PreviewShape(HWND parent)
{
    WindowShape shape = {{}, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, previewTitle};
    GetClientRect(parent, &shape.area);
    shape.area.left = 0;
    shape.area.top = 0;
    return shape;
}

WindowShape FullScreenShape()
{
    WindowShape shape = {{}, WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_TOPMOST, fullScreenTitle};
    const HDC screen = GetDC(nullptr);
    GetClipBox(screen, &shape.area);
    ReleaseDC(nullptr, screen);
    return shape;
}

// A second full-screen run only brings the first to the front: true when there is a first.
bool BringRunningSaverToFront()
{
    const HWND running = FindWindowA(saverClassName, fullScreenTitle);
    if (running == nullptr || !IsWindow(running))
        return false;
    SetForegroundWindow(running);
    return true;
}

ATOM RegisterSaverClass()
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    windowClass.lpfnWndProc = OuterSaverProc;
    windowClass.hInstance = moduleInstance;
    windowClass.hIcon = LoadIconA(moduleInstance, MAKEINTRESOURCEA(classIconId));
    windowClass.hCursor = nullptr; // the cursor is hidden with SetCursor(NULL) instead
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = saverClassName;
    return RegisterClassA(&windowClass);
}

// Runs the message loop until the quit message; returns its wParam.
WPARAM RunMessageLoop()
{
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) != 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return message.wParam;
}

// The input method is detached from the window, using IMM32 only if it is already loaded.
void DetachInputMethod(HWND window)
{
    saverState.imeModule = GetModuleHandleA("IMM32.DLL");
    if (saverState.imeModule == nullptr)
        return;
    saverState.associateContext =
        ProcedureAs<ImmAssociateContextFunction>(GetProcAddress(saverState.imeModule, "ImmAssociateContext"));
    if (saverState.associateContext != nullptr)
        saverState.savedInputContext = saverState.associateContext(window, nullptr);
}

// In preview, help and the context menu are the host window's: forwarded to it, and answered here.
LRESULT ForwardToPreviewHost(HWND window, UINT message, LPARAM lParam)
{
    const HWND parent = GetParent(window);
    if (parent != nullptr && IsWindow(parent))
        PostMessageA(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
    return 1;
}

// The system must not start another saver or switch windows away from the full-screen one.
bool IsSwallowedSystemCommand(WPARAM command)
{
    return isPreview == 0 && (command == SC_NEXTWINDOW || command == SC_PREVWINDOW || command == SC_SCREENSAVE);
}

// Losing activation lets the display minimise the exclusive full-screen window. A refused close must not
// leave the desktop open behind a running show, so the window comes back at once; while the system's
// password dialog is up it comes back without taking the focus from that dialog. True when message was the
// restoration.
bool RestoreMinimised(HWND window, UINT message, WPARAM wParam)
{
    if (message == WM_SIZE && wParam == SIZE_MINIMIZED)
        PostMessageA(window, SaverRestoreMessage, 0, 0);
    if (message != SaverRestoreMessage)
        return false;
    if (saverState.inVerification != 0) {
        ShowWindow(window, SW_SHOWNOACTIVATE);
        return true;
    }
    ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
    SetFocus(window);
    return true;
}

// The full-screen show's messages while no close is approved: the close verified on Windows 95/98/Me, the
// verification itself, and user activity while no verification runs. Returns true with a result when the
// message is answered here.
bool HandleFullScreen(HWND window, UINT message, WPARAM wParam, LRESULT& result)
{
    if (RestoreMinimised(window, message, wParam))
        return true;
    if (message == WM_CLOSE) {
        if (isWin9x == 0 || TryVerifyPassword(window) != 0)
            return false;
        // Refused: measure pointer travel from here, so the same position does not close at once.
        MeasureFromCursor();
        return true;
    }
    if (message == SaverVerifyMessage) {
        if (isWin9x == 0)
            return false;
        result = verifyPassword != nullptr ? verifyPassword(window) : 1;
        return true;
    }
    return saverState.inVerification == 0 && HandleActivity(window, message, wParam, result);
}

LRESULT CALLBACK OuterSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool inputStopped = saverState.closeApproved != 0;
    switch (message) {
    case WM_CREATE:
        DetachInputMethod(window);
        MeasureFromCursor();
        if (isPreview == 0)
            SetCursor(nullptr);
        break;
    case WM_DESTROY:
        if (saverState.imeModule != nullptr && saverState.associateContext != nullptr &&
            saverState.savedInputContext != nullptr)
            saverState.associateContext(window, saverState.savedInputContext);
        // The quit message is posted first; the show then releases its timer and device.
        PostQuitMessage(0);
        break;
    case WM_SETTEXT: return 0; // the title never changes
    case WM_PAINT:
        if (inputStopped)
            return DefWindowProcA(window, message, wParam, lParam);
        if (isPreview == 0)
            SetCursor(nullptr);
        break;
    case WM_HELP:
    case WM_CONTEXTMENU:
        if (isPreview != 0)
            return ForwardToPreviewHost(window, message, lParam);
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        return inputStopped ? DefWindowProcA(window, message, wParam, lParam) : PassOn(window, message, wParam, lParam);
    case WM_SYSCOMMAND: return IsSwallowedSystemCommand(wParam) ? 0 : PassOn(window, message, wParam, lParam);
    case WM_TIMER:
        if (inputStopped)
            return 0;
        Sleep(0);
        break;
    default: break;
    }
    return PassOn(window, message, wParam, lParam);
}

LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (isPreview == 0 && saverState.closeApproved == 0 && HandleFullScreen(window, message, wParam, result))
        return result;
    if (saverState.autoPlayMessage != 0 && message == saverState.autoPlayMessage) {
        // AutoPlay is cancelled while a password guards the show.
        PostClose(window);
        return verifyPassword != nullptr ? 1 : 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int32_t TryVerifyPassword(HWND window)
{
    if (saverState.inVerification != 0 || saverState.closeApproved != 0)
        return 0;
    if (verifyPassword == nullptr) {
        saverState.closeApproved = 1;
        return 1;
    }
    if (saverState.lastVerifyTick != 0xFFFFFFFF && GetTickCount() - saverState.lastVerifyTick < verifyPause)
        return 0;
    saverState.inVerification = 1;
    MSG pending;
    PeekMessageA(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    PeekMessageA(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    saverState.closeApproved = static_cast<int32_t>(SendMessageA(window, SaverVerifyMessage, 0, 0));
    saverState.inVerification = 0;
    if (saverState.closeApproved == 0)
        SetCursor(nullptr);
    saverState.lastVerifyTick = GetTickCount();
    return saverState.closeApproved;
}

} // namespace

int32_t RunSaverWindow(HWND parent)
{
    const bool preview = parent != nullptr;
    const WindowShape shape = preview ? PreviewShape(parent) : FullScreenShape();
    if (preview) {
        isPreview = 1;
    } else {
        if (BringRunningSaverToFront())
            return 0;
        LoadPasswordSettings();
    }
    saverState.autoPlayMessage = isWin9x != 0 ? RegisterWindowMessageA(autoPlayMessageName) : 0;

    // A run whose window cannot be made ends with -1, like the other failures of the saver.
    WPARAM exitCode = static_cast<WPARAM>(-1);
    HWND window = nullptr;
    if (RegisterSaverClass() != 0) {
        const RECT& area = shape.area;
        window =
            CreateWindowExA(shape.extendedStyle, saverClassName, shape.title, shape.style, area.left, area.top,
                            area.right - area.left, area.bottom - area.top, parent, nullptr, moduleInstance, nullptr);
    }
    if (window != nullptr) {
        if (!preview) {
            CoverOtherMonitors(window);
            SetForegroundWindow(window);
        }
        exitCode = RunMessageLoop();
    }
    RemoveMonitorCovers();
    UnloadPasswordLibrary();
    return static_cast<int32_t>(exitCode);
}
