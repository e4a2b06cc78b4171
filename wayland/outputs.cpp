// The outputs orvelle-wayland covers: a surface on each output (a layer surface on the overlay layer, or a
// fullscreen xdg-shell toplevel) and the frames put on it when the compositor asks for them. The listeners
// only record what the compositor says and mark the output; the frame loop's step (ApplyOutputChanges)
// acts on the marks once per turn: it makes surfaces, acknowledges configures, makes buffers and lets go of
// what went.
#include <cstdio>

#include "fractional-scale-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "wayland/wayland_host.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace {

// --- what the compositor says --------------------------------------------------------------------------------

void OnFrameDone(void* data, wl_callback* callback, uint32_t)
{
    HostOutput& output = *static_cast<HostOutput*>(data);
    wl_callback_destroy(callback);
    output.frameCallback = nullptr;
    output.drawDue = true;
}
const wl_callback_listener frameListener = {OnFrameDone};

void OnLayerConfigure(void* data, zwlr_layer_surface_v1*, uint32_t serial, uint32_t width, uint32_t height)
{
    HostOutput& output = *static_cast<HostOutput*>(data);
    output.scale.logicalWidth = int32_t(width & 0x7fffffff);
    output.scale.logicalHeight = int32_t(height & 0x7fffffff);
    output.configureSerial = serial;
    output.configureDue = true;
}
// The compositor has dropped the surface (its output is going): it is let go, and not made again.
void OnLayerClosed(void* data, zwlr_layer_surface_v1*)
{
    static_cast<HostOutput*>(data)->closed = true;
}
const zwlr_layer_surface_v1_listener layerListener = {OnLayerConfigure, OnLayerClosed};

void OnXdgConfigure(void* data, xdg_surface*, uint32_t serial)
{
    HostOutput& output = *static_cast<HostOutput*>(data);
    output.configureSerial = serial;
    output.configureDue = true;
}
const xdg_surface_listener xdgSurfaceListener = {OnXdgConfigure};

// The size comes before the xdg_surface's configure, which completes it.
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
    output.layoutDue = true;
}
const wp_fractional_scale_v1_listener fractionalScaleListener = {OnPreferredScale};

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
// The output's description is complete: the first time, it is to get its surface; later, its buffers follow.
void OnOutputDone(void* data, wl_output*)
{
    HostOutput& output = *static_cast<HostOutput*>(data);
    const bool turned = (output.transform & 1) != 0; // 90 or 270 degrees, flipped or not
    output.scale.modeWidth = turned ? output.modeHeight : output.modeWidth;
    output.scale.modeHeight = turned ? output.modeWidth : output.modeHeight;
    output.described = true;
    output.layoutDue = true;
}
void OnOutputScale(void* data, wl_output*, int32_t factor)
{
    HostOutput& output = *static_cast<HostOutput*>(data);
    output.scale.integerScale = factor;
}
void OnOutputName(void*, wl_output*, const char*) {} // version 4, never bound
const wl_output_listener outputListener = {OnOutputGeometry, OnOutputMode, OnOutputDone,
                                           OnOutputScale,    OnOutputName, OnOutputName};

// --- what the frame loop does about it ---------------------------------------------------------------------

