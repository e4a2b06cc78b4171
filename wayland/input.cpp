// The seat's input, turned into the show's events: a key pressed while a surface has the focus (keys already
// held when it came do not count), a button, a scroll, a touch, pointer travel. Which of them end the show is
// the hosts' common rule (EndsShow).
#include <unistd.h>

#include "wayland/wayland_host.h"

namespace {

// Ends the show when the rule says that event does.
void Report(ShowEvent event)
{
    WaylandHost& host = waylandHost;
    if (EndsShow(host.pointerOrigin, event))
        host.ending = true;
}

// --- keyboard: only a key pressed after the focus came; the keys held then arrive only in enter's list ---

void OnKeymap(void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t)
{
    close(fd);
}
void OnKeyboardEnter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
void OnKeyboardLeave(void*, wl_keyboard*, uint32_t, wl_surface*) {}
void OnKey(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t state)
{
    if (state == WL_KEYBOARD_KEY_STATE_PRESSED)
        Report({ShowEventKind::keyPressed});
}
void OnModifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void OnRepeatInfo(void*, wl_keyboard*, int32_t, int32_t) {}
const wl_keyboard_listener keyboardListener = {OnKeymap, OnKeyboardEnter, OnKeyboardLeave,
                                               OnKey,    OnModifiers,     OnRepeatInfo};

// --- pointer: travel in surface coordinates, measured from where it entered or last counted ---

void OnPointerEnter(void*, wl_pointer* pointer, uint32_t serial, wl_surface*, wl_fixed_t x, wl_fixed_t y)
{
    WaylandHost& host = waylandHost;
    wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0); // no cursor over the show
    // Each surface has coordinates of its own: travel is measured afresh in the surface entered.
    host.pointerPlaced = true;
    host.pointerOrigin = {wl_fixed_to_int(x), wl_fixed_to_int(y)};
}
void OnPointerLeave(void*, wl_pointer*, uint32_t, wl_surface*)
{
    waylandHost.pointerPlaced = false;
}
void OnMotion(void*, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y)
{
    WaylandHost& host = waylandHost;
    const ShowEvent moved = {ShowEventKind::pointerMoved, wl_fixed_to_int(x), wl_fixed_to_int(y)};
    if (host.pointerPlaced) {
        Report(moved);
        return;
    }
    host.pointerPlaced = true;
    host.pointerOrigin = {moved.x, moved.y};
}
void OnButton(void*, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state)
{
    if (state == WL_POINTER_BUTTON_STATE_PRESSED)
        Report({ShowEventKind::buttonPressed});
}
// A scroll by any amount, on either axis, is a turn of the wheel; one of none is not.
void OnAxis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t value)
{
    if (value != 0)
        Report({ShowEventKind::wheelTurned});
}
void OnPointerFrame(void*, wl_pointer*) {}
void OnAxisSource(void*, wl_pointer*, uint32_t) {}
void OnAxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
void OnAxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}
void OnAxisValue120(void*, wl_pointer*, uint32_t, int32_t) {} // version 8, never bound
const wl_pointer_listener pointerListener = {OnPointerEnter, OnPointerLeave, OnMotion,     OnButton,
                                             OnAxis,         OnPointerFrame, OnAxisSource, OnAxisStop,
                                             OnAxisDiscrete, OnAxisValue120};

// --- touch: any finger down ---

// A finger put on the screen is a press, as a button is: a touch has no earlier position to measure travel
// from (no pointer hovers over a touch screen), and putting the finger down is itself the deliberate act.
void OnTouchDown(void*, wl_touch*, uint32_t, uint32_t, wl_surface*, int32_t, wl_fixed_t, wl_fixed_t)
{
    Report({ShowEventKind::buttonPressed});
}
void OnTouchUp(void*, wl_touch*, uint32_t, uint32_t, int32_t) {}
void OnTouchMotion(void*, wl_touch*, uint32_t, int32_t, wl_fixed_t, wl_fixed_t) {}
void OnTouchFrame(void*, wl_touch*) {}
void OnTouchCancel(void*, wl_touch*) {}
void OnTouchShape(void*, wl_touch*, int32_t, wl_fixed_t, wl_fixed_t) {} // version 6, never bound
void OnTouchOrientation(void*, wl_touch*, int32_t, wl_fixed_t) {}
const wl_touch_listener touchListener = {OnTouchDown,   OnTouchUp,    OnTouchMotion,     OnTouchFrame,
                                         OnTouchCancel, OnTouchShape, OnTouchOrientation};

