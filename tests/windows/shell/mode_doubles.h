// Test doubles of the modes that start-up runs: each records its call and returns a set result, or faults.
#pragma once

#include <windows.h>

#include <cstdint>

struct ModeCall {
    const char* mode; // "RunSaverWindow", "ShowAboutDialog" or "ChangeSystemPassword"; nullptr when none ran
    HWND window;
};

extern ModeCall lastModeCall;
extern int32_t modeCallCount;
extern int32_t modeResult;        // what RunSaverWindow and ShowAboutDialog return
extern bool modeFaults;           // the modes write through a null pointer instead of returning
extern int32_t saverRunningCalls; // calls of SetSaverRunning
extern BOOL lastSaverRunningFlag;

void ResetModeDoubles(int32_t result);