void GiveLayerRole(HostOutput& output)
{
    output.layerSurface = zwlr_layer_shell_v1_get_layer_surface(waylandHost.layerShell, output.surface, output.output,
                                                                ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "orvelle");
    zwlr_layer_surface_v1_set_size(output.layerSurface, 0, 0);
    zwlr_layer_surface_v1_set_anchor(output.layerSurface,
                                     ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                         ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_exclusive_zone(output.layerSurface, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(output.layerSurface,
                                                     ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    zwlr_layer_surface_v1_add_listener(output.layerSurface, &layerListener, &output);
}

void GiveToplevelRole(HostOutput& output)
{
    output.xdgSurface = xdg_wm_base_get_xdg_surface(waylandHost.wmBase, output.surface);
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
    if (host.layerShell != nullptr && host.useLayerShell)
        GiveLayerRole(output);
    else
        GiveToplevelRole(output);
    output.drawDue = true;
    output.shownFrame = 0;
    wl_surface_commit(output.surface);
}

template <typename Proxy> void Destroy(Proxy*& proxy, void (*destroy)(Proxy*))
{
    if (proxy != nullptr)
        destroy(proxy);
    proxy = nullptr;
}

void DropSurface(HostOutput& output)
{
    Destroy(output.frameCallback, wl_callback_destroy);
    Destroy(output.fractionalScale, wp_fractional_scale_v1_destroy);
    Destroy(output.viewport, wp_viewport_destroy);
    Destroy(output.layerSurface, zwlr_layer_surface_v1_destroy);
    Destroy(output.toplevel, xdg_toplevel_destroy);
    Destroy(output.xdgSurface, xdg_surface_destroy);
    Destroy(output.surface, wl_surface_destroy);
    FreeBuffers(output);
    output.configured = false;
    output.configureDue = false;
    output.layout = SurfaceLayout{};
}

// Acknowledges the latest configure, which the commit that follows in this turn answers.
void AcknowledgeConfigure(HostOutput& output)
{
    if (output.layerSurface != nullptr)
        zwlr_layer_surface_v1_ack_configure(output.layerSurface, output.configureSerial);
    else
        xdg_surface_ack_configure(output.xdgSurface, output.configureSerial);
    output.configureDue = false;
    output.configured = true;
}

// The buffers for what the output and its surface now say, made anew when their size changes; the next
// frame is due at once, as a configure must be answered by a commit.
void UpdateLayout(HostOutput& output)
{
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

void ForgetOutput(HostOutput& output)
{
    DropSurface(output);
    if (wl_output_get_version(output.output) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
        wl_output_release(output.output);
    else
        wl_output_destroy(output.output);
    output = HostOutput{};
}

// Acts on what one output's listeners marked since the last turn.
void ApplyOutputChange(HostOutput& output)
{
    if (output.gone) {
        ForgetOutput(output);
        return;
    }
    if (output.closed && output.surface != nullptr)
        DropSurface(output);
    if (output.described && !output.closed && output.surface == nullptr)
        CreateSurface(output);
    if (output.configureDue) {
        AcknowledgeConfigure(output);
        output.layoutDue = true;
    }
    if (output.layoutDue && output.configured)
        UpdateLayout(output);
    output.layoutDue = false;
}

bool Wanted(const HostOutput& output, uint32_t frame)
{
    return output.mustCommit || (output.drawDue && output.shownFrame != frame);
}

// Puts the last picture into a free buffer at the layout's place (unless it was drawn there) and commits
// it, asking for the next frame.
void PutOutput(HostOutput& output, ShmBuffer& buffer, uint32_t frame)
{
    const PicturePlacement& place = output.layout.picture;
    CopyLastPicture(output, buffer);
    wl_surface_attach(output.surface, buffer.buffer, 0, 0);
    // Both buffers' borders are black from the start: after a surface's first frame only the picture changes.
    if (output.shownFrame == 0 || output.mustCommit)
        wl_surface_damage_buffer(output.surface, 0, 0, INT32_MAX, INT32_MAX);
    else
        wl_surface_damage_buffer(output.surface, place.x.dest, place.y.dest, place.x.length, place.y.length);
    Destroy(output.frameCallback, wl_callback_destroy);
    output.frameCallback = wl_surface_frame(output.surface);
    wl_callback_add_listener(output.frameCallback, &frameListener, &output);
    wl_surface_commit(output.surface);
    buffer.busy = true;
    output.drawDue = false;
    output.mustCommit = false;
    output.shownFrame = frame;
}

} // namespace

void AddOutput(uint32_t name, uint32_t version)
{
    WaylandHost& host = waylandHost;
    if (version < WL_OUTPUT_DONE_SINCE_VERSION)
        return; // an output that cannot say when its description is complete is not covered
    for (HostOutput& output : host.outputs) {
        if (output.used)
            continue;
        output.used = true;
        output.name = name;
        output.output = static_cast<wl_output*>(
            wl_registry_bind(host.registry, name, &wl_output_interface, version < 3 ? version : 3));
        wl_output_add_listener(output.output, &outputListener, &output);
        return;
    }
    if (!host.tooManyOutputsSaid)
        std::fprintf(stderr, "orvelle-wayland: more than %d outputs: the others stay uncovered\n", maxMonitors);
    host.tooManyOutputsSaid = true;
}

void RemoveOutput(uint32_t name)
{
    for (HostOutput& output : waylandHost.outputs)
        if (output.used && output.name == name)
            output.gone = true;
}

void ApplyOutputChanges()
{
    for (HostOutput& output : waylandHost.outputs)
        if (output.used)
            ApplyOutputChange(output);
}

void ReleaseOutputs()
{
    for (HostOutput& output : waylandHost.outputs)
        if (output.used)
            ForgetOutput(output);
}

void OutputsReady(uint32_t frame, bool& wantNext, bool& wantLast)
{
    wantNext = false;
    wantLast = false;
    for (HostOutput& output : waylandHost.outputs) {
        if (FreeBuffer(output) == nullptr)
            continue;
        if (Wanted(output, frame))
            wantLast = true;
        else if (output.drawDue)
            wantNext = true;
    }
}

bool PutDueOutputs(uint32_t frame)
{
    bool put = false;
    for (HostOutput& output : waylandHost.outputs) {
        ShmBuffer* buffer = Wanted(output, frame) ? FreeBuffer(output) : nullptr;
        if (buffer == nullptr)
            continue;
        PutOutput(output, *buffer, frame);
        put = true;
    }
    return put;
}
