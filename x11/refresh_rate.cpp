// The display's refresh rate from libXrandr, loaded at run time.
#include "x11/refresh_rate.h"

#include "x11/xrandr_library.h"

namespace {

struct ScreenConfiguration; // XRRScreenConfiguration, opaque
using GetScreenInfoFunction = ScreenConfiguration* (*)(Display*, Window);
using ConfigCurrentRateFunction = short (*)(ScreenConfiguration*);
using FreeScreenConfigInfoFunction = void (*)(ScreenConfiguration*);

} // namespace

uint32_t DisplayRefreshRate(Display* display, Window root)
{
    void* const library = XrandrLibrary();
    if (library == nullptr)
        return 0;
    const auto getScreenInfo = reinterpret_cast<GetScreenInfoFunction>(dlsym(library, "XRRGetScreenInfo"));
    const auto currentRate = reinterpret_cast<ConfigCurrentRateFunction>(dlsym(library, "XRRConfigCurrentRate"));
    const auto freeInfo = reinterpret_cast<FreeScreenConfigInfoFunction>(dlsym(library, "XRRFreeScreenConfigInfo"));
    if (getScreenInfo == nullptr || currentRate == nullptr || freeInfo == nullptr)
        return 0;
    ScreenConfiguration* configuration = getScreenInfo(display, root);
    if (configuration == nullptr)
        return 0;
    const short rate = currentRate(configuration);
    freeInfo(configuration);
    return rate > 0 ? static_cast<uint32_t>(rate) : 0;
}
