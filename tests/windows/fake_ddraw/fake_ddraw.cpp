// Test stand-in for the system's ddraw.dll: a DirectDraw that gives up at the set-up step a test chooses.
//
// ORVELLE_FAKE_DDRAW names the behaviour (see the table of modes below); without it, or with a name not in
// the table, DirectDrawCreate fails. ORVELLE_FAKE_DDRAW_LOG names a file to which every set-up call and
// every Release is appended, one line each, as "<object> <call> <outcome>":
//   DirectDrawCreate ok|failed
//   device SetCooperativeLevel flags=17 ok|failed
//   device CreateSurface primary|offscreen ok|failed
//   surface.primary GetPixelFormat bits=N
//   device CreatePalette flags=4 ok|failed          surface.primary SetPalette ok|failed
//   device CreateClipper ok|failed                  clipper SetHWnd ok|failed
//   surface.primary SetClipper ok|failed
//   device|surface.primary|surface.offscreen|clipper|palette Release refs=N   (N: references left)
//   device WaitForVerticalBlank                     (once a frame: the wait returns at once, as Wine's does)
// The file is opened and closed for each line, so a test can read it while the program still runs.
// GetMonitorFrequency reports the mode's refresh rate, or fails for a mode without one. Every other
// method answers DDERR_UNSUPPORTED and does nothing. The objects live in static storage and
// are never freed, so a call on an object already released cannot crash the program under test.
#include <windows.h>

#include <ddraw.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// The set-up steps a mode can make fail.
enum class Step { none, create, cooperative, primary, palette, setPalette, offscreen, clipper, setHWnd, setClipper };

struct Mode {
    const char* name;
    DWORD bits; // the display depth the primary surface reports
    Step failing;
    DWORD refreshRate; // what GetMonitorFrequency reports; 0: it fails
    DWORD width;       // the size the primary surface's description gives; 0: GetSurfaceDesc fails
    DWORD height;
};

constexpr Mode modes[] = {
    {"fail-create", 32, Step::create, 0, 0, 0},
    {"fail-cooperative", 32, Step::cooperative, 0, 0, 0},
    {"fail-primary", 32, Step::primary, 0, 0, 0},
    {"depth4", 4, Step::none, 0, 0, 0},
    {"depth8-fail-palette", 8, Step::palette, 0, 0, 0},
    {"depth8-fail-setpalette", 8, Step::setPalette, 0, 0, 0},
    {"fail-offscreen", 32, Step::offscreen, 0, 0, 0},
    {"fail-clipper", 32, Step::clipper, 0, 0, 0},
    {"fail-sethwnd", 32, Step::setHWnd, 0, 0, 0},
    {"fail-setclipper", 32, Step::setClipper, 0, 0, 0},
    // Nothing fails: the set-up succeeds, and the show runs on surfaces that draw nothing.
    {"depth32", 32, Step::none, 0, 0, 0},
    {"depth32-refresh20", 32, Step::none, 20, 0, 0},
    // A primary surface of its own size, which need not be the screen's as the system reports it.
    {"depth32-surface800", 32, Step::none, 0, 800, 600},
};

const Mode unknownMode = {"", 32, Step::create, 0, 0, 0};
const Mode* mode = &unknownMode;

void Log(const char* format, ...)
{
    char path[MAX_PATH];
    const DWORD pathLength = GetEnvironmentVariableA("ORVELLE_FAKE_DDRAW_LOG", path, sizeof path);
    if (pathLength == 0 || pathLength >= sizeof path)
        return;
    char line[256];
    va_list arguments;
    va_start(arguments, format);
    const int length = std::vsnprintf(line, sizeof line - 2, format, arguments);
    va_end(arguments);
    if (length < 0 || length >= static_cast<int>(sizeof line - 2))
        return;
    line[length] = '\n';
    const HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(length + 1), &written, nullptr);
    CloseHandle(file);
}

// The outcome of a step: failure when the mode fails this step, logged either way.
HRESULT Outcome(Step step, const char* what)
{
    const bool fails = mode->failing == step;
    Log("%s %s", what, fails ? "failed" : "ok");
    return fails ? DDERR_GENERIC : DD_OK;
}

