// The display's refresh rate, which caps the frame rate.
#pragma once

#include <X11/Xlib.h>
#include <cstdint>

// Frames per second of the screen that root belongs to, as the RandR library reports it; 0 when the
// library is not installed or the display does not say. The library is loaded at run time, so that it is
// no build dependency.
uint32_t DisplayRefreshRate(Display* display, Window root);
