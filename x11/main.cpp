// orvelle: the show as an X11 program that XScreenSaver runs. It draws where it is told (its own window,
// the root window, XScreenSaver's window or one given by id), at most once per display refresh, sleeping
// in between, and ends cleanly on SIGTERM or SIGINT, when its window is destroyed, or, full screen, on
// user activity.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <poll.h>

#include "host_rules/frame_schedule.h"
#include "host_rules/number_reading.h"
#include "host_rules/show_ending.h"
#include "posix/host_process.h"
#include "x11/refresh_rate.h"
#include "x11/x11_host.h"

namespace {

bool ending = false;                  // user activity or the window manager's close
PointerOrigin pointerOrigin = {0, 0}; // where pointer travel is measured from, in full screen

// The frame schedule's clock: microseconds of the monotonic clock, wrapping modulo 2^32.
uint32_t MonotonicMicroseconds()
{
    return static_cast<uint32_t>(MonotonicNs() / 1000u);
}

// The user activity an X event reports, as the show's event; false for an event that reports none. Buttons
// 4 to 7 are the wheel's.
bool ActivityEvent(const XEvent& event, ShowEvent& activity)
{
    switch (event.type) {
    case KeyPress: activity = {ShowEventKind::keyPressed}; return true;
    case ButtonPress:
        activity = {event.xbutton.button >= 4 && event.xbutton.button <= 7 ? ShowEventKind::wheelTurned
                                                                           : ShowEventKind::buttonPressed};
        return true;
    case MotionNotify:
        activity = {ShowEventKind::pointerMoved, event.xmotion.x_root, event.xmotion.y_root};
        return true;
    default: return false;
    }
}

// The window's own events: its size, its exposure, its end.
void HandleWindowEvent(const XEvent& event, bool& bordersDue)
{
    X11Host& host = x11Host;
    switch (event.type) {
    case Expose: bordersDue = true; break;
    case ConfigureNotify:
        if (event.xconfigure.window == host.window &&
            (event.xconfigure.width != host.width || event.xconfigure.height != host.height)) {
            host.width = event.xconfigure.width;
            host.height = event.xconfigure.height;
            bordersDue = true;
        }
        break;
    case DestroyNotify:
        if (event.xdestroywindow.window == host.window)
            host.windowGone = true;
        break;
    case ClientMessage:
        if (host.ownsWindow && Atom(event.xclient.data.l[0]) == host.deleteWindowAtom)
            ending = true;
        break;
    default: break;
    }
}

void HandleEvent(const XEvent& event, bool& bordersDue)
{
    X11Host& host = x11Host;
    if (event.type == host.shmCompletionType) {
        host.putPending = false;
        return;
    }
    ShowEvent activity = {ShowEventKind::none};
    if (ActivityEvent(event, activity))
        ending = ending || EndsShow(pointerOrigin, activity);
    else
        HandleWindowEvent(event, bordersDue);
}

// What the pump keeps from one turn to the next.
struct PumpState {
    FrameSchedule schedule;
    uint32_t frameNumber;
    bool bordersDue;
};

// Draws and puts the next frame, or the borders alone, when one is due and the server has read the last
// put; true when something was put.
bool PutDuePicture(const HostOptions& options, PumpState& pump, bool held, uint32_t now)
{
    if (x11Host.putPending)
        return false;
    if (!held && FrameDue(pump.schedule, now)) {
        ++pump.frameNumber;
        DrawPicture(FrameTick(options.common, pump.frameNumber));
        PutPicture(pump.bordersDue);
        pump.bordersDue = false;
        return true;
    }
    if (!pump.bordersDue)
        return false;
    PutPicture(true);
    pump.bordersDue = false;
    return true;
}

// Sleeps until an event, the next frame or a signal; waiting on a put or a held picture, without end. False
// when the wait failed.
bool SleepUntilDue(pollfd& connection, const FrameSchedule& schedule, bool waitForFrame, uint32_t now)
{
    timespec timeout = {};
    const uint32_t wait = TimeUntilFrame(schedule, now);
    timeout.tv_sec = time_t(wait / 1000000u);
    timeout.tv_nsec = long(wait % 1000000u) * 1000;
    // Flushing can read events into Xlib's queue, where ppoll would not see them: XPending flushes and
    // says whether any came, and nothing touches the connection between it and the sleep.
    if (XPending(x11Host.display) > 0)
        return true;
    return ppoll(&connection, 1, waitForFrame ? &timeout : nullptr, &waitMask) >= 0 || errno == EINTR;
}

// Frames until the show ends: each drawn as the frame pump draws it and put as soon as the server has read
// the previous one, as the frame schedule allows; in between the program sleeps in ppoll, woken by X
// events, the next frame's time, or an ending signal. With a fixed tick (tests) frame i is drawn at
// i * tickMs of the show's clock, else at the monotonic tick's time since the show's start, and with a
// frame limit the picture stays at the last frame.
void RunFramePump(const HostOptions& options)
{
    Display* display = x11Host.display;
    const uint32_t rate = DisplayRefreshRate(display, RootWindow(display, x11Host.screen));
    PumpState pump = {StartFrameSchedule(rate, MonotonicMicroseconds()), 0, true};
    pollfd connection = {ConnectionNumber(display), POLLIN, 0};
    while (true) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            HandleEvent(event, pump.bordersDue);
        }
        if (ending || x11Host.windowGone || endSignal != 0)
            return;
        const bool held = FrameHeld(options.common, pump.frameNumber);
        const uint32_t now = MonotonicMicroseconds();
        if (PutDuePicture(options, pump, held, now))
            continue;
        if (!SleepUntilDue(connection, pump.schedule, !held && !x11Host.putPending, now))
            return;
    }
}

// XScreenSaver names its window in XSCREENSAVER_WINDOW and passes -root (or nothing); a placement of one's
// own wins. False, said on stderr, when the variable names no window.
bool TakeSaverWindow(HostOptions& options)
{
    const char* saverWindow = std::getenv("XSCREENSAVER_WINDOW");
    if (saverWindow == nullptr || saverWindow[0] == '\0' ||
        (options.placementGiven && options.placement != Placement::root))
        return true;
    if (!ReadWindowId(saverWindow, options.windowId)) {
        std::fprintf(stderr, "orvelle: XSCREENSAVER_WINDOW is not a window id: %s\n", saverWindow);
        return false;
    }
    options.placement = Placement::windowId;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    CatchEndSignals();

    HostOptions options;
    if (const int status = TakeCommandLine(argc, argv, x11FrontEnd, &options, options.common); status >= 0)
        return status;
    if (!TakeSaverWindow(options))
        return 1;

    if (!OpenHost(options.common.displayName))
        return 1;
    if (!SetupHostWindow(options.placement, options.windowId)) {
        CloseHost(true);
        return 1;
    }
    // The show's clock starts at the end of the set-up; frames are timed from that tick.
    if (!SetupFrameImage(MonotonicTick())) {
        CloseHost(true);
        return 1;
    }
    if (options.placement == Placement::fullScreen) {
        Window root, child;
        int windowX, windowY;
        unsigned int buttons;
        XQueryPointer(x11Host.display, x11Host.window, &root, &child, &pointerOrigin.x, &pointerOrigin.y, &windowX,
                      &windowY, &buttons);
    }
    RunFramePump(options);
    // Ended by a signal, it goes at once: a server that does not answer (stopped, hung) must not keep it.
    CloseHost(endSignal == 0);
    if (endSignal != 0)
        EndBySignal(endSignal);
    return 0;
}
