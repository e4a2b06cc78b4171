// The display device: exclusive full-screen DirectDraw in the current display mode, the off-screen picture
// every frame is drawn into, and the palette of 8-bit displays.
#pragma once

#include <windows.h>

#include <ddraw.h>

#include <cstdint>

struct DisplayDevice {
    IDirectDraw* directDraw;              // none: no usable device, the show does not run
    IDirectDrawSurface* primarySurface;   // the visible screen; frames reach it by one copy each
    IDirectDrawSurface* offscreenSurface; // 640x480 in the display's pixel format
    IDirectDrawClipper* clipper;          // keeps copies to the screen inside the saver window
    IDirectDrawPalette* displayPalette;   // 8-bit displays only
    PALETTEENTRY paletteEntries[256];     // the colour cube, 8-bit displays only
    int16_t unsupportedDepth;             // 1 once a depth other than 8, 16, 24 or 32 bits was met
};

extern DisplayDevice displayDevice;

// Takes the display for the saver window displayWindow: device, exclusive co-operation, surfaces,
// palette or channel masks, clipper; then starts the frame clock and builds the scene. On return
// directDraw is set exactly when every step succeeded. Does nothing while a device exists.
void SetupDisplayDevice();

// Releases the device and, with it, every surface, palette and clipper made from it; all five pointers are
// left null.
void ReleaseDisplayDevice();
