// The connection and its registry: the one owner of the globals. It binds the shared globals itself and
// hands the outputs and seats that come and go to their own files, which never call each other.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fractional-scale-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "wayland/wayland_host.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

WaylandHost waylandHost;

namespace {

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

// Binds a global that every surface shares, the first of its kind only; false when it is not one of them.
bool BindShared(uint32_t name, const char* interface, uint32_t version)
{
    WaylandHost& host = waylandHost;
    const auto is = [interface](const wl_interface& known) { return std::strcmp(interface, known.name) == 0; };
    if (is(wl_compositor_interface) && host.compositor == nullptr)
        host.compositor = Bind<wl_compositor>(name, &wl_compositor_interface, version, 4);
    else if (is(wl_shm_interface) && host.shm == nullptr)
        host.shm = Bind<wl_shm>(name, &wl_shm_interface, version, 1);
    else if (is(zwlr_layer_shell_v1_interface) && host.layerShell == nullptr)
        host.layerShell = Bind<zwlr_layer_shell_v1>(name, &zwlr_layer_shell_v1_interface, version, 3);
    else if (is(xdg_wm_base_interface) && host.wmBase == nullptr) {
        host.wmBase = Bind<xdg_wm_base>(name, &xdg_wm_base_interface, version, 1);
        xdg_wm_base_add_listener(host.wmBase, &wmBaseListener, nullptr);
    } else if (is(wp_viewporter_interface) && host.viewporter == nullptr)
        host.viewporter = Bind<wp_viewporter>(name, &wp_viewporter_interface, version, 1);
    else if (is(wp_fractional_scale_manager_v1_interface) && host.fractionalScaleManager == nullptr)
        host.fractionalScaleManager =
            Bind<wp_fractional_scale_manager_v1>(name, &wp_fractional_scale_manager_v1_interface, version, 1);
    else
        return false;
    return true;
}

void OnGlobal(void*, wl_registry*, uint32_t name, const char* interface, uint32_t version)
{
    if (BindShared(name, interface, version))
        return;
    if (std::strcmp(interface, wl_output_interface.name) == 0)
        AddOutput(name, version);
    else if (std::strcmp(interface, wl_seat_interface.name) == 0)
        AddSeat(name, version);
}

// The shared globals are never taken away while a desktop runs; an output or a seat is.
void OnGlobalRemove(void*, wl_registry*, uint32_t name)
{
    if (!RemoveSeat(name))
        RemoveOutput(name);
}
const wl_registry_listener registryListener = {OnGlobal, OnGlobalRemove};

// The needed global the compositor does not offer, in words; nullptr when it offers them all.
const char* MissingGlobal()
{
    const WaylandHost& host = waylandHost;
    const bool layerShell = host.layerShell != nullptr && host.useLayerShell;
    return host.compositor == nullptr             ? "no surfaces (wl_compositor)"
           : host.shm == nullptr                  ? "no shared memory (wl_shm)"
           : layerShell || host.wmBase != nullptr ? nullptr
           : host.useLayerShell ? "neither the layer shell (zwlr_layer_shell_v1) nor xdg-shell (xdg_wm_base)"
                                : "no xdg-shell (xdg_wm_base)";
}

} // namespace

bool OpenHost(const char* displayName)
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
    // The globals first; the outputs' descriptions and the seat's capabilities come with the second round
    // trip, once the shell is known to be there, and the frame loop's first turn acts on them.
    if (wl_display_roundtrip(host.display) < 0) {
        std::fprintf(stderr, "orvelle-wayland: the compositor ended the connection at the start\n");
        return false;
    }
    if (const char* missing = MissingGlobal()) {
        std::fprintf(stderr, "orvelle-wayland: the compositor offers %s\n", missing);
        return false;
    }
    if (wl_display_roundtrip(host.display) < 0) {
        std::fprintf(stderr, "orvelle-wayland: the compositor ended the connection at the start\n");
        return false;
    }
    return true;
}

void CloseHost()
{
    WaylandHost& host = waylandHost;
    if (host.display == nullptr)
        return;
    ReleaseOutputs();
    ReleaseSeat();
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
