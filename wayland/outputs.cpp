// The outputs orvelle-wayland covers: the registry's globals, a surface on each output (a layer surface on
// the overlay layer, or a fullscreen xdg-shell toplevel), its two shared-memory buffers, and the frames put
// on it when the compositor asks for them.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

#include "fractional-scale-v1-client-protocol.h"
#include "show/screen_geometry.h"
#include "viewporter-client-protocol.h"
#include "wayland/wayland_host.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

WaylandHost waylandHost;

namespace {

constexpr uint32_t bytesPerPixel = 4; // wl_shm's xrgb8888, which every compositor offers: the show's 32-bit format

// The show's last frame: drawn straight into a buffer of an output that shows the whole picture, so that
// that output needs no copy, or else here; kept here when the buffer it is in goes.
alignas(16) uint8_t keptPicture[640 * 480 * bytesPerPixel];
constexpr int32_t keptPitch = 640 * int32_t(bytesPerPixel);
const uint8_t* lastPicture = keptPicture;
int32_t lastPitch = keptPitch;

void UpdateLayout(HostOutput& output);
void DropSurface(HostOutput& output);

// --- buffers ---------------------------------------------------------------------------------------------

void OnBufferRelease(void* data, wl_buffer*)
{
    static_cast<ShmBuffer*>(data)->busy = false;
}
const wl_buffer_listener bufferListener = {OnBufferRelease};

void FreeBuffers(HostOutput& output)
{
    if (output.memory != nullptr && lastPicture >= output.memory && lastPicture < output.memory + output.memorySize) {
        for (int32_t row = 0; row < screenGeometry.height; ++row)
            std::memcpy(keptPicture + row * keptPitch, lastPicture + size_t(row) * size_t(lastPitch), keptPitch);
        lastPicture = keptPicture;
        lastPitch = keptPitch;
    }
    for (ShmBuffer& buffer : output.buffers) {
        if (buffer.buffer != nullptr)
            wl_buffer_destroy(buffer.buffer);
        buffer = ShmBuffer{};
    }
    if (output.memory != nullptr)
        munmap(output.memory, output.memorySize);
    output.memory = nullptr;
    output.memorySize = 0;
}

// Two buffers of the layout's size in one memory file. The file starts zeroed, which in xrgb8888 is the
// show's black, so the borders are black once and for all; frames write only the picture's rectangle.
bool MakeBuffers(HostOutput& output)
{
    FreeBuffers(output);
    const SurfaceLayout& layout = output.layout;
    const int32_t stride = layout.bufferWidth * int32_t(bytesPerPixel);
    const size_t bufferSize = size_t(stride) * size_t(layout.bufferHeight);
    const int fd = memfd_create("orvelle-wayland", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, off_t(bufferSize * 2)) != 0) {
        std::fprintf(stderr, "orvelle-wayland: cannot make a buffer of %dx%d: %s\n", layout.bufferWidth,
                     layout.bufferHeight, std::strerror(errno));
        if (fd >= 0)
            close(fd);
        return false;
    }
    void* memory = mmap(nullptr, bufferSize * 2, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED) {
        std::fprintf(stderr, "orvelle-wayland: cannot map a buffer of %dx%d: %s\n", layout.bufferWidth,
                     layout.bufferHeight, std::strerror(errno));
        close(fd);
        return false;
    }
    output.memory = static_cast<uint8_t*>(memory);
    output.memorySize = bufferSize * 2;
    wl_shm_pool* pool = wl_shm_create_pool(waylandHost.shm, fd, int32_t(bufferSize * 2));
    for (int i = 0; i < 2; ++i) {
        ShmBuffer& buffer = output.buffers[i];
        buffer.pixels = output.memory + bufferSize * size_t(i);
        buffer.buffer = wl_shm_pool_create_buffer(pool, int32_t(bufferSize) * i, layout.bufferWidth,
                                                  layout.bufferHeight, stride, WL_SHM_FORMAT_XRGB8888);
        wl_buffer_add_listener(buffer.buffer, &bufferListener, &buffer);
    }
    wl_shm_pool_destroy(pool);
    close(fd);
    return true;
}

