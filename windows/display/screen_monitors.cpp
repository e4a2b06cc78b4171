// The virtual screen's monitors through EnumDisplayMonitors and GetMonitorInfoA, found in user32 at run time.
#include "windows/display/screen_monitors.h"

#include <windows.h>

#include "windows/win32/procedure_as.h"

namespace {

using EnumDisplayMonitorsFunction = BOOL(WINAPI*)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);
using GetMonitorInfoFunction = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);

// What the enumeration fills, handed to its callback.
struct Enumeration {
    GetMonitorInfoFunction getMonitorInfo;
    MonitorList* list;
};

BOOL CALLBACK NoteMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    const Enumeration& enumeration = *reinterpret_cast<Enumeration*>(data);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (enumeration.getMonitorInfo(monitor, &info) == 0)
        return TRUE;
    const RECT& r = info.rcMonitor;
    ListMonitor(*enumeration.list, {r.left, r.top, r.right - r.left, r.bottom - r.top},
                (info.dwFlags & MONITORINFOF_PRIMARY) != 0);
    return TRUE;
}

} // namespace

void ReadScreenMonitors(MonitorList& list)
{
    list = MonitorList{};
    const HMODULE user = GetModuleHandleA("USER32.DLL");
    if (user == nullptr)
        return;
    const auto enumMonitors = ProcedureAs<EnumDisplayMonitorsFunction>(GetProcAddress(user, "EnumDisplayMonitors"));
    const auto getMonitorInfo = ProcedureAs<GetMonitorInfoFunction>(GetProcAddress(user, "GetMonitorInfoA"));
    if (enumMonitors == nullptr || getMonitorInfo == nullptr)
        return;
    Enumeration enumeration = {getMonitorInfo, &list};
    if (enumMonitors(nullptr, nullptr, NoteMonitor, reinterpret_cast<LPARAM>(&enumeration)) == 0)
        list = MonitorList{};
}
