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

int32_t ReadMonitors(Display* display, Window root, ScreenBox* monitors, int32_t capacity, int32_t& primary)
{
    primary = 0;
    void* const library = XrandrLibrary();
    if (library == nullptr)
        return 0;
    const auto getMonitors = reinterpret_cast<GetMonitorsFunction>(dlsym(library, "XRRGetMonitors"));
    const auto freeMonitors = reinterpret_cast<FreeMonitorsFunction>(dlsym(library, "XRRFreeMonitors"));
    if (getMonitors == nullptr || freeMonitors == nullptr)
        return 0;
    int count = 0;
    MonitorInfo* info = getMonitors(display, root, True, &count);
    if (info == nullptr)
        return 0;
    int32_t kept = 0;
    for (int i = 0; i < count && kept < capacity; ++i) {
        if (info[i].width <= 0 || info[i].height <= 0)
            continue;
        if (info[i].primary)
            primary = kept;
        monitors[kept++] = {info[i].x, info[i].y, info[i].width, info[i].height};
    }
    freeMonitors(info);
    return kept;
}