ShmBuffer* FreeBuffer(HostOutput& output)
{
    for (ShmBuffer& buffer : output.buffers)
        if (buffer.buffer != nullptr && !buffer.busy)
            return &buffer;
    return nullptr;
}

// --- the surface's roles -----------------------------------------------------------------------------------

void OnFrameDone(void* data, wl_callback* callback, uint32_t)
{
    HostOutput& output = *static_cast<HostOutput*>(data);
    wl_callback_destroy(callback);
    output.frameCallback = nullptr;
    output.drawDue = true;
}
const wl_callback_listener frameListener = {OnFrameDone};

void OnLayerConfigure(void* data, zwlr_layer_surface_v1* layerSurface, uint32_t serial, uint32_t width, uint32_t height)
{
    HostOutput& output = *static_cast<HostOutput*>(data);
    zwlr_layer_surface_v1_ack_configure(layerSurface, serial);
    output.scale.logicalWidth = int32_t(width & 0x7fffffff);
    output.scale.logicalHeight = int32_t(height & 0x7fffffff);
    output.configured = true;
    UpdateLayout(output);
}
// The compositor has dropped the surface (its output is going): it is let go.
void OnLayerClosed(void* data, zwlr_layer_surface_v1*)
{
    DropSurface(*static_cast<HostOutput*>(data));
}
const zwlr_layer_surface_v1_listener layerListener = {OnLayerConfigure, OnLayerClosed};

void OnXdgConfigure(void* data, xdg_surface* surface, uint32_t serial)
{
    HostOutput& output = *static_cast<HostOutput*>(data);
    xdg_surface_ack_configure(surface, serial);
    output.configured = true;
    UpdateLayout(output);
}
const xdg_surface_listener xdgSurfaceListener = {OnXdgConfigure};

void OnToplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*)
{
    HostOutput& output = *static_cast<HostOutput*>(data);
    output.scale.logicalWidth = width;
    output.scale.logicalHeight = height;
}
// Closing the saver's window ends the show.
void OnToplevelClose(void*, xdg_toplevel*)
{
    waylandHost.ending = true;
}
// Events of later versions than the one bound, never sent.
void OnToplevelBounds(void*, xdg_toplevel*, int32_t, int32_t) {}
void OnToplevelCapabilities(void*, xdg_toplevel*, wl_array*) {}
const xdg_toplevel_listener toplevelListener = {OnToplevelConfigure, OnToplevelClose, OnToplevelBounds,
                                                OnToplevelCapabilities};

void OnPreferredScale(void* data, wp_fractional_scale_v1*, uint32_t scale)
{
    HostOutput& output = *static_cast<HostOutput*>(data);
    output.scale.preferredScale = scale;
    UpdateLayout(output);
}
const wp_fractional_scale_v1_listener fractionalScaleListener = {OnPreferredScale};