// --- the seat ---

template <typename Device>
void ReleaseDevice(Device*& device, void (*release)(Device*), void (*destroy)(Device*), uint32_t releaseSince)
{
    if (device == nullptr)
        return;
    if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(device)) >= releaseSince)
        release(device);
    else
        destroy(device);
    device = nullptr;
}

void ReleaseDevices()
{
    WaylandHost& host = waylandHost;
    ReleaseDevice(host.keyboard, wl_keyboard_release, wl_keyboard_destroy, WL_KEYBOARD_RELEASE_SINCE_VERSION);
    ReleaseDevice(host.pointer, wl_pointer_release, wl_pointer_destroy, WL_POINTER_RELEASE_SINCE_VERSION);
    ReleaseDevice(host.touch, wl_touch_release, wl_touch_destroy, WL_TOUCH_RELEASE_SINCE_VERSION);
    host.pointerPlaced = false;
}

// Only recorded: the frame loop's step (ApplySeatChanges) asks for the devices.
void OnCapabilities(void*, wl_seat*, uint32_t capabilities)
{
    WaylandHost& host = waylandHost;
    host.seatCapabilities = capabilities;
    host.capabilitiesDue = true;
}
void OnSeatName(void*, wl_seat*, const char*) {}
const wl_seat_listener seatListener = {OnCapabilities, OnSeatName};

// The devices the seat now has, each with its listener.
void TakeDevices()
{
    WaylandHost& host = waylandHost;
    ReleaseDevices();
    if ((host.seatCapabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0) {
        host.keyboard = wl_seat_get_keyboard(host.seat);
        wl_keyboard_add_listener(host.keyboard, &keyboardListener, nullptr);
    }
    if ((host.seatCapabilities & WL_SEAT_CAPABILITY_POINTER) != 0) {
        host.pointer = wl_seat_get_pointer(host.seat);
        wl_pointer_add_listener(host.pointer, &pointerListener, nullptr);
    }
    if ((host.seatCapabilities & WL_SEAT_CAPABILITY_TOUCH) != 0) {
        host.touch = wl_seat_get_touch(host.seat);
        wl_touch_add_listener(host.touch, &touchListener, nullptr);
    }
    host.capabilitiesDue = false;
}

} // namespace

// The first seat only: a saver ends on the input of the seat in front of it.
void AddSeat(uint32_t name, uint32_t version)
{
    WaylandHost& host = waylandHost;
    if (host.seat != nullptr)
        return;
    host.seatName = name;
    host.seat =
        static_cast<wl_seat*>(wl_registry_bind(host.registry, name, &wl_seat_interface, version < 5 ? version : 5));
    wl_seat_add_listener(host.seat, &seatListener, nullptr);
}

bool RemoveSeat(uint32_t name)
{
    WaylandHost& host = waylandHost;
    if (host.seat == nullptr || name != host.seatName)
        return false;
    host.seatGone = true;
    return true;
}

void ApplySeatChanges()
{
    WaylandHost& host = waylandHost;
    if (host.seatGone)
        ReleaseSeat();
    else if (host.seat != nullptr && host.capabilitiesDue)
        TakeDevices();
}

void ReleaseSeat()
{
    WaylandHost& host = waylandHost;
    if (host.seat == nullptr)
        return;
    ReleaseDevices();
    if (wl_seat_get_version(host.seat) >= WL_SEAT_RELEASE_SINCE_VERSION)
        wl_seat_release(host.seat);
    else
        wl_seat_destroy(host.seat);
    host.seat = nullptr;
    host.seatGone = false;
    host.capabilitiesDue = false;
}
