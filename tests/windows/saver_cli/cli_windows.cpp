// Windows for the command-line tests, and looks at the saver's windows from outside. Handles are decimal.
//
//   host N          makes the windows that the saver is pointed at: "Orvelle CLI owner" (brought to the
//                   front), "Orvelle CLI other" and N preview hosts "Orvelle CLI preview K"; prints
//                   "owner H", "other H" and "preview K H", then runs until the owner window is destroyed.
//                   A window of it that receives WM_APP brings itself to the front; WM_CLOSE destroys it.
//   front H         asks window H of the host to come to the front and waits until it is the foreground
//                   window; prints "foreground F", exits with 1 if F is not H after 5 seconds
//   dialog S        waits up to S seconds for a visible top-level window whose title starts with "Kestrune";
//                   prints "dialog H owner O owner-enabled E title HEX" (O from GetWindow GW_OWNER), or "none"
//   window T S      waits up to S seconds for a top-level window titled T; prints "window H class C", or "none"
//   child H S       waits up to S seconds for a child window in window H; prints "child C|T" (class and
//                   title), or "none"
//   close H         posts WM_CLOSE to window H
//   foreground      prints "foreground H TITLE" for the foreground window
//   iswindow N      prints "yes" when N is a window handle, otherwise "no"
//   terminate PID   ends process PID with exit code 9
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char hostClassName[] = "OrvelleCliHost";
HWND ownerWindow;

HWND Handle(const char* text)
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoul(text, nullptr, 10)));
}

unsigned long Number(HWND window)
{
    return static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window));
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP) {
        SetForegroundWindow(window);
        return 0;
    }
    if (message == WM_DESTROY && window == ownerWindow)
        PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow(const char* title, int x, int y)
{
    return CreateWindowExA(0, hostClassName, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, 240, 180, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

int Host(int previews)
{
    WNDCLASSA hostClass = {};
    hostClass.lpfnWndProc = HostProc;
    hostClass.hInstance = GetModuleHandleA(nullptr);
    hostClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    hostClass.lpszClassName = hostClassName;
    RegisterClassA(&hostClass);
    const HWND other = MakeWindow("Orvelle CLI other", 260, 10);
    for (int k = 1; k <= previews; ++k) {
        char title[64];
        std::snprintf(title, sizeof title, "Orvelle CLI preview %d", k);
        const HWND preview = MakeWindow(title, 10 + 250 * ((k - 1) % 3), 200 + 190 * ((k - 1) / 3));
        std::printf("preview %d %lu\n", k, Number(preview));
    }
    ownerWindow = MakeWindow("Orvelle CLI owner", 10, 10);
    SetForegroundWindow(ownerWindow);
    std::printf("other %lu\nowner %lu\n", Number(other), Number(ownerWindow));
    std::fflush(stdout);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

// Polls every 50 ms for up to the given number of seconds until found() is true.
template <typename Found> bool WaitFor(double seconds, Found found)
{
    for (int i = static_cast<int>(seconds * 20); i >= 0; --i) {
        if (found())
            return true;
        if (i > 0)
            Sleep(50);
    }
    return false;
}

HWND dialogFound;

BOOL CALLBACK FindDialog(HWND window, LPARAM)
{
    char title[256] = {};
    GetWindowTextA(window, title, sizeof title);
    if (IsWindowVisible(window) && std::strncmp(title, "Kestrune", 8) == 0) {
        dialogFound = window;
        return FALSE;
    }
    return TRUE;
}

int Dialog(double seconds)
{
    if (!WaitFor(seconds, [] {
            dialogFound = nullptr;
            EnumWindows(FindDialog, 0);
            return dialogFound != nullptr;
        })) {
        std::printf("none\n");
        return 1;
    }
    const HWND owner = GetWindow(dialogFound, GW_OWNER);
    char title[256] = {};
    GetWindowTextA(dialogFound, title, sizeof title);
    std::printf("dialog %lu owner %lu owner-enabled %d title ", Number(dialogFound), Number(owner),
                owner != nullptr && IsWindowEnabled(owner) ? 1 : 0);
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(title); *p != 0; ++p)
        std::printf("%02x", *p);
    std::printf("\n");
    return 0;
}

int Window(const char* title, double seconds)
{
    HWND window = nullptr;
    if (!WaitFor(seconds, [&] { return (window = FindWindowA(nullptr, title)) != nullptr; })) {
        std::printf("none\n");
        return 1;
    }
    char className[256] = {};
    GetClassNameA(window, className, sizeof className);
    std::printf("window %lu class %s\n", Number(window), className);
    return 0;
}

int Child(HWND parent, double seconds)
{
    HWND child = nullptr;
    if (!WaitFor(seconds, [&] { return (child = GetWindow(parent, GW_CHILD)) != nullptr; })) {
        std::printf("none\n");
        return 1;
    }
    char className[256] = {};
    char title[256] = {};
    GetClassNameA(child, className, sizeof className);
    GetWindowTextA(child, title, sizeof title);
    std::printf("child %s|%s\n", className, title);
    return 0;
}

int Front(HWND window)
{
    PostMessageA(window, WM_APP, 0, 0);
    const bool front = WaitFor(5, [&] { return GetForegroundWindow() == window; });
    std::printf("foreground %lu\n", Number(GetForegroundWindow()));
    return front ? 0 : 1;
}

int Terminate(DWORD id)
{
    const HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, id);
    if (process == nullptr)
        return 1;
    const BOOL ended = TerminateProcess(process, 9);
    CloseHandle(process);
    return ended ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const char* command = argc >= 2 ? argv[1] : "";
    if (argc == 3 && std::strcmp(command, "host") == 0)
        return Host(std::atoi(argv[2]));
    if (argc == 3 && std::strcmp(command, "front") == 0)
        return Front(Handle(argv[2]));
    if (argc == 3 && std::strcmp(command, "dialog") == 0)
        return Dialog(std::atof(argv[2]));
    if (argc == 4 && std::strcmp(command, "window") == 0)
        return Window(argv[2], std::atof(argv[3]));
    if (argc == 4 && std::strcmp(command, "child") == 0)
        return Child(Handle(argv[2]), std::atof(argv[3]));
    if (argc == 3 && std::strcmp(command, "close") == 0)
        return PostMessageA(Handle(argv[2]), WM_CLOSE, 0, 0) ? 0 : 1;
    if (argc == 2 && std::strcmp(command, "foreground") == 0) {
        const HWND window = GetForegroundWindow();
        char title[256] = {};
        GetWindowTextA(window, title, sizeof title);
        std::printf("foreground %lu %s\n", Number(window), title);
        return 0;
    }
    if (argc == 3 && std::strcmp(command, "iswindow") == 0) {
        std::printf("%s\n", IsWindow(Handle(argv[2])) ? "yes" : "no");
        return 0;
    }
    if (argc == 3 && std::strcmp(command, "terminate") == 0)
        return Terminate(std::strtoul(argv[2], nullptr, 10));
    std::fprintf(stderr, "usage: cli_windows host N | front H | dialog S | window TITLE S | child H S | close H |"
                         " iswindow N | terminate PID\n");
    return 2;
}