void GiveRole(HostOutput& output)
{
    WaylandHost& host = waylandHost;
    if (host.layerShell != nullptr && host.useLayerShell) {
        output.layerSurface = zwlr_layer_shell_v1_get_layer_surface(host.layerShell, output.surface, output.output,
                                                                    ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "orvelle");
        zwlr_layer_surface_v1_set_size(output.layerSurface, 0, 0);
        zwlr_layer_surface_v1_set_anchor(output.layerSurface,
                                         ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                             ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
        zwlr_layer_surface_v1_set_exclusive_zone(output.layerSurface, -1);
        zwlr_layer_surface_v1_set_keyboard_interactivity(output.layerSurface,
                                                         ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
        zwlr_layer_surface_v1_add_listener(output.layerSurface, &layerListener, &output);
        return;
    }
    output.xdgSurface = xdg_wm_base_get_xdg_surface(host.wmBase, output.surface);
    xdg_surface_add_listener(output.xdgSurface, &xdgSurfaceListener, &output);
    output.toplevel = xdg_surface_get_toplevel(output.xdgSurface);
    xdg_toplevel_add_listener(output.toplevel, &toplevelListener, &output);
    xdg_toplevel_set_title(output.toplevel, "Orvelle");
    xdg_toplevel_set_app_id(output.toplevel, "orvelle");
    xdg_toplevel_set_fullscreen(output.toplevel, output.output);
}

// A surface for a described output, committed without a buffer: the compositor answers with its size.
void CreateSurface(HostOutput& output)
{
    WaylandHost& host = waylandHost;
    output.surface = wl_compositor_create_surface(host.compositor);
    if (host.viewporter != nullptr)
        output.viewport = wp_viewporter_get_viewport(host.viewporter, output.surface);
    if (host.fractionalScaleManager != nullptr) {
        output.fractionalScale =
            wp_fractional_scale_manager_v1_get_fractional_scale(host.fractionalScaleManager, output.surface);
        wp_fractional_scale_v1_add_listener(output.fractionalScale, &fractionalScaleListener, &output);
    }
    GiveRole(output);
    output.drawDue = true;
    output.shownFrame = 0;
    wl_surface_commit(output.surface);
}

void DropSurface(HostOutput& output)
{
    if (output.frameCallback != nullptr)
        wl_callback_destroy(output.frameCallback);
    if (output.fractionalScale != nullptr)
        wp_fractional_scale_v1_destroy(output.fractionalScale);
    if (output.viewport != nullptr)
        wp_viewport_destroy(output.viewport);
    if (output.layerSurface != nullptr)
        zwlr_layer_surface_v1_destroy(output.layerSurface);
    if (output.toplevel != nullptr)
        xdg_toplevel_destroy(output.toplevel);
    if (output.xdgSurface != nullptr)
        xdg_surface_destroy(output.xdgSurface);
    if (output.surface != nullptr)
        wl_surface_destroy(output.surface);
    FreeBuffers(output);
    output.frameCallback = nullptr;
    output.fractionalScale = nullptr;
    output.viewport = nullptr;
    output.layerSurface = nullptr;
    output.toplevel = nullptr;
    output.xdgSurface = nullptr;
    output.surface = nullptr;
    output.configured = false;
    output.layout = SurfaceLayout{};
}

// The buffers for what the output and its surface now say, made anew when their size changes; the next
// frame is due at once, as a configure must be answered by a commit.
void UpdateLayout(HostOutput& output)
{
    if (!output.configured || output.surface == nullptr)
        return;
    output.scale.hasViewporter = output.viewport != nullptr;
    const SurfaceLayout layout = LayOutSurface(output.scale);
    if (layout.bufferWidth != output.layout.bufferWidth || layout.bufferHeight != output.layout.bufferHeight ||
        output.memory == nullptr) {
        output.layout = layout;
        if (layout.bufferWidth == 0 || !MakeBuffers(output)) {
            FreeBuffers(output);
            if (layout.bufferWidth != 0)
                waylandHost.failed = true;
        }
    }
    output.layout = layout;
    wl_surface_set_buffer_scale(output.surface, layout.bufferScale);
    if (output.viewport != nullptr) {
        const bool shown = layout.viewport;
        wp_viewport_set_destination(output.viewport, shown ? output.scale.logicalWidth : -1,
                                    shown ? output.scale.logicalHeight : -1);
    }
    output.mustCommit = true;
}

// --- outputs ----------------------------------------------------------------------------------------------

void OnOutputGeometry(void* data, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*,
                      int32_t transform)
{
    static_cast<HostOutput*>(data)->transform = transform;
}
void OnOutputMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t)
{
    HostOutput& output = *static_cast<HostOutput*>(data);
    if ((flags & WL_OUTPUT_MODE_CURRENT) != 0) {
        output.modeWidth = width;
        output.modeHeight = height;
    }
}
// The output's description is complete: the first time, it gets its surface; later, its buffers follow.
void OnOutputDone(void* data, wl_output*)
{
    HostOutput& output = *static_cast<HostOutput*>(data);
    const bool turned = (output.transform & 1) != 0; // 90 or 270 degrees, flipped or not
    output.scale.modeWidth = turned ? output.modeHeight : output.modeWidth;
    output.scale.modeHeight = turned ? output.modeWidth : output.modeHeight;
    if (!output.described) {
        output.described = true;
        CreateSurface(output);
        return;
    }
    UpdateLayout(output);
}
void OnOutputScale(void* data, wl_output*, int32_t factor)
{
    static_cast<HostOutput*>(data)->scale.integerScale = factor;
}
void OnOutputName(void*, wl_output*, const char*) {} // version 4, never bound
const wl_output_listener outputListener = {OnOutputGeometry, OnOutputMode, OnOutputDone,
                                           OnOutputScale,    OnOutputName, OnOutputName};

void ForgetOutput(HostOutput& output)
{
    DropSurface(output);
    if (wl_output_get_version(output.output) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
        wl_output_release(output.output);
    else
        wl_output_destroy(output.output);
    output = HostOutput{};
}

// --- the registry -----------------------------------------------------------------------------------------

void OnPing(void*, xdg_wm_base* wmBase, uint32_t serial)
{
    xdg_wm_base_pong(wmBase, serial);
}
const xdg_wm_base_listener wmBaseListener = {OnPing};

template <typename Proxy> Proxy* Bind(uint32_t name, const wl_interface* interface, uint32_t offered, uint32_t wanted)
{
    return static_cast<Proxy*>(
        wl_registry_bind(waylandHost.registry, name, interface, offered < wanted ? offered : wanted));
}

void OnGlobal(void*, wl_registry*, uint32_t name, const char* interface, uint32_t version)
{
    WaylandHost& host = waylandHost;
    if (std::strcmp(interface, wl_compositor_interface.name) == 0 && host.compositor == nullptr)
        host.compositor = Bind<wl_compositor>(name, &wl_compositor_interface, version, 4);
    else if (std::strcmp(interface, wl_shm_interface.name) == 0 && host.shm == nullptr)
        host.shm = Bind<wl_shm>(name, &wl_shm_interface, version, 1);
    else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0 && host.layerShell == nullptr)
        host.layerShell = Bind<zwlr_layer_shell_v1>(name, &zwlr_layer_shell_v1_interface, version, 3);
    else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0 && host.wmBase == nullptr) {
        host.wmBase = Bind<xdg_wm_base>(name, &xdg_wm_base_interface, version, 1);
        xdg_wm_base_add_listener(host.wmBase, &wmBaseListener, nullptr);
    } else if (std::strcmp(interface, wp_viewporter_interface.name) == 0 && host.viewporter == nullptr)
        host.viewporter = Bind<wp_viewporter>(name, &wp_viewporter_interface, version, 1);
    else if (std::strcmp(interface, wp_fractional_scale_manager_v1_interface.name) == 0 &&
             host.fractionalScaleManager == nullptr)
        host.fractionalScaleManager =
            Bind<wp_fractional_scale_manager_v1>(name, &wp_fractional_scale_manager_v1_interface, version, 1);
    else if (std::strcmp(interface, wl_output_interface.name) == 0)
        BindOutput(name, version);
    else if (std::strcmp(interface, wl_seat_interface.name) == 0)
        BindSeat(name, version);
}

