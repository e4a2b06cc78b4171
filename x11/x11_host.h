// The X11 host: the one record of the connection, the window drawn into, its visual's pixel format and the
// picture's image, and the procedures that set them up, put the picture and take them down.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>
#include <cstdint>

#include "host_rules/monitor_list.h"
#include "show/pixel_format.h"
#include "x11/host_options.h"

struct X11Host {
    Display* display = nullptr;
    int screen = 0;
    Window window = 0;       // drawn into
    bool ownsWindow = false; // created here (-window, --full-screen), destroyed at the end
    Visual* visual = nullptr;
    int depth = 0;
    int32_t width = 0; // the window's size, followed through ConfigureNotify
    int32_t height = 0;
    PixelFormat format;            // the visual's pixel format, in which the show draws; a 32-bit visual's
                                   // alpha is in its fill bits
    Colormap colormap = 0;         // created here for the colour cube or a non-default visual; 0 if none
    Colormap previousColormap = 0; // the foreign window's own, put back at the end
    Cursor blankCursor = 0;        // hides the pointer in full screen
    GC gc = nullptr;               // foreground: black in the visual's format
    XImage* image = nullptr;       // 640x480 in the visual's format
    XShmSegmentInfo shm = {};
    bool usesShm = false;
    int shmCompletionType = -1; // event type of a finished XShmPutImage
    int shmOpcode = -1;         // major opcode of MIT-SHM requests
    bool shmRefused = false;    // the server could not attach the segment (a remote server)
    bool putPending = false;    // the server may still be reading the shared image
    Atom deleteWindowAtom = 0;
    bool windowGone = false; // the window was destroyed under the program
    // The full-screen window or the root: the picture goes on the primary of the root's monitors, which are
    // read again whenever the window is exposed or resized (a new monitor layout resizes the root).
    bool spansMonitors = false;
    MonitorList monitors = {}; // in root coordinates, which are the window's; none: the window is one monitor
};

// The process's one host.
extern X11Host x11Host;

// Each of these says what went wrong in one line on stderr and returns false when it fails.

// Connects to the display (the name, or $DISPLAY when null) and installs quiet error handlers.
bool OpenHost(const char* displayName);

// Finds or creates the window the picture goes to, with its visual's pixel format and, for the 8-bit
// colour cube, a colormap of its own.
bool SetupHostWindow(Placement placement, unsigned long windowId);

// Makes the 640x480 image (in shared memory when the server offers MIT-SHM, else in a static buffer) and
// starts the show in its format, the frame clock at tick.
bool SetupFrameImage(uint32_t tick);

// Draws the show's frame for elapsedMs (since the tick the show started at) into the image.
void DrawPicture(uint32_t elapsedMs);

// Puts the visible part of the picture, centred (on the primary monitor in a window over several), into the
// window; with borders, also paints the rest of the window black.
void PutPicture(bool borders);

// Releases what the host made, leaving a foreign window as it was and a destroyed one alone, and closes
// the connection. Without waitForServer it sends the same requests but waits for no answer, so that it
// returns at once even when the server does not run (stopped, or hung); the process must then end.
void CloseHost(bool waitForServer);
