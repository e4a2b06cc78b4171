// Test doubles of the modes that start-up runs: each records its call and returns a set result, or faults.
#include "tests/windows/shell/mode_doubles.h"

#include "windows/shell/about_dialog.h"
#include "windows/shell/saver_window.h"
#include "windows/shell/system_password.h"

ModeCall lastModeCall = {};
int32_t modeCallCount = 0;
int32_t modeResult = 0;
bool modeFaults = false;
int32_t saverRunningCalls = 0;
BOOL lastSaverRunningFlag = TRUE;

void ResetModeDoubles(int32_t result)
{
    lastModeCall = {};
    modeCallCount = 0;
    modeResult = result;
    modeFaults = false;
    saverRunningCalls = 0;
    lastSaverRunningFlag = TRUE;
}

static int32_t RecordModeCall(const char* mode, HWND window)
{
    lastModeCall = {mode, window};
    ++modeCallCount;
    if (modeFaults) {
        volatile int32_t* volatile nowhere = nullptr;
        *nowhere = 1;
    }
    return modeResult;
}

int32_t RunSaverWindow(HWND parent)
{
    return RecordModeCall("RunSaverWindow", parent);
}

int32_t ShowAboutDialog(HWND owner)
{
    return RecordModeCall("ShowAboutDialog", owner);
}

void ChangeSystemPassword(HWND window)
{
    RecordModeCall("ChangeSystemPassword", window);
}

void SetSaverRunning(BOOL running)
{
    ++saverRunningCalls;
    lastSaverRunningFlag = running;
}
