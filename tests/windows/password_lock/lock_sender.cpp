// Reaches the running full-screen saver from another program, the ways that no keyboard or mouse can: each
// argument is one action, done in order, and prints one line "ACTION tick=T result=R" (T = GetTickCount when
// the action ended, so a test can tell whether it fell inside a verification).
//   close            SendMessage WM_CLOSE
//   post-close       PostMessage WM_CLOSE
//   sc-close         SendMessage WM_SYSCOMMAND SC_CLOSE
//   deactivate       SendMessage WM_ACTIVATEAPP 0 (the application loses activation)
//   power-resume     SendMessage WM_POWER PWR_CRITICALRESUME
//   broadcast=N      SendMessage WM_POWERBROADCAST with wParam N
//   autoplay         SendMessage of the registered "QueryCancelAutoPlay" message
//   foreground=MS    shows a window of this program in the foreground for MS milliseconds, then destroys it
//   burst            the Send/Post actions above but "deactivate", quickly one after the other
//   all              "burst", then "deactivate"
//   iconic           result 1 when the saver's window is minimized, else 0
//   running          prints SPI_GETSCREENSAVERRUNNING (0 or 1); needs no saver window
//   set-running=F    SPI_SETSCREENSAVERRUNNING F (0 or 1); needs no saver window
// Exits with 1 when an action needs the saver window and there is none, or a message timed out.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr UINT sendTimeoutMs = 20000;

HWND FindSaver()
{
    return FindWindowA("WindowsScreenSaverClass", "Screen Saver");
}

void Report(const char* action, long result)
{
    std::printf("%s tick=%lu result=%ld\n", action, static_cast<unsigned long>(GetTickCount()), result);
    std::fflush(stdout);
}

// Sends and reports the result; false when the window did not answer in time.
bool Send(const char* action, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, sendTimeoutMs, &result) == 0) {
        std::printf("%s tick=%lu timeout\n", action, static_cast<unsigned long>(GetTickCount()));
        std::fflush(stdout);
        return false;
    }
    Report(action, static_cast<long>(result));
    return true;
}

// A window of this program takes the foreground for a while, as another application popping up would.
void TakeForeground(DWORD milliseconds)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "OrvelleLockSenderPopup";
    RegisterClassA(&windowClass);
    const HWND popup =
        CreateWindowExA(WS_EX_TOPMOST, windowClass.lpszClassName, "Lock sender", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50,
                        50, 200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
    SetForegroundWindow(popup);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(10);
    }
    Report("foreground", GetForegroundWindow() == popup ? 1 : 0);
    DestroyWindow(popup);
}

// One action; false when it failed.
bool Act(const char* action)
{
    const char* equals = std::strchr(action, '=');
    const unsigned long value = equals != nullptr ? std::strtoul(equals + 1, nullptr, 10) : 0;
    if (std::strcmp(action, "running") == 0) {
        BOOL running = FALSE;
        SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
        Report(action, running ? 1 : 0);
        return true;
    }
    if (std::strncmp(action, "set-running=", 12) == 0) {
        UINT previous = 0;
        Report(action, SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, value, &previous, 0));
        return true;
    }
    const HWND saver = FindSaver();
    if (saver == nullptr) {
        std::printf("%s no saver window\n", action);
        std::fflush(stdout);
        return false;
    }
    if (std::strcmp(action, "iconic") == 0) {
        Report(action, IsIconic(saver) ? 1 : 0);
        return true;
    }
    if (std::strcmp(action, "close") == 0)
        return Send(action, saver, WM_CLOSE, 0, 0);
    if (std::strcmp(action, "post-close") == 0) {
        Report(action, PostMessageA(saver, WM_CLOSE, 0, 0));
        return true;
    }
    if (std::strcmp(action, "sc-close") == 0)
        return Send(action, saver, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (std::strcmp(action, "deactivate") == 0)
        return Send(action, saver, WM_ACTIVATEAPP, FALSE, static_cast<LPARAM>(GetCurrentThreadId()));
    if (std::strcmp(action, "power-resume") == 0)
        return Send(action, saver, WM_POWER, PWR_CRITICALRESUME, 0);
    if (std::strncmp(action, "broadcast=", 10) == 0)
        return Send(action, saver, WM_POWERBROADCAST, value, 0);
    if (std::strcmp(action, "autoplay") == 0)
        return Send(action, saver, RegisterWindowMessageA("QueryCancelAutoPlay"), 0, 0);
    if (std::strncmp(action, "foreground=", 11) == 0) {
        TakeForeground(value);
        return true;
    }
    if (std::strcmp(action, "burst") == 0 || std::strcmp(action, "all") == 0) {
        const char* const burst[] = {"close",    "post-close", "sc-close",    "power-resume", "broadcast=4",
                                     "autoplay", "post-close", "broadcast=7", "close"};
        bool ok = true;
        for (const char* each : burst)
            ok = Act(each) && ok;
        return std::strcmp(action, "all") == 0 ? Act("deactivate") && ok : ok;
    }
    std::fprintf(stderr, "lock_sender: unknown action %s\n", action);
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: lock_sender ACTION...\n");
        return 2;
    }
    bool ok = true;
    for (int index = 1; index < argc; ++index)
        ok = Act(argv[index]) && ok;
    return ok ? 0 : 1;
}