void OnGlobalRemove(void*, wl_registry*, uint32_t name)
{
    ForgetGlobal(name);
}
const wl_registry_listener registryListener = {OnGlobal, OnGlobalRemove};

} // namespace

void BindOutput(uint32_t name, uint32_t version)
{
    WaylandHost& host = waylandHost;
    if (version < WL_OUTPUT_DONE_SINCE_VERSION)
        return; // an output that cannot say when its description is complete is not covered
    for (HostOutput& output : host.outputs) {
        if (output.used)
            continue;
        output.used = true;
        output.name = name;
        output.output = Bind<wl_output>(name, &wl_output_interface, version, 3);
        wl_output_add_listener(output.output, &outputListener, &output);
        return;
    }
    if (!host.tooManyOutputsSaid)
        std::fprintf(stderr, "orvelle-wayland: more than %d outputs: the others stay uncovered\n", maxMonitors);
    host.tooManyOutputsSaid = true;
}

void ForgetOutputNamed(uint32_t name)
{
    for (HostOutput& output : waylandHost.outputs)
        if (output.used && output.name == name)
            ForgetOutput(output);
}

bool ConnectHost(const char* displayName)
{
    WaylandHost& host = waylandHost;
    host.display = wl_display_connect(displayName);
    if (host.display == nullptr) {
        const char* name = displayName != nullptr ? displayName : std::getenv("WAYLAND_DISPLAY");
        std::fprintf(stderr, "orvelle-wayland: cannot connect to the Wayland display %s: %s\n",
                     name != nullptr ? name : "wayland-0", std::strerror(errno));
        return false;
    }
    host.registry = wl_display_get_registry(host.display);
    wl_registry_add_listener(host.registry, &registryListener, nullptr);
    // The globals first; the outputs' descriptions, which make their surfaces, and the seat's capabilities
    // come with the second round trip, once the shell is known to be there.
    if (wl_display_roundtrip(host.display) < 0) {
        std::fprintf(stderr, "orvelle-wayland: the compositor ended the connection at the start\n");
        return false;
    }
    const bool layerShell = host.layerShell != nullptr && host.useLayerShell;
    const char* missing = host.compositor == nullptr             ? "no surfaces (wl_compositor)"
                          : host.shm == nullptr                  ? "no shared memory (wl_shm)"
                          : layerShell || host.wmBase != nullptr ? nullptr
                          : host.useLayerShell
                              ? "neither the layer shell (zwlr_layer_shell_v1) nor xdg-shell (xdg_wm_base)"
                              : "no xdg-shell (xdg_wm_base)";
    if (missing != nullptr) {
        std::fprintf(stderr, "orvelle-wayland: the compositor offers %s\n", missing);
        return false;
    }
    if (wl_display_roundtrip(host.display) < 0) {
        std::fprintf(stderr, "orvelle-wayland: the compositor ended the connection at the start\n");
        return false;
    }
    return true;
}

