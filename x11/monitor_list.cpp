// The root window's monitors from libXrandr (RandR 1.5 monitors), loaded at run time.
#include "x11/monitor_list.h"

#include "x11/xrandr_library.h"

namespace {

// XRRMonitorInfo as libXrandr lays it out.
struct MonitorInfo {
    Atom name;
    Bool primary;
    Bool automatic;
    int outputCount;
    int x;
    int y;
    int width;
    int height;
    int widthMm;
    int heightMm;
    unsigned long* outputs;
};
using GetMonitorsFunction = MonitorInfo* (*)(Display*, Window, Bool, int*);
using FreeMonitorsFunction = void (*)(MonitorInfo*);

} // namespace

void ReadMonitors(Display* display, Window root, MonitorList& list)
{
    list = MonitorList{};
    void* const library = XrandrLibrary();
    if (library == nullptr)
        return;
    const auto getMonitors = reinterpret_cast<GetMonitorsFunction>(dlsym(library, "XRRGetMonitors"));
    const auto freeMonitors = reinterpret_cast<FreeMonitorsFunction>(dlsym(library, "XRRFreeMonitors"));
    if (getMonitors == nullptr || freeMonitors == nullptr)
        return;
    int count = 0;
    MonitorInfo* info = getMonitors(display, root, True, &count);
    if (info == nullptr)
        return;
    for (int i = 0; i < count; ++i)
        ListMonitor(list, {info[i].x, info[i].y, info[i].width, info[i].height}, info[i].primary != 0);
    freeMonitors(info);
}