// Reference counting shared by the fake objects; every Release is logged under the object's name.
class References {
  public:
    explicit References(const char* name) : name_(name) {}
    void reset() { count_ = 1; }
    ULONG addRef() { return ++count_; }
    ULONG release()
    {
        if (count_ > 0)
            --count_;
        Log("%s Release refs=%lu", name_, count_);
        return count_;
    }

  private:
    const char* name_;
    ULONG count_ = 0;
};

HRESULT NoInterface(void** object)
{
    if (object != nullptr)
        *object = nullptr;
    return E_NOINTERFACE;
}

class FakePalette : public IDirectDrawPalette {
  public:
    References references{"palette"};

    STDMETHOD(QueryInterface)(REFIID, void** object) override { return NoInterface(object); }
    STDMETHOD_(ULONG, AddRef)() override { return references.addRef(); }
    STDMETHOD_(ULONG, Release)() override { return references.release(); }
    STDMETHOD(GetCaps)(LPDWORD) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetEntries)(DWORD, DWORD, DWORD, LPPALETTEENTRY) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(Initialize)(LPDIRECTDRAW, DWORD, LPPALETTEENTRY) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(SetEntries)(DWORD, DWORD, DWORD, LPPALETTEENTRY) override { return DDERR_UNSUPPORTED; }
};

class FakeClipper : public IDirectDrawClipper {
  public:
    References references{"clipper"};

    STDMETHOD(QueryInterface)(REFIID, void** object) override { return NoInterface(object); }
    STDMETHOD_(ULONG, AddRef)() override { return references.addRef(); }
    STDMETHOD_(ULONG, Release)() override { return references.release(); }
    STDMETHOD(GetClipList)(LPRECT, LPRGNDATA, LPDWORD) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetHWnd)(HWND*) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(Initialize)(LPDIRECTDRAW, DWORD) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(IsClipListChanged)(WINBOOL*) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(SetClipList)(LPRGNDATA, DWORD) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(SetHWnd)(DWORD, HWND) override { return Outcome(Step::setHWnd, "clipper SetHWnd"); }
};

class FakeSurface : public IDirectDrawSurface {
  public:
    explicit FakeSurface(const char* name) : references(name), name_(name) {}
    References references;