void OutputsReady(uint32_t frame, bool& wantNext, bool& wantLast)
{
    wantNext = false;
    wantLast = false;
    for (HostOutput& output : waylandHost.outputs) {
        if (!output.configured || output.memory == nullptr || FreeBuffer(output) == nullptr)
            continue;
        if (output.mustCommit || (output.drawDue && output.shownFrame != frame))
            wantLast = true;
        else if (output.drawDue)
            wantNext = true;
    }
}

// Where the picture's first shown pixel goes in one of the output's buffers.
uint8_t* PictureIn(const HostOutput& output, const ShmBuffer& buffer)
{
    const PicturePlacement& place = output.layout.picture;
    return buffer.pixels + size_t(place.y.dest) * size_t(output.layout.bufferWidth) * bytesPerPixel +
           size_t(place.x.dest) * bytesPerPixel;
}

// Copies the last picture into a free buffer at the layout's place (unless it was drawn there) and commits
// it, asking for the next frame.
void PutOutput(HostOutput& output, uint32_t frame)
{
    ShmBuffer* buffer = FreeBuffer(output);
    const SurfaceLayout& layout = output.layout;
    const PicturePlacement& place = layout.picture;
    const size_t stride = size_t(layout.bufferWidth) * bytesPerPixel;
    const size_t rowBytes = size_t(place.x.length) * bytesPerPixel;
    uint8_t* target = PictureIn(output, *buffer);
    const uint8_t* source =
        lastPicture + size_t(place.y.source) * size_t(lastPitch) + size_t(place.x.source) * bytesPerPixel;
    for (int32_t row = 0; row < place.y.length && target != source; ++row)
        std::memcpy(target + size_t(row) * stride, source + size_t(row) * size_t(lastPitch), rowBytes);
    wl_surface_attach(output.surface, buffer->buffer, 0, 0);
    // Both buffers' borders are black from the start: after a surface's first frame only the picture changes.
    if (output.shownFrame == 0 || output.mustCommit)
        wl_surface_damage_buffer(output.surface, 0, 0, INT32_MAX, INT32_MAX);
    else
        wl_surface_damage_buffer(output.surface, place.x.dest, place.y.dest, place.x.length, place.y.length);
    if (output.frameCallback != nullptr)
        wl_callback_destroy(output.frameCallback);
    output.frameCallback = wl_surface_frame(output.surface);
    wl_callback_add_listener(output.frameCallback, &frameListener, &output);
    wl_surface_commit(output.surface);
    buffer->busy = true;
    output.drawDue = false;
    output.mustCommit = false;
    output.shownFrame = frame;
}

