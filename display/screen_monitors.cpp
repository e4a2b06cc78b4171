// The virtual screen's monitors through EnumDisplayMonitors and GetMonitorInfoA, found in user32 at run time.
#include "display/screen_monitors.h"

#include <windows.h>

#include "shell/procedure_as.h"

namespace {

using EnumDisplayMonitorsFunction = BOOL(WINAPI*)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);
using GetMonitorInfoFunction = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);

// What the enumeration fills, handed to its callback.
struct MonitorList {
    GetMonitorInfoFunction getMonitorInfo;
    ScreenBox* monitors;
    int32_t capacity;
    int32_t count;
    int32_t primary;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    MonitorList& list = *reinterpret_cast<MonitorList*>(data);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (list.count >= list.capacity || list.getMonitorInfo(monitor, &info) == 0)
        return TRUE;
    const RECT& r = info.rcMonitor;
    if (r.right <= r.left || r.bottom <= r.top)
        return TRUE;
    if ((info.dwFlags & MONITORINFOF_PRIMARY) != 0)
        list.primary = list.count;
    list.monitors[list.count++] = {r.left, r.top, r.right - r.left, r.bottom - r.top};
    return TRUE;
}

} // namespace

int32_t ReadScreenMonitors(ScreenBox* monitors, int32_t capacity, int32_t& primary)
{
    primary = 0;
    const HMODULE user = GetModuleHandleA("USER32.DLL");
    if (user == nullptr)
        return 0;
    const auto enumMonitors = ProcedureAs<EnumDisplayMonitorsFunction>(GetProcAddress(user, "EnumDisplayMonitors"));
    const auto getMonitorInfo = ProcedureAs<GetMonitorInfoFunction>(GetProcAddress(user, "GetMonitorInfoA"));
    if (enumMonitors == nullptr || getMonitorInfo == nullptr)
        return 0;
    MonitorList list = {getMonitorInfo, monitors, capacity, 0, 0};
    if (enumMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list)) == 0)
        return 0;
    primary = list.primary;
    return list.count;
}
