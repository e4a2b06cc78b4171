// The connection and the window: where the picture goes, the visual's pixel format, the colour cube's
// colormap, and taking it all down again.
#include <X11/Xmd.h> // the protocol types that shmproto.h uses
#include <X11/Xutil.h>
#include <X11/extensions/shmproto.h>
#include <cstdio>
#include <cstdlib>
#include <sys/shm.h>

#include "show/screen_geometry.h"
#include "x11/x11_host.h"

X11Host x11Host;

namespace {

const char* const visualClassNames[] = {"StaticGray",  "GrayScale", "StaticColor",
                                        "PseudoColor", "TrueColor", "DirectColor"};

// X errors are never printed: the ones that come are about a window destroyed under the program, which
// ends it quietly, or answer a request whose result is checked where it is made.
int OnXError(Display*, XErrorEvent* error)
{
    X11Host& host = x11Host;
    if ((error->error_code == BadWindow || error->error_code == BadDrawable) && error->resourceid == host.window &&
        host.window != 0)
        host.windowGone = true;
    if (error->request_code == host.shmOpcode && error->minor_code == X_ShmAttach)
        host.shmRefused = true;
    if (error->request_code == host.shmOpcode && error->minor_code == X_ShmPutImage)
        host.putPending = false; // no completion event follows a failed put
    return 0;
}

int OnXIOError(Display*)
{
    std::fputs("orvelle: lost the connection to the X display\n", stderr);
    std::exit(1);
}

// Bits per pixel of the server's images of this depth; 0 if it has none.
int BitsPerPixel(Display* display, int depth)
{
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
    int bits = 0;
    for (int i = 0; i < count; ++i)
        if (formats[i].depth == depth)
            bits = formats[i].bits_per_pixel;
    if (formats != nullptr)
        XFree(formats);
    return bits;
}

// The show's pixel format for a visual: TrueColor as the visual packs it, or the colour cube on an 8-bit
// PseudoColor visual. Other visuals cannot be served.
bool FormatForVisual(Display* display, Visual* visual, int depth, PixelFormat& format)
{
    const int bits = BitsPerPixel(display, depth);
    if (visual->c_class == TrueColor && (bits == 8 || bits == 16 || bits == 24 || bits == 32)) {
        const uint32_t red = uint32_t(visual->red_mask), green = uint32_t(visual->green_mask),
                       blue = uint32_t(visual->blue_mask);
        // A 32-bit visual keeps alpha in the bits the colours leave free: the format sets them in every pixel,
        // so the picture is opaque.
        format = MakePixelFormat(uint32_t(bits / 8), red, green, blue, depth == 32 ? ~(red | green | blue) : 0);
        return true;
    }
    if (visual->c_class == PseudoColor && depth == 8 && bits == 8 && visual->map_entries == 256) {
        format = colourCubeFormat;
        return true;
    }
    return false;
}

void ReportVisual(Visual* visual, int depth)
{
    const int visualClass = visual->c_class;
    std::fprintf(stderr, "orvelle: cannot draw on a %s visual of depth %d (TrueColor or 8-bit PseudoColor needed)\n",
                 visualClass >= 0 && visualClass <= DirectColor ? visualClassNames[visualClass] : "unknown", depth);
}

// A colormap of the host's visual, on the screen of window, holding the colour cube.
void CreateColourCube(Window window)
{
    X11Host& host = x11Host;
    host.colormap = XCreateColormap(host.display, window, host.visual, AllocAll);
    XColor colours[256];
    for (uint32_t i = 0; i < 256; ++i) {
        // The same colours the Windows display loads into its palette, as 16-bit X intensities.
        const Colour colour = colourCubeFormat.unpack(i);
        colours[i].pixel = i;
        colours[i].red = static_cast<unsigned short>(colour.red * 257);
        colours[i].green = static_cast<unsigned short>(colour.green * 257);
        colours[i].blue = static_cast<unsigned short>(colour.blue * 257);
        colours[i].flags = DoRed | DoGreen | DoBlue;
    }
    XStoreColors(host.display, host.colormap, colours, 256);
}

bool UsesColourCube()
{
    return x11Host.visual->c_class == PseudoColor;
}

// The visual for a window of its own: the screen's default when the show can use it, else the deepest
// TrueColor one, else 8-bit PseudoColor.
bool ChooseOwnVisual()
{
    X11Host& host = x11Host;
    Visual* visual = DefaultVisual(host.display, host.screen);
    const int depth = DefaultDepth(host.display, host.screen);
    if (FormatForVisual(host.display, visual, depth, host.format)) {
        host.visual = visual;
        host.depth = depth;
        return true;
    }
    constexpr struct {
        int depth;
        int visualClass;
    } candidates[] = {{24, TrueColor}, {16, TrueColor}, {15, TrueColor}, {8, PseudoColor}};
    for (const auto& candidate : candidates) {
        XVisualInfo info;
        if (XMatchVisualInfo(host.display, host.screen, candidate.depth, candidate.visualClass, &info) != 0 &&
            FormatForVisual(host.display, info.visual, info.depth, host.format)) {
            host.visual = info.visual;
            host.depth = info.depth;
            return true;
        }
    }
    ReportVisual(visual, depth);
    return false;
}

// Over everything, undecorated, without a pointer; user activity ends it.
void AskForFullScreen(XSetWindowAttributes& attributes, unsigned long& mask, long& events)
{
    X11Host& host = x11Host;
    Display* display = host.display;
    static char blankBits[1] = {0};
    const Pixmap blank = XCreateBitmapFromData(display, RootWindow(display, host.screen), blankBits, 1, 1);
    XColor black = {};
    host.blankCursor = XCreatePixmapCursor(display, blank, blank, &black, &black, 0, 0);
    XFreePixmap(display, blank);
    attributes.override_redirect = True;
    attributes.cursor = host.blankCursor;
    mask |= CWOverrideRedirect | CWCursor;
    events |= KeyPressMask | ButtonPressMask | PointerMotionMask;
    host.width = DisplayWidth(display, host.screen);
    host.height = DisplayHeight(display, host.screen);
}

// The window's name, class and the window manager's close.
void NameOwnWindow()
{
    X11Host& host = x11Host;
    static char name[] = "Orvelle";
    static char resourceName[] = "orvelle";
    XStoreName(host.display, host.window, name);
    XClassHint classHint = {resourceName, name};
    XSetClassHint(host.display, host.window, &classHint);
    host.deleteWindowAtom = XInternAtom(host.display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(host.display, host.window, &host.deleteWindowAtom, 1);
}

// Keys and the pointer come here whatever has the focus; failing grabs leave the window's own events.
void GrabInput()
{
    X11Host& host = x11Host;
    XSync(host.display, False);
    XGrabKeyboard(host.display, host.window, True, GrabModeAsync, GrabModeAsync, CurrentTime);
    XGrabPointer(host.display, host.window, True, ButtonPressMask | PointerMotionMask, GrabModeAsync, GrabModeAsync,
                 None, host.blankCursor, CurrentTime);
}

bool CreateOwnWindow(bool fullScreen)
{
    X11Host& host = x11Host;
    Display* display = host.display;
    const Window root = RootWindow(display, host.screen);
    if (!ChooseOwnVisual())
        return false;

    XSetWindowAttributes attributes = {};
    unsigned long mask = CWBackPixel | CWBorderPixel | CWColormap;
    attributes.background_pixel = 0;
    attributes.border_pixel = 0;
    if (UsesColourCube())
        CreateColourCube(root);
    else if (host.visual != DefaultVisual(display, host.screen))
        host.colormap = XCreateColormap(display, root, host.visual, AllocNone);
    attributes.colormap = host.colormap != 0 ? host.colormap : DefaultColormap(display, host.screen);

    long events = ExposureMask | StructureNotifyMask;
    // Full screen, or the picture one to one.
    host.width = screenGeometry.width;
    host.height = screenGeometry.height;
    if (fullScreen)
        AskForFullScreen(attributes, mask, events);
    attributes.event_mask = events;
    mask |= CWEventMask;
    host.window = XCreateWindow(display, root, 0, 0, unsigned(host.width), unsigned(host.height), 0, host.depth,
                                InputOutput, host.visual, mask, &attributes);
    host.ownsWindow = true;
    NameOwnWindow();
    XMapRaised(display, host.window);
    if (fullScreen)
        GrabInput();
    // Without a window manager nobody else would install it.
    if (UsesColourCube())
        XInstallColormap(display, host.colormap);
    return true;
}

// The root window or a window that someone else made: its visual decides the format.
bool UseForeignWindow(Window window)
{
    X11Host& host = x11Host;
    Display* display = host.display;
    XWindowAttributes attributes;
    host.window = window;
    if (XGetWindowAttributes(display, window, &attributes) == 0) {
        std::fprintf(stderr, "orvelle: there is no window 0x%lx\n", window);
        host.window = 0;
        return false;
    }
    if (attributes.c_class == InputOnly) {
        std::fprintf(stderr, "orvelle: window 0x%lx is input-only\n", window);
        return false;
    }
    host.screen = XScreenNumberOfScreen(attributes.screen);
    host.visual = attributes.visual;
    host.depth = attributes.depth;
    host.width = attributes.width;
    host.height = attributes.height;
    if (!FormatForVisual(display, host.visual, host.depth, host.format)) {
        ReportVisual(host.visual, host.depth);
        return false;
    }
    // Only what any number of clients may select: input stays with the window's owner.
    XSelectInput(display, window, ExposureMask | StructureNotifyMask);
    if (UsesColourCube()) {
        host.previousColormap = attributes.colormap;
        CreateColourCube(window);
        XSetWindowColormap(display, window, host.colormap);
        XInstallColormap(display, host.colormap);
    }
    return true;
}

} // namespace

bool OpenHost(const char* displayName)
{
    X11Host& host = x11Host;
    host.display = XOpenDisplay(displayName);
    if (host.display == nullptr) {
        const char* name = XDisplayName(displayName);
        std::fprintf(stderr, "orvelle: cannot open display '%s'\n", name != nullptr ? name : "");
        return false;
    }
    XSetErrorHandler(OnXError);
    XSetIOErrorHandler(OnXIOError);
    host.screen = DefaultScreen(host.display);
    return true;
}

bool SetupHostWindow(Placement placement, unsigned long windowId)
{
    X11Host& host = x11Host;
    bool ready = false;
    switch (placement) {
    case Placement::ownWindow: ready = CreateOwnWindow(false); break;
    case Placement::fullScreen: ready = host.spansMonitors = CreateOwnWindow(true); break;
    case Placement::root: ready = host.spansMonitors = UseForeignWindow(RootWindow(host.display, host.screen)); break;
    case Placement::windowId: ready = UseForeignWindow(windowId); break;
    }
    if (!ready)
        return false;
    XGCValues values = {};
    values.foreground = host.format.pack(0, 0, 0);
    values.graphics_exposures = False;
    host.gc = XCreateGC(host.display, host.window, GCForeground | GCGraphicsExposures, &values);
    return true;
}

void CloseHost(bool waitForServer)
{
    X11Host& host = x11Host;
    Display* display = host.display;
    if (display == nullptr)
        return;
    if (host.usesShm) {
        XShmDetach(display, &host.shm);
        // The server must be done with the segment before it goes from this side; without waiting, the
        // server detaches it anyway when the connection closes.
        if (waitForServer)
            XSync(display, False);
        shmdt(host.shm.shmaddr);
    }
    if (host.image != nullptr) {
        host.image->data = nullptr; // static or shared memory, not Xlib's to free
        XDestroyImage(host.image);
    }
    if (host.gc != nullptr)
        XFreeGC(display, host.gc);
    if (!host.windowGone && host.window != 0) {
        if (host.ownsWindow)
            XDestroyWindow(display, host.window);
        else if (host.previousColormap != 0)
            XSetWindowColormap(display, host.window, host.previousColormap);
        // The desktop gets its own background back; other people's windows are theirs to repaint.
        if (host.window == RootWindow(display, host.screen))
            XClearWindow(display, host.window);
    }
    if (host.colormap != 0)
        XFreeColormap(display, host.colormap);
    if (host.blankCursor != 0)
        XFreeCursor(display, host.blankCursor);
    // Closing the display waits for the server's answer. Without waiting the requests are only sent: the
    // server carries them out when it next runs, and frees everything else of this connection when the
    // process is gone.
    if (waitForServer)
        XCloseDisplay(display);
    else
        XFlush(display);
    host.display = nullptr;
}