FrameCanvas TakeFrameCanvas()
{
    for (HostOutput& output : waylandHost.outputs) {
        const PicturePlacement& place = output.layout.picture;
        const bool whole = place.x.length == screenGeometry.width && place.y.length == screenGeometry.height;
        ShmBuffer* buffer = output.configured && output.memory != nullptr && whole ? FreeBuffer(output) : nullptr;
        if (buffer == nullptr || !(output.drawDue || output.mustCommit))
            continue;
        lastPicture = PictureIn(output, *buffer);
        lastPitch = output.layout.bufferWidth * int32_t(bytesPerPixel);
        return {PictureIn(output, *buffer), lastPitch};
    }
    lastPicture = keptPicture;
    lastPitch = keptPitch;
    return {keptPicture, keptPitch};
}

bool PutDueOutputs(uint32_t frame)
{
    bool put = false;
    for (HostOutput& output : waylandHost.outputs) {
        const bool wanted = output.mustCommit || (output.drawDue && output.shownFrame != frame);
        if (!output.configured || output.memory == nullptr || !wanted || FreeBuffer(output) == nullptr)
            continue;
        PutOutput(output, frame);
        put = true;
    }
    return put;
}

void CloseHost()
{
    WaylandHost& host = waylandHost;
    if (host.display == nullptr)
        return;
    for (HostOutput& output : host.outputs)
        if (output.used)
            ForgetOutput(output);
    if (host.seat != nullptr)
        ForgetGlobal(host.seatName);
    if (host.fractionalScaleManager != nullptr)
        wp_fractional_scale_manager_v1_destroy(host.fractionalScaleManager);
    if (host.viewporter != nullptr)
        wp_viewporter_destroy(host.viewporter);
    if (host.wmBase != nullptr)
        xdg_wm_base_destroy(host.wmBase);
    // The global's destroy request came with version 3; an older one is only forgotten here.
    if (host.layerShell != nullptr && zwlr_layer_shell_v1_get_version(host.layerShell) >= 3)
        zwlr_layer_shell_v1_destroy(host.layerShell);
    else if (host.layerShell != nullptr)
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(host.layerShell));
    if (host.shm != nullptr)
        wl_shm_destroy(host.shm);
    if (host.compositor != nullptr)
        wl_compositor_destroy(host.compositor);
    wl_registry_destroy(host.registry);
    wl_display_flush(host.display);
    wl_display_disconnect(host.display);
    host.display = nullptr;
}
