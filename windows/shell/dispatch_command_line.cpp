// Start-up: the platform test and the one mode that the argument text asks for, run under a fault guard.
#include "windows/shell/dispatch_command_line.h"

#include "windows/shell/about_dialog.h"
#include "windows/shell/command_line.h"
#include "windows/shell/fault_guard.h"
#include "windows/shell/saver_window.h"
#include "windows/shell/shell_state.h"
#include "windows/shell/system_password.h"

static_assert(sizeof(OSVERSIONINFOA) == 148, "GetVersionExA is given the 148-byte OSVERSIONINFOA");

namespace {

HWND WindowFromNumber(uint32_t number)
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(number));
}

// A handle that is missing, zero or no longer a window is replaced by the foreground window.
HWND WindowOrForeground(uint32_t number)
{
    HWND window = WindowFromNumber(number);
    if (window == nullptr || !IsWindow(window))
        window = GetForegroundWindow();
    return window;
}

// Interprets the argument text and runs the mode; runs inside the fault guard.
int32_t RunSaverSwitch(const void* arguments)
{
    SaverSwitch request = ReadSaverSwitch(static_cast<const char*>(arguments), isWin9x);
    switch (request.mode) {
    case SaverMode::aboutUnowned: return ShowAboutDialog(nullptr);
    case SaverMode::fullScreen: return RunSaverWindow(nullptr);
    case SaverMode::preview: {
        HWND parent = WindowFromNumber(request.window);
        if (parent == nullptr || !IsWindow(parent))
            return -1;
        return RunSaverWindow(parent);
    }
    case SaverMode::configure: return ShowAboutDialog(WindowOrForeground(request.window));
    case SaverMode::changePassword: ChangeSystemPassword(WindowOrForeground(request.window)); return 0;
    case SaverMode::refused: return -1;
    }
    return -1;
}

} // namespace

int32_t DispatchCommandLine(HINSTANCE instance, const char* arguments)
{
    moduleInstance = instance;
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    isWin9x = (GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) ? 1 : 0;

    int32_t result = 0;
    if (!RunUnderFaultGuard(RunSaverSwitch, arguments, &result)) {
        // The system's filter took the fault: the system must no longer think a saver runs. The exit code
        // is the fault's exception code, as when the system ends a faulting process itself.
        SetSaverRunning(FALSE);
    }
    return result;
}
