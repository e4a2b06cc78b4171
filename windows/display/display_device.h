// The display device: exclusive full-screen DirectDraw in the current display mode, the off-screen picture
// every frame is drawn into, and the palette of 8-bit displays.
#pragma once

#include <windows.h>

#include <ddraw.h>

#include <cstdint>

#include "show/pixel_format.h"

struct DisplayDevice {
    IDirectDraw* directDraw;              // none: no usable device, the show does not run
    IDirectDrawSurface* primarySurface;   // the visible screen; frames reach it by one copy each
    IDirectDrawSurface* offscreenSurface; // 640x480 in the display's pixel format
    IDirectDrawClipper* clipper;          // keeps copies to the screen inside the saver window
    IDirectDrawPalette* displayPalette;   // 8-bit displays only
    PALETTEENTRY paletteEntries[256];     // the colour cube, 8-bit displays only
    int16_t unsupportedDepth;             // 1 once a depth other than 8, 16, 24 or 32 bits was met
};

// Takes the display for window: device, exclusive co-operation, surfaces, palette or channel masks, clipper.
// Returns true, with the display's pixel format in found, exactly when every step succeeded; directDraw is
// then set. A failure leaves no device, and unsupportedDepth set when the display's depth was the reason.
// While a device exists it makes nothing and returns false.
bool SetupDisplayDevice(DisplayDevice& device, HWND window, PixelFormat& found);

// Releases the device and, with it, every surface, palette and clipper made from it; all five pointers are
// left null.
void ReleaseDisplayDevice(DisplayDevice& device);
