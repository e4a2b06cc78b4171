// The X11 saver's command line, read the way XScreenSaver's programs read theirs: where to draw, which
// display, and the fixed clock that tests use.
#pragma once

#include <cstdint>

#include "host_rules/number_reading.h"

// Where the picture goes.
enum class Placement {
    ownWindow,  // a new 640x480 window (-window, the default)
    root,       // the root window (-root), or XSCREENSAVER_WINDOW when that is set
    windowId,   // an existing window (-window-id)
    fullScreen, // a new window over the whole screen that user activity ends (--full-screen)
};

struct HostOptions {
    Placement placement = Placement::ownWindow;
    bool placementGiven = false;       // a placement option was on the command line
    uint32_t windowId = 0;             // the window of -window-id or XSCREENSAVER_WINDOW (ReadWindowId)
    const char* displayName = nullptr; // -display, else $DISPLAY
    uint32_t tickMs = 0;               // 0: the monotonic clock; else frame i is drawn at i*tickMs ms
    uint32_t frames = 0;               // 0: no limit; else the picture stays at frame K
};

enum class OptionsResult { run, help, version, error };

// Reads argv into options. One or two leading dashes are accepted for every option. On error the one-line
// reason is in message.
OptionsResult ReadHostOptions(int argc, const char* const* argv, HostOptions& options, char* message, int messageSize);

extern const char hostUsage[];
extern const char hostVersion[];
