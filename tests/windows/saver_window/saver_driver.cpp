// Starts the saver window the way the command line will: "s" full screen, "p HWND" preview in a given
// window, "host W H" preview in a parent window of W x H that this program makes and closes again when
// it receives WM_CLOSE. Exits with the run's result.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "windows/shell/saver_window.h"
#include "windows/shell/shell_state.h"

namespace {

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HELP || message == WM_CONTEXTMENU) {
        // Record what the preview forwarded, for the tests to read.
        std::printf("host got %s wParam=%s\n", message == WM_HELP ? "WM_HELP" : "WM_CONTEXTMENU",
                    reinterpret_cast<HWND>(wParam) == window ? "host" : "other");
        std::fflush(stdout);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int main(int argc, char** argv)
{
    moduleInstance = GetModuleHandleA(nullptr);
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    isWin9x = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? 1 : 0;
    if (argc >= 2 && std::strcmp(argv[1], "s") == 0)
        return RunSaverWindow(nullptr);
    if (argc >= 3 && std::strcmp(argv[1], "p") == 0)
        return RunSaverWindow(reinterpret_cast<HWND>(std::strtoul(argv[2], nullptr, 10)));
    if (argc >= 4 && std::strcmp(argv[1], "host") == 0) {
        WNDCLASSA hostClass = {};
        hostClass.lpfnWndProc = HostProc;
        hostClass.hInstance = moduleInstance;
        hostClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        hostClass.lpszClassName = "OrvellePreviewHost";
        RegisterClassA(&hostClass);
        RECT frame = {0, 0, std::atoi(argv[2]), std::atoi(argv[3])};
        AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
        const HWND host = CreateWindowExA(0, "OrvellePreviewHost", "Preview host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10,
                                          10, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                          moduleInstance, nullptr);
        std::printf("host %lu\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(host)));
        std::fflush(stdout);
        return RunSaverWindow(host);
    }
    std::fprintf(stderr, "usage: saver_driver s | p HWND | host WIDTH HEIGHT\n");
    return 2;
}