    STDMETHOD(QueryInterface)(REFIID, void** object) override { return NoInterface(object); }
    STDMETHOD_(ULONG, AddRef)() override { return references.addRef(); }
    STDMETHOD_(ULONG, Release)() override { return references.release(); }
    STDMETHOD(AddAttachedSurface)(LPDIRECTDRAWSURFACE) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(AddOverlayDirtyRect)(LPRECT) override { return DDERR_UNSUPPORTED; }
    // The copies onto the screen, with where they go.
    STDMETHOD(Blt)(LPRECT dest, LPDIRECTDRAWSURFACE source, LPRECT, DWORD, LPDDBLTFX) override
    {
        if (dest != nullptr && source != nullptr)
            Log("%s Blt dest=%ld,%ld,%ld,%ld", name_, dest->left, dest->top, dest->right, dest->bottom);
        return DDERR_UNSUPPORTED;
    }
    STDMETHOD(BltBatch)(LPDDBLTBATCH, DWORD, DWORD) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(BltFast)(DWORD, DWORD, LPDIRECTDRAWSURFACE, LPRECT, DWORD) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(DeleteAttachedSurface)(DWORD, LPDIRECTDRAWSURFACE) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(EnumAttachedSurfaces)(LPVOID, LPDDENUMSURFACESCALLBACK) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(EnumOverlayZOrders)(DWORD, LPVOID, LPDDENUMSURFACESCALLBACK) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(Flip)(LPDIRECTDRAWSURFACE, DWORD) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetAttachedSurface)(LPDDSCAPS, LPDIRECTDRAWSURFACE*) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetBltStatus)(DWORD) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetCaps)(LPDDSCAPS) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetClipper)(LPDIRECTDRAWCLIPPER*) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetColorKey)(DWORD, LPDDCOLORKEY) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetDC)(HDC*) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetFlipStatus)(DWORD) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetOverlayPosition)(LPLONG, LPLONG) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetPalette)(LPDIRECTDRAWPALETTE*) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetPixelFormat)(LPDDPIXELFORMAT format) override
    {
        Log("%s GetPixelFormat bits=%lu", name_, mode->bits);
        if (format == nullptr)
            return DDERR_INVALIDPARAMS;
        const DWORD size = format->dwSize;
        std::memset(format, 0, sizeof *format);
        format->dwSize = size;
        format->dwRGBBitCount = mode->bits;
        if (mode->bits == 8) {
            format->dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
        } else if (mode->bits == 4) {
            format->dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED4;
        } else {
            format->dwFlags = DDPF_RGB;
            format->dwRBitMask = 0xFF0000;
            format->dwGBitMask = 0x00FF00;
            format->dwBBitMask = 0x0000FF;
        }
        return DD_OK;
    }
    STDMETHOD(GetSurfaceDesc)(LPDDSURFACEDESC description) override
    {
        if (mode->width == 0 || description == nullptr)
            return DDERR_UNSUPPORTED;
        description->dwFlags = DDSD_WIDTH | DDSD_HEIGHT;
        description->dwWidth = mode->width;
        description->dwHeight = mode->height;
        return DD_OK;
    }
    STDMETHOD(Initialize)(LPDIRECTDRAW, LPDDSURFACEDESC) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(IsLost)() override { return DDERR_UNSUPPORTED; }
    STDMETHOD(Lock)(LPRECT, LPDDSURFACEDESC, DWORD, HANDLE) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(ReleaseDC)(HDC) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(Restore)() override { return DDERR_UNSUPPORTED; }
    STDMETHOD(SetClipper)(LPDIRECTDRAWCLIPPER) override
    {
        return Outcome(Step::setClipper, "surface.primary SetClipper");
    }
    STDMETHOD(SetColorKey)(DWORD, LPDDCOLORKEY) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(SetOverlayPosition)(LONG, LONG) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(SetPalette)(LPDIRECTDRAWPALETTE) override
    {
        return Outcome(Step::setPalette, "surface.primary SetPalette");
    }
    STDMETHOD(Unlock)(LPVOID) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(UpdateOverlay)(LPRECT, LPDIRECTDRAWSURFACE, LPRECT, DWORD, LPDDOVERLAYFX) override
    {
        return DDERR_UNSUPPORTED;
    }
    STDMETHOD(UpdateOverlayDisplay)(DWORD) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(UpdateOverlayZOrder)(DWORD, LPDIRECTDRAWSURFACE) override { return DDERR_UNSUPPORTED; }

  private:
    const char* name_;
};

FakePalette palette;
FakeClipper clipper;
FakeSurface primarySurface("surface.primary");
FakeSurface offscreenSurface("surface.offscreen");

class FakeDevice : public IDirectDraw {
  public:
    References references{"device"};

