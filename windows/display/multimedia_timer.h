// The multimedia timer of winmm.dll, found at run time: winmm.dll is not one of the libraries the system
// always takes from its own directory, so an import would let a winmm.dll beside the saver load in its place.
#pragma once

#include <windows.h>

#include <mmsystem.h>

// The timer's functions, all null when winmm.dll or any of them is missing.
struct MultimediaTimer {
    MMRESULT(WINAPI* getDevCaps)(LPTIMECAPS, UINT);
    MMRESULT(WINAPI* beginPeriod)(UINT);
    MMRESULT(WINAPI* endPeriod)(UINT);
    MMRESULT(WINAPI* setEvent)(UINT, UINT, LPTIMECALLBACK, DWORD_PTR, UINT);
    MMRESULT(WINAPI* killEvent)(UINT);
    DWORD(WINAPI* getTime)();
};

// Loads winmm.dll from the system directory on first use and keeps it for the life of the process; true
// when every function was found. Without them the show has no frame timer: the window stays up, black, and
// input still ends it.
bool LoadMultimediaTimer(MultimediaTimer& timer);
