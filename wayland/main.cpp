// orvelle-wayland: the show as a Wayland screen saver. It covers every output with a surface above
// everything (a layer-shell overlay, or a fullscreen xdg-shell window where the compositor has no layer
// shell), black with the picture centred 1:1 in device pixels, draws a frame when the compositor asks for
// one, sleeps in between, and ends on user activity, SIGTERM or SIGINT.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <poll.h>

#include "host_rules/pointer_travel.h"
#include "posix/front_end.h"
#include "posix/host_process.h"
#include "show/pixel_format.h"
#include "show/screen_geometry.h"
#include "show/show_host.h"
#include "wayland/wayland_host.h"

namespace {

// The Wayland saver's command line.
struct WaylandOptions {
    bool xdgShell = false; // --xdg-shell: fullscreen windows even where the compositor offers the layer shell
    CommonOptions common;  // --display, else the environment's; the test clock
};

constexpr HostOption ownOptions[] = {{"xdg-shell", false}};

bool TakeOwnOption(void* record, int, const char*)
{
    static_cast<WaylandOptions*>(record)->xdgShell = true;
    return true;
}

const HostFrontEnd waylandFrontEnd = {
    "orvelle-wayland",
    ORVELLE_WAYLAND_VERSION,
    "Orvelle's night scene as a Wayland screen saver: every output covered, black, with a 640x480\n"
    "picture centred, until a key, a click, a touch or a mouse movement of more than 4 pixels.\n",
    "  --display NAME      the Wayland display to use (default: $WAYLAND_SOCKET, a connection handed\n"
    "                      over by a screen locker, else $WAYLAND_DISPLAY, else wayland-0)\n"
    "  --xdg-shell         fullscreen windows even where the compositor offers the layer shell\n",
    "It covers each output with a layer-shell surface on the overlay layer (sway, labwc, river,\n"
    "Hyprland, KDE Plasma), else with a fullscreen xdg-shell window on each output (GNOME).\n"
    "Without a seat (a locker's sub-process) it runs until it is ended. SIGTERM and SIGINT end it;\n"
    "a compositor that goes away ends it with exit status 1.\n"
    "\n"
    "Started when the desktop is idle, by swayidle:\n"
    "  swayidle -w timeout 300 'orvelle-wayland'\n"
    "As the picture of a screen locker that runs a saver as its sub-process:\n"
    "  swayidle -w timeout 300 'swaylock-plugin --command orvelle-wayland'\n",
    {ownOptions, 1, TakeOwnOption},
};

static_assert(screenGeometry.width == 640 && screenGeometry.height == 480);
static_assert(mouseThreshold == 4, "the usage text says how far the mouse may move");

// Why the connection failed, in one line.
void SayConnectionLost()
{
    wl_display* display = waylandHost.display;
    const int error = wl_display_get_error(display);
    const wl_interface* interface = nullptr;
    uint32_t id = 0;
    if (error == EPROTO) {
        const uint32_t code = wl_display_get_protocol_error(display, &interface, &id);
        std::fprintf(stderr, "orvelle-wayland: the compositor refused a request: error %u on %s\n", code,
                     interface != nullptr ? interface->name : "an unknown object");
        return;
    }
    std::fprintf(stderr, "orvelle-wayland: the connection to the compositor was lost: %s\n",
                 std::strerror(error != 0 ? error : EPIPE));
}

// Sleeps until the compositor sends something or a signal comes, then reads and dispatches what came.
// False when the connection is lost.
bool WaitAndDispatch()
{
    wl_display* display = waylandHost.display;
    while (wl_display_prepare_read(display) != 0)
        if (wl_display_dispatch_pending(display) < 0)
            return false;
    // Requests the socket cannot take yet are sent when it can.
    short events = POLLIN;
    if (wl_display_flush(display) < 0) {
        if (errno != EAGAIN) {
            wl_display_cancel_read(display);
            return false;
        }
        events |= POLLOUT;
    }
    pollfd connection = {wl_display_get_fd(display), events, 0};
    if (ppoll(&connection, 1, nullptr, &waitMask) < 0) {
        wl_display_cancel_read(display);
        return errno == EINTR;
    }
    if ((connection.revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
        if (wl_display_read_events(display) < 0)
            return false;
    } else {
        wl_display_cancel_read(display);
    }
    return wl_display_dispatch_pending(display) >= 0;
}

// Frames until the show ends. Each turn first acts on what the compositor said since the last (the listeners
// only record it); then, when an output that shows the show's last frame is ready for another, the show draws
// the next (at the monotonic tick's time since the show's start, or with a fixed tick at frameNumber *
// tickMs), and the last frame is put on every ready output that does not show it yet. So the show draws once per
// refresh of its fastest output, however many outputs there are; a held picture (the frame limit reached)
// is still put on outputs that have not shown it. The compositor's frame callbacks are the schedule: one per
// refresh it shows the surface at, none for a hidden one, never a backlog, so the host keeps no timer of its
// own. Returns the exit status: 0 for user activity or a signal, 1 for a lost connection or a failure.
int RunFramePump(const CommonOptions& options)
{
    WaylandHost& host = waylandHost;
    uint32_t frameNumber = 0;
    while (true) {
        ApplySeatChanges();
        ApplyOutputChanges();
        if (host.ending || endSignal != 0)
            return 0;
        if (host.failed)
            return 1;
        const bool held = FrameHeld(options, frameNumber);
        bool wantNext, wantLast;
        OutputsReady(frameNumber, wantNext, wantLast);
        // The first frame is drawn before anything is put, so that no output starts with a blank picture.
        if (!held && (wantNext || (wantLast && frameNumber == 0))) {
            ++frameNumber;
            const FrameCanvas canvas = TakeFrameCanvas();
            ClearShowFrame(canvas.pixels, canvas.pitch);
            DrawShowFrame(canvas.pixels, canvas.pitch, FrameTick(options, frameNumber));
            wantLast = true;
        }
        if (wantLast && PutDueOutputs(frameNumber))
            continue;
        if (!WaitAndDispatch()) {
            SayConnectionLost();
            return 1;
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    CatchEndSignals();
    WaylandOptions options;
    if (const int status = TakeCommandLine(argc, argv, waylandFrontEnd, &options, options.common); status >= 0)
        return status;
    waylandHost.useLayerShell = !options.xdgShell;
    if (!OpenHost(options.common.displayName)) {
        CloseHost();
        return 1;
    }
    // The show's clock starts at the end of the set-up; frames are timed from that tick.
    StartShow(xrgb8888Format, MonotonicTick());
    const int status = RunFramePump(options.common);
    CloseHost();
    if (endSignal != 0)
        EndBySignal(endSignal);
    return status;
}
