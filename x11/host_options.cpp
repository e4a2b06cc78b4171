// The X11 saver's own options and what it says of itself.
#include "x11/host_options.h"

#include <iterator>

#include "host_rules/number_reading.h"

namespace {

constexpr HostOption ownOptions[] = {
    {"window", false},
    {"root", false},
    {"full-screen", false},
    {"window-id", true},
};
constexpr Placement placements[] = {Placement::ownWindow, Placement::root, Placement::fullScreen, Placement::windowId};
static_assert(std::size(ownOptions) == std::size(placements));

bool TakeOwnOption(void* record, int option, const char* value)
{
    HostOptions& options = *static_cast<HostOptions*>(record);
    options.placement = placements[option];
    options.placementGiven = true;
    return value == nullptr || ReadWindowId(value, options.windowId);
}

} // namespace

const HostFrontEnd x11FrontEnd = {
    "orvelle",
    ORVELLE_X11_VERSION, // set by the build, which also names the package by it
    "Orvelle's night scene for XScreenSaver: a 640x480 picture centred on black.\n",
    "  -window             draw in a window of its own (the default)\n"
    "  -root               draw on the root window, or on $XSCREENSAVER_WINDOW when it is set\n"
    "  -window-id ID       draw in the existing window ID (decimal or 0x hex)\n"
    "  --full-screen       a window over the whole screen that a key, a click or a mouse\n"
    "                      movement of more than 4 pixels ends\n"
    "  -display NAME       the X display to use (default $DISPLAY)\n",
    "Options take one dash or two. Without -window-id, -window or --full-screen, $XSCREENSAVER_WINDOW\n"
    "names the window to draw in when it is set.\n",
    {ownOptions, int(std::size(ownOptions)), TakeOwnOption},
};
