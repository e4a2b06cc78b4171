// The Wayland host: the one record of the connection, its globals and the outputs covered, and the
// procedures that set them up, draw on them, read the seat and take them down.
#pragma once

#include <cstddef>
#include <cstdint>
#include <wayland-client.h>

#include "host_rules/monitor_list.h"
#include "host_rules/show_ending.h"
#include "wayland/surface_geometry.h"

struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;
struct xdg_wm_base;
struct xdg_surface;
struct xdg_toplevel;
struct wp_viewporter;
struct wp_viewport;
struct wp_fractional_scale_manager_v1;
struct wp_fractional_scale_v1;

// One of an output's two buffers in its shared memory.
struct ShmBuffer {
    wl_buffer* buffer = nullptr;
    uint8_t* pixels = nullptr; // in the output's mapping
    bool busy = false;         // the compositor holds it until it releases it
};

// An output and the surface that covers it.
struct HostOutput {
    bool used = false;
    uint32_t name = 0; // the registry's name of the wl_output global
    wl_output* output = nullptr;
    int32_t modeWidth = 0; // the current mode and the transform as last said, applied at the done event
    int32_t modeHeight = 0;
    int32_t transform = 0;
    OutputScale scale;      // what the output and its surface have said
    bool described = false; // the output's first done event has come
    wl_surface* surface = nullptr;
    zwlr_layer_surface_v1* layerSurface = nullptr;
    xdg_surface* xdgSurface = nullptr;
    xdg_toplevel* toplevel = nullptr;
    wp_viewport* viewport = nullptr;
    wp_fractional_scale_v1* fractionalScale = nullptr;
    bool gone = false;            // the registry has taken the output away: let go of at the loop's next turn
    bool closed = false;          // the compositor has dropped the layer surface: it is not made again
    bool layoutDue = false;       // the output or its surface has said something new: the layout is worked out again
    bool configureDue = false;    // a configure waits to be acknowledged
    uint32_t configureSerial = 0; // the latest configure's
    bool configured = false;      // a configure has been acknowledged: buffers may be attached
    SurfaceLayout layout;         // of the buffers below
    uint8_t* memory = nullptr;    // the mapping of both buffers
    size_t memorySize = 0;
    ShmBuffer buffers[2];
    wl_callback* frameCallback = nullptr; // the compositor's call for the next frame, while waited for
    bool drawDue = false;                 // the compositor has asked for the next frame
    bool mustCommit = false;              // a configure or a new layout waits for a commit, frame asked for or not
    uint32_t shownFrame = 0;              // the number of the show's frame it shows
};

struct WaylandHost {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;
    xdg_wm_base* wmBase = nullptr;
    wp_viewporter* viewporter = nullptr;
    wp_fractional_scale_manager_v1* fractionalScaleManager = nullptr;
    bool useLayerShell = true; // false: fullscreen xdg-shell toplevels even where layer-shell is offered
    wl_seat* seat = nullptr;
    uint32_t seatName = 0;
    bool seatGone = false;         // the registry has taken the seat away
    uint32_t seatCapabilities = 0; // the devices the seat said it has
    bool capabilitiesDue = false;  // ... since the devices were last asked for
    wl_keyboard* keyboard = nullptr;
    wl_pointer* pointer = nullptr;
    wl_touch* touch = nullptr;
    bool pointerPlaced = false;    // the pointer is over a surface: its travel is measured from pointerOrigin
    PointerOrigin pointerOrigin{}; // in the coordinates of the surface it is over
    bool ending = false;           // user activity, or the compositor closing the window
    bool failed = false;           // a buffer could not be made
    bool tooManyOutputsSaid = false;
    HostOutput outputs[maxMonitors]; // the hosts' cap: outputs past it stay uncovered, said once on stderr
};

// The process's one host. The listeners write what the compositor says into it; the frame loop acts on it.
extern WaylandHost waylandHost;

// Connects to the display (the name, else $WAYLAND_SOCKET or $WAYLAND_DISPLAY, as libwayland chooses) and
// binds the globals; false, with one line on stderr, when it cannot or a needed global is missing.
bool OpenHost(const char* displayName);

// What the registry hands on: an output or a seat offered (bound here) or taken away (marked, let go of at
// the loop's next turn). RemoveSeat says whether the name was the seat's.
void AddOutput(uint32_t name, uint32_t version);
void RemoveOutput(uint32_t name);
void AddSeat(uint32_t name, uint32_t version);
bool RemoveSeat(uint32_t name);

// The frame loop's step, once per turn: acts on what the listeners marked since the last (surfaces made,
// configures acknowledged, buffers made, devices asked for, what went let go of).
void ApplyOutputChanges();
void ApplySeatChanges();

// Lets go of every output and the seat, when the host closes.
void ReleaseOutputs();
void ReleaseSeat();

// An output's two buffers, made for its layout in one memory file (false, said on stderr, when they cannot
// be), freed, and the one the compositor does not hold (none while the output is not ready for a frame).
bool MakeBuffers(HostOutput& output);
void FreeBuffers(HostOutput& output);
ShmBuffer* FreeBuffer(HostOutput& output);
// Copies the show's last frame into the buffer at the layout's place, unless it was drawn there.
void CopyLastPicture(const HostOutput& output, ShmBuffer& buffer);

// Where the show draws its next frame (640x480 xrgb8888 pixels, rows pitch bytes apart): the picture's
// place in a free buffer of a ready output that shows all of the picture, else memory of the host's own.
struct FrameCanvas {
    uint8_t* pixels;
    int32_t pitch;
};
FrameCanvas TakeFrameCanvas();

// Puts the show's last frame, numbered frame, on every output whose surface is ready for it; says whether
// any was.
bool PutDueOutputs(uint32_t frame);

// What the outputs whose surfaces are ready for a frame want, frame being the number of the show's last
// drawn frame: wantNext, an output already shows it; wantLast, an output does not yet (or must commit).
void OutputsReady(uint32_t frame, bool& wantNext, bool& wantLast);

// Releases every object and closes the connection.
void CloseHost();
