// The multimedia timer's functions, from winmm.dll in the system directory.
#include "windows/display/multimedia_timer.h"

#include "windows/win32/system_library.h"

namespace {

// In the order of MultimediaTimer's fields.
constexpr const char* functionNames[] = {"timeGetDevCaps", "timeBeginPeriod", "timeEndPeriod",
                                         "timeSetEvent",   "timeKillEvent",   "timeGetTime"};
constexpr int functionCount = sizeof functionNames / sizeof functionNames[0];

// The fields are function pointers of one size each, filled as one array from GetProcAddress's results.
static_assert(sizeof(MultimediaTimer) == functionCount * sizeof(FARPROC), "one field per function name");

} // namespace

bool LoadMultimediaTimer(MultimediaTimer& timer)
{
    static HMODULE library;
    if (timer.setEvent != nullptr)
        return true;
    if (library == nullptr)
        library = LoadSystemLibrary("winmm.dll");
    if (library == nullptr)
        return false;
    FARPROC found[functionCount];
    for (int i = 0; i < functionCount; ++i) {
        found[i] = GetProcAddress(library, functionNames[i]);
        // A library without every function is as good as none: no half-usable timer.
        if (found[i] == nullptr)
            return false;
    }
    __builtin_memcpy(&timer, found, sizeof timer);
    return true;
}
