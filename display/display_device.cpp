// Display device: DirectDraw set-up in the current display mode and the hand-over of the pixel format.
#include "display/display_device.h"

#include "display/saver_window_proc.h"
#include "shell/procedure_as.h"
#include "show/screen_geometry.h"
#include "show/show_host.h"

DisplayDevice displayDevice;

namespace {

using DirectDrawCreateFunction = HRESULT(WINAPI*)(GUID*, IDirectDraw**, IUnknown*);

// DirectDrawCreate of ddraw.dll, loaded on first use and kept for the life of the process (the device's
// objects live in it). Windows 95 without DirectX has no ddraw.dll: the saver must still load there, for the
// preview, the about dialog and the password change, so the library is not imported. Null when there is
// no such library or function.
DirectDrawCreateFunction LoadDirectDrawCreate()
{
    static HMODULE library;
    if (library == nullptr)
        library = LoadLibraryA("ddraw.dll");
    if (library == nullptr)
        return nullptr;
    return ProcedureAs<DirectDrawCreateFunction>(GetProcAddress(library, "DirectDrawCreate"));
}

// The set-up's failure step, as each of its steps names it: the device object goes, and everything made
// from it with it.
void GiveUp()
{
    ReleaseDisplayDevice();
}

} // namespace

void ReleaseDisplayDevice()
{
    DisplayDevice& device = displayDevice;
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

void SetupDisplayDevice()
{
    DisplayDevice& device = displayDevice;
    if (device.directDraw != nullptr)
        return;
    const DirectDrawCreateFunction create = LoadDirectDrawCreate();
    if (create == nullptr || create(nullptr, &device.directDraw, nullptr) != DD_OK) {
        device.directDraw = nullptr;
        return;
    }
    // Exclusive use of the screen in the mode it is in: no display mode is ever set.
    if (device.directDraw->SetCooperativeLevel(saverWindowState.displayWindow, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN) !=
        DD_OK)
        return GiveUp();

    DDSURFACEDESC primary = {};
    primary.dwSize = sizeof primary;
    primary.dwFlags = DDSD_CAPS;
    primary.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (device.directDraw->CreateSurface(&primary, &device.primarySurface, nullptr) != DD_OK)
        return GiveUp();

    // The display's format; the call's result is not needed, a failed call leaves a zero bit count.
    DDPIXELFORMAT format = {};
    format.dwSize = sizeof format;
    device.primarySurface->GetPixelFormat(&format);
    const DWORD bits = format.dwRGBBitCount;
    PixelFormat showFormat;
    if (bits == 8) {
        for (uint32_t i = 0; i < 256; ++i) {
            const Colour entry = colourCubeFormat.unpack(i);
            device.paletteEntries[i] = {entry.red, entry.green, entry.blue, 0};
        }
        if (device.directDraw->CreatePalette(DDPCAPS_8BIT, device.paletteEntries, &device.displayPalette, nullptr) !=
            DD_OK)
            return GiveUp();
        if (device.primarySurface->SetPalette(device.displayPalette) != DD_OK)
            return GiveUp();
        showFormat = colourCubeFormat;
    } else if (bits == 16 || bits == 24 || bits == 32) {
        showFormat = MakePixelFormat(bits / 8, format.dwRBitMask, format.dwGBitMask, format.dwBBitMask);
    } else {
        GiveUp();
        device.unsupportedDepth = 1;
        return;
    }

    // The off-screen picture takes the display's own format, as no format is asked for.
    DDSURFACEDESC offscreen = {};
    offscreen.dwSize = sizeof offscreen;
    offscreen.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    offscreen.dwWidth = screenGeometry.width;
    offscreen.dwHeight = screenGeometry.height;
    offscreen.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    if (device.directDraw->CreateSurface(&offscreen, &device.offscreenSurface, nullptr) != DD_OK)
        return GiveUp();

    if (device.directDraw->CreateClipper(0, &device.clipper, nullptr) != DD_OK)
        return GiveUp();
    if (device.clipper->SetHWnd(0, saverWindowState.displayWindow) != DD_OK)
        return GiveUp();
    if (device.primarySurface->SetClipper(device.clipper) != DD_OK)
        return GiveUp();

    // The frame clock starts now, then the surface takes the display's format and the scene is built.
    saverWindowState.showStartTick = GetTickCount();
    StartShow(showFormat, saverWindowState.showStartTick);
}
