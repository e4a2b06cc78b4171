// The X11 saver's command line, read the way XScreenSaver's programs read theirs: where to draw, besides the
// display and the test clock that both Linux hosts take.
#pragma once

#include <cstdint>

#include "posix/front_end.h"

// Where the picture goes.
enum class Placement {
    ownWindow,  // a new 640x480 window (-window, the default)
    root,       // the root window (-root), or XSCREENSAVER_WINDOW when that is set
    windowId,   // an existing window (-window-id)
    fullScreen, // a new window over the whole screen that user activity ends (--full-screen)
};

struct HostOptions {
    Placement placement = Placement::ownWindow;
    bool placementGiven = false; // a placement option was on the command line
    uint32_t windowId = 0;       // the window of -window-id or XSCREENSAVER_WINDOW (ReadWindowId)
    CommonOptions common;        // -display, else $DISPLAY; the test clock
};

// What the X11 saver says of itself, and its own options, which the front end reads into a HostOptions.
extern const HostFrontEnd x11FrontEnd;
