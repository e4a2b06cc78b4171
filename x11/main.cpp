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

#include "host_rules/pointer_travel.h"
#include "x11/refresh_rate.h"
#include "x11/x11_host.h"

namespace {

volatile sig_atomic_t endSignal = 0; // SIGTERM or SIGINT once one has come
sigset_t waitMask;                   // the signal mask while waiting: the ending signals let through
bool ending = false;                 // user activity or the window manager's close
int32_t lastPointerX = 0;            // where pointer travel is measured from, in full screen
int32_t lastPointerY = 0;

void OnEndSignal(int signal)
{
    endSignal = signal;
}

// The ending signals are blocked everywhere but in the wait, so that none is lost between the check and
// the sleep, and no X call is interrupted.
void CatchEndSignals()
{
    sigset_t ends;
    sigemptyset(&ends);
    sigaddset(&ends, SIGTERM);
    sigaddset(&ends, SIGINT);
    sigprocmask(SIG_BLOCK, &ends, &waitMask);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGINT);
    struct sigaction action = {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

uint64_t MonotonicNs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint64_t(now.tv_sec) * 1000000000u + uint64_t(now.tv_nsec);
}

// Ends the process by the signal's default action, as a program that does not catch it ends, so that whoever
// sent it (XScreenSaver, a shell) sees the end it asked for: the exit status of a death by that signal.
[[noreturn]] void EndBySignal(int signal)
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
    std::_Exit(128 + signal); // not reached: the signal has ended the process
}

// Writes an answer to stdout; one that cannot be written (a full disk, a closed pipe) is a failure.
int Answer(const char* text)
{
    if (std::fputs(text, stdout) < 0 || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "orvelle: cannot write to standard output: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}

// The host's tick: milliseconds of the monotonic clock, wrapping modulo 2^32 like the Windows tick count.
uint32_t MonotonicTick()
{
    return static_cast<uint32_t>(MonotonicNs() / 1000000u);
}

void HandleEvent(const XEvent& event, bool& bordersDue)
{
    X11Host& host = x11Host;
    if (event.type == host.shmCompletionType) {
        host.putPending = false;
        return;
    }
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
    case KeyPress:
    case ButtonPress: ending = true; break;
    case MotionNotify:
        if (IsPastMouseThreshold(lastPointerX, lastPointerY, event.xmotion.x_root, event.xmotion.y_root))
            ending = true;
        break;
    default: break;
    }
}

// Frames until the show ends: each drawn as the frame pump draws it and put as soon as the server has read
// the previous one, at most one per refresh period; in between the program sleeps in ppoll, woken by X
// events, the next frame's time, or an ending signal. With a fixed tick (tests) frame i is drawn at
// i * tickMs of the show's clock, else at the monotonic tick less startTick (the show's start), and with a
// frame limit the picture stays at the last frame.
void RunFramePump(const HostOptions& options, uint32_t startTick)
{
    X11Host& host = x11Host;
    Display* display = host.display;
    const uint64_t period = 1000000000u / DisplayRefreshRate(display, RootWindow(display, host.screen));
    uint32_t frameNumber = 0;
    uint64_t nextFrame = MonotonicNs();
    bool bordersDue = true;
    pollfd connection = {ConnectionNumber(display), POLLIN, 0};

    while (true) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            HandleEvent(event, bordersDue);
        }
        if (ending || host.windowGone || endSignal != 0)
            return;

        const bool held = options.frames != 0 && frameNumber >= options.frames;
        const uint64_t now = MonotonicNs();
        if (!host.putPending) {
            if (!held && now >= nextFrame) {
                ++frameNumber;
                DrawPicture(options.tickMs != 0 ? frameNumber * options.tickMs : MonotonicTick() - startTick);
                PutPicture(bordersDue);
                bordersDue = false;
                // A late frame moves the schedule rather than being caught up with a burst.
                nextFrame += period;
                if (nextFrame <= now)
                    nextFrame = now + period;
                continue;
            }
            if (bordersDue) {
                PutPicture(true);
                bordersDue = false;
                continue;
            }
        }

        // Sleep until an event, the next frame or a signal; waiting on a put or a held picture, without end.
        timespec timeout = {};
        const bool waitForFrame = !held && !host.putPending;
        if (waitForFrame) {
            const uint64_t wait = nextFrame - now;
            timeout.tv_sec = time_t(wait / 1000000000u);
            timeout.tv_nsec = long(wait % 1000000000u);
        }
        // Flushing can read events into Xlib's queue, where ppoll would not see them: XPending flushes and
        // says whether any came, and nothing touches the connection between it and the sleep.
        if (XPending(display) > 0)
            continue;
        if (ppoll(&connection, 1, waitForFrame ? &timeout : nullptr, &waitMask) < 0 && errno != EINTR)
            return;
    }
}

} // namespace

int main(int argc, char** argv)
{
    CatchEndSignals();

    HostOptions options;
    char message[256];
    switch (ReadHostOptions(argc, argv, options, message, sizeof message)) {
    case OptionsResult::help: return Answer(hostUsage);
    case OptionsResult::version: {
        char version[64];
        std::snprintf(version, sizeof version, "orvelle %s\n", hostVersion);
        return Answer(version);
    }
    case OptionsResult::error: std::fprintf(stderr, "orvelle: %s\n", message); return 2;
    case OptionsResult::run: break;
    }
    // XScreenSaver names its window here and passes -root (or nothing); a placement of one's own wins.
    const char* saverWindow = std::getenv("XSCREENSAVER_WINDOW");
    if (saverWindow != nullptr && saverWindow[0] != '\0' &&
        (!options.placementGiven || options.placement == Placement::root)) {
        if (!ReadWindowId(saverWindow, options.windowId)) {
            std::fprintf(stderr, "orvelle: XSCREENSAVER_WINDOW is not a window id: %s\n", saverWindow);
            return 1;
        }
        options.placement = Placement::windowId;
    }

    if (!OpenHostDisplay(options.displayName))
        return 1;
    if (!SetUpHostWindow(options.placement, options.windowId)) {
        CloseHost(true);
        return 1;
    }
    // The show's clock starts at the end of the set-up; frames are timed from startTick.
    const uint32_t startTick = MonotonicTick();
    if (!SetUpFrameImage(startTick)) {
        CloseHost(true);
        return 1;
    }
    if (options.placement == Placement::fullScreen) {
        Window root, child;
        int windowX, windowY;
        unsigned int buttons;
        XQueryPointer(x11Host.display, x11Host.window, &root, &child, &lastPointerX, &lastPointerY, &windowX, &windowY,
                      &buttons);
    }
    RunFramePump(options, startTick);
    // Ended by a signal, it goes at once: a server that does not answer (stopped, hung) must not keep it.
    CloseHost(endSignal == 0);
    if (endSignal != 0)
        EndBySignal(endSignal);
    return 0;
}
