// System password integration: the Windows 95/98/Me screen-saver password through PASSWORD.CPL and MPR.DLL,
// both taken from the system directory only.
#include "windows/shell/system_password.h"

#include "windows/shell/shell_state.h"
#include "windows/win32/procedure_as.h"
#include "windows/win32/system_library.h"

HMODULE passwordLibrary = nullptr;
VerifyScreenSavePwdFunction verifyPassword = nullptr;

namespace {

using PwdChangePasswordFunction = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, DWORD);

} // namespace

void SetSaverRunning(BOOL running)
{
    if (isWin9x == 0)
        return;
    // Receives the previous state, which nobody needs; 0 as the last argument keeps the user profile as it is.
    UINT previousState = 0;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, static_cast<UINT>(running), &previousState, 0);
}

void UnloadPasswordLibrary()
{
    if (isWin9x == 0 || passwordLibrary == nullptr)
        return;
    FreeLibrary(passwordLibrary);
    passwordLibrary = nullptr;
    if (verifyPassword != nullptr) {
        verifyPassword = nullptr;
        SetSaverRunning(FALSE);
    }
}

void LoadPasswordSettings()
{
    if (isWin9x == 0)
        return;
    if (passwordLibrary != nullptr)
        UnloadPasswordLibrary();
    HKEY desktopKey = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &desktopKey) != ERROR_SUCCESS)
        return;
    // The value's type is not asked for: a REG_DWORD and up to four REG_BINARY bytes both land in the low bytes
    // of the zeroed number, and a longer value makes the query fail, which leaves the password off.
    DWORD usePassword = 0;
    DWORD size = sizeof(usePassword);
    LONG queried = RegQueryValueExA(desktopKey, "ScreenSaveUsePassword", nullptr, nullptr,
                                    reinterpret_cast<BYTE*>(&usePassword), &size);
    if (queried == ERROR_SUCCESS && usePassword != 0) {
        passwordLibrary = LoadSystemLibrary("PASSWORD.CPL");
        if (passwordLibrary != nullptr) {
            verifyPassword =
                ProcedureAs<VerifyScreenSavePwdFunction>(GetProcAddress(passwordLibrary, "VerifyScreenSavePwd"));
            if (verifyPassword != nullptr)
                SetSaverRunning(TRUE);
            else
                UnloadPasswordLibrary();
        }
    }
    RegCloseKey(desktopKey);
}

void ChangeSystemPassword(HWND window)
{
    HMODULE mprLibrary = LoadSystemLibrary("MPR.DLL");
    if (mprLibrary == nullptr)
        return;
    PwdChangePasswordFunction changePassword =
        ProcedureAs<PwdChangePasswordFunction>(GetProcAddress(mprLibrary, "PwdChangePasswordA"));
    if (changePassword != nullptr)
        changePassword("SCRSAVE", window, 0, 0);
    FreeLibrary(mprLibrary);
}
