// Display device: DirectDraw set-up in the current display mode and the pixel format it finds.
#include "windows/display/display_device.h"

#include "show/screen_geometry.h"
#include "windows/win32/procedure_as.h"
#include "windows/win32/system_library.h"

namespace {

using DirectDrawCreateFunction = HRESULT(WINAPI*)(GUID*, IDirectDraw**, IUnknown*);

// DirectDrawCreate of ddraw.dll, loaded on first use and kept for the life of the process (the device's
// objects live in it). Windows 95 without DirectX has no ddraw.dll: the saver must still load there, for the
// preview, the about dialog and the password change, so the library is not imported. It comes from the
// system directory only: a ddraw.dll beside the saver is never loaded. Null when there is no such library
// or function.
DirectDrawCreateFunction LoadDirectDrawCreate()
{
    static HMODULE library;
    if (library == nullptr)
        library = LoadSystemLibrary("ddraw.dll");
    if (library == nullptr)
        return nullptr;
    return ProcedureAs<DirectDrawCreateFunction>(GetProcAddress(library, "DirectDrawCreate"));
}

// The device object with exclusive use of the screen in the mode it is in (no display mode is ever set),
// and the primary surface: true when both are there. A failure after the device object releases it.
bool TakeScreen(DisplayDevice& device, HWND window)
{
    const DirectDrawCreateFunction create = LoadDirectDrawCreate();
    if (create == nullptr || create(nullptr, &device.directDraw, nullptr) != DD_OK) {
        device.directDraw = nullptr;
        return false;
    }
    DDSURFACEDESC primary = {};
    primary.dwSize = sizeof primary;
    primary.dwFlags = DDSD_CAPS;
    primary.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (device.directDraw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN) != DD_OK ||
        device.directDraw->CreateSurface(&primary, &device.primarySurface, nullptr) != DD_OK) {
        ReleaseDisplayDevice(device);
        return false;
    }
    return true;
}

// The colour cube as the display palette of an 8-bit display.
bool LoadColourCube(DisplayDevice& device)
{
    for (uint32_t i = 0; i < 256; ++i) {
        const Colour entry = colourCubeFormat.unpack(i);
        device.paletteEntries[i] = {entry.red, entry.green, entry.blue, 0};
    }
    return device.directDraw->CreatePalette(DDPCAPS_8BIT, device.paletteEntries, &device.displayPalette, nullptr) ==
               DD_OK &&
           device.primarySurface->SetPalette(device.displayPalette) == DD_OK;
}

// The show's format for the display's: the colour cube at 8 bits, the display's own channel masks at 16,
// 24 and 32. False for any other depth (unsupportedDepth is then set) or a palette that could not be set.
bool ReadDisplayFormat(DisplayDevice& device, PixelFormat& found)
{
    // The call's result is not needed: a failed call leaves a zero bit count.
    DDPIXELFORMAT format = {};
    format.dwSize = sizeof format;
    device.primarySurface->GetPixelFormat(&format);
    const DWORD bits = format.dwRGBBitCount;
    if (bits == 8) {
        found = colourCubeFormat;
        return LoadColourCube(device);
    }
    if (bits == 16 || bits == 24 || bits == 32) {
        found = MakePixelFormat(bits / 8, format.dwRBitMask, format.dwGBitMask, format.dwBBitMask);
        return true;
    }
    device.unsupportedDepth = 1;
    return false;
}

// The off-screen picture, in the display's own format as no format is asked for, and the clipper that keeps
// copies to the screen inside window.
bool MakePictureAndClipper(DisplayDevice& device, HWND window)
{
    DDSURFACEDESC offscreen = {};
    offscreen.dwSize = sizeof offscreen;
    offscreen.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    offscreen.dwWidth = screenGeometry.width;
    offscreen.dwHeight = screenGeometry.height;
    offscreen.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    return device.directDraw->CreateSurface(&offscreen, &device.offscreenSurface, nullptr) == DD_OK &&
           device.directDraw->CreateClipper(0, &device.clipper, nullptr) == DD_OK &&
           device.clipper->SetHWnd(0, window) == DD_OK && device.primarySurface->SetClipper(device.clipper) == DD_OK;
}

} // namespace

void ReleaseDisplayDevice(DisplayDevice& device)
{
    if (device.directDraw == nullptr)
        return;
    device.directDraw->Release();
    // The surfaces, the palette and the clipper went with the device object: nothing may point at them.
    device.directDraw = nullptr;
    device.primarySurface = nullptr;
    device.offscreenSurface = nullptr;
    device.clipper = nullptr;
    device.displayPalette = nullptr;
}

bool SetupDisplayDevice(DisplayDevice& device, HWND window, PixelFormat& found)
{
    if (device.directDraw != nullptr || !TakeScreen(device, window))
        return false;
    // Each failing step gives up the device object, and everything made from it with it.
    if (!ReadDisplayFormat(device, found) || !MakePictureAndClipper(device, window)) {
        ReleaseDisplayDevice(device);
        return false;
    }
    return true;
}