    STDMETHOD(QueryInterface)(REFIID, void** object) override { return NoInterface(object); }
    STDMETHOD_(ULONG, AddRef)() override { return references.addRef(); }
    STDMETHOD_(ULONG, Release)() override { return references.release(); }
    STDMETHOD(Compact)() override { return DDERR_UNSUPPORTED; }
    STDMETHOD(CreateClipper)(DWORD, LPDIRECTDRAWCLIPPER* created, IUnknown*) override
    {
        const HRESULT result = Outcome(Step::clipper, "device CreateClipper");
        if (created != nullptr)
            *created = result == DD_OK ? &clipper : nullptr;
        if (result == DD_OK)
            clipper.references.reset();
        return result;
    }
    STDMETHOD(CreatePalette)(DWORD flags, LPPALETTEENTRY, LPDIRECTDRAWPALETTE* created, IUnknown*) override
    {
        char what[64];
        std::snprintf(what, sizeof what, "device CreatePalette flags=%lu", flags);
        const HRESULT result = Outcome(Step::palette, what);
        if (created != nullptr)
            *created = result == DD_OK ? &palette : nullptr;
        if (result == DD_OK)
            palette.references.reset();
        return result;
    }
    STDMETHOD(CreateSurface)(LPDDSURFACEDESC description, LPDIRECTDRAWSURFACE* created, IUnknown*) override
    {
        const bool primary = description != nullptr && (description->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) != 0;
        const HRESULT result = primary ? Outcome(Step::primary, "device CreateSurface primary")
                                       : Outcome(Step::offscreen, "device CreateSurface offscreen");
        FakeSurface& surface = primary ? primarySurface : offscreenSurface;
        if (created != nullptr)
            *created = result == DD_OK ? &surface : nullptr;
        if (result == DD_OK)
            surface.references.reset();
        return result;
    }
    STDMETHOD(DuplicateSurface)(LPDIRECTDRAWSURFACE, LPDIRECTDRAWSURFACE*) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(EnumDisplayModes)(DWORD, LPDDSURFACEDESC, LPVOID, LPDDENUMMODESCALLBACK) override
    {
        return DDERR_UNSUPPORTED;
    }
    STDMETHOD(EnumSurfaces)(DWORD, LPDDSURFACEDESC, LPVOID, LPDDENUMSURFACESCALLBACK) override
    {
        return DDERR_UNSUPPORTED;
    }
    STDMETHOD(FlipToGDISurface)() override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetCaps)(LPDDCAPS, LPDDCAPS) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetDisplayMode)(LPDDSURFACEDESC) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetFourCCCodes)(LPDWORD, LPDWORD) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetGDISurface)(LPDIRECTDRAWSURFACE*) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetMonitorFrequency)(LPDWORD rate) override
    {
        if (mode->refreshRate == 0 || rate == nullptr)
            return DDERR_UNSUPPORTED;
        *rate = mode->refreshRate;
        return DD_OK;
    }
    STDMETHOD(GetScanLine)(LPDWORD) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetVerticalBlankStatus)(WINBOOL*) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(Initialize)(GUID*) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(RestoreDisplayMode)() override { return DDERR_UNSUPPORTED; }
    STDMETHOD(SetCooperativeLevel)(HWND, DWORD flags) override
    {
        char what[64];
        std::snprintf(what, sizeof what, "device SetCooperativeLevel flags=%lu", flags);
        return Outcome(Step::cooperative, what);
    }
    STDMETHOD(SetDisplayMode)(DWORD, DWORD, DWORD) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(WaitForVerticalBlank)(DWORD, HANDLE) override
    {
        Log("device WaitForVerticalBlank");
        return DD_OK;
    }
};

FakeDevice device;

} // namespace

// With ORVELLE_FAKE_DDRAW=unloadable the library refuses to load, as on Windows 95 without DirectX,
// which has no ddraw.dll.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*);
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*)
{
    char name[16] = "";
    const DWORD length = GetEnvironmentVariableA("ORVELLE_FAKE_DDRAW", name, sizeof name);
    return reason != DLL_PROCESS_ATTACH || length >= sizeof name || std::strcmp(name, "unloadable") != 0;
}

extern "C" HRESULT WINAPI DirectDrawCreate(GUID*, LPDIRECTDRAW* created, IUnknown*)
{
    char name[64] = "";
    const DWORD length = GetEnvironmentVariableA("ORVELLE_FAKE_DDRAW", name, sizeof name);
    mode = &unknownMode;
    if (length > 0 && length < sizeof name) {
        for (const Mode& candidate : modes) {
            if (std::strcmp(candidate.name, name) == 0)
                mode = &candidate;
        }
    }
    if (mode == &unknownMode)
        Log("unknown mode \"%s\"", name);
    const HRESULT result = Outcome(Step::create, "DirectDrawCreate");
    if (created != nullptr)
        *created = result == DD_OK ? &device : nullptr;
    if (result == DD_OK)
        device.references.reset();
    return result;
}
