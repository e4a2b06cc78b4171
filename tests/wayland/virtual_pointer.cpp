// A pointer for the Wayland tests: a wlroots virtual pointer on the compositor's seat that makes the moves and
// clicks named on the command line, one at a time, each sent and answered before the next:
//   virtual_pointer to:X,Y,WIDTH,HEIGHT by:DX,DY click wheel ...
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <wayland-client.h>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {

zwlr_virtual_pointer_manager_v1* manager = nullptr;

void OnGlobal(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t)
{
    if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
}
void OnGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener registryListener = {OnGlobal, OnGlobalRemove};

bool Step(zwlr_virtual_pointer_v1* pointer, const char* step)
{
    int x, y, width, height;
    constexpr uint32_t leftButton = 0x110; // BTN_LEFT
    if (std::sscanf(step, "to:%d,%d,%d,%d", &x, &y, &width, &height) == 4)
        zwlr_virtual_pointer_v1_motion_absolute(pointer, 0, uint32_t(x), uint32_t(y), uint32_t(width),
                                                uint32_t(height));
    else if (std::sscanf(step, "by:%d,%d", &x, &y) == 2)
        zwlr_virtual_pointer_v1_motion(pointer, 0, wl_fixed_from_int(x), wl_fixed_from_int(y));
    else if (std::strcmp(step, "click") == 0) {
        zwlr_virtual_pointer_v1_button(pointer, 0, leftButton, WL_POINTER_BUTTON_STATE_PRESSED);
        zwlr_virtual_pointer_v1_frame(pointer);
        zwlr_virtual_pointer_v1_button(pointer, 0, leftButton, WL_POINTER_BUTTON_STATE_RELEASED);
    } else if (std::strcmp(step, "wheel") == 0) { // one notch down, as a mouse wheel sends it
        zwlr_virtual_pointer_v1_axis_source(pointer, WL_POINTER_AXIS_SOURCE_WHEEL);
        zwlr_virtual_pointer_v1_axis_discrete(pointer, 0, WL_POINTER_AXIS_VERTICAL_SCROLL, wl_fixed_from_int(10), 1);
    } else
        return false;
    zwlr_virtual_pointer_v1_frame(pointer);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "virtual_pointer: no Wayland display\n");
        return 1;
    }
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, nullptr);
    wl_display_roundtrip(display);
    if (manager == nullptr) {
        std::fprintf(stderr, "virtual_pointer: the compositor has no virtual pointers\n");
        return 1;
    }
    zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, nullptr);
    // The new device gives the seat a pointer; clients take their wl_pointer when told so, and events sent
    // before they have it reach nobody (as wtype -s waits for the keyboard).
    wl_display_roundtrip(display);
    usleep(300000);
    for (int i = 1; i < argc; ++i) {
        if (!Step(pointer, argv[i])) {
            std::fprintf(stderr, "virtual_pointer: not a step: %s\n", argv[i]);
            return 2;
        }
        if (wl_display_roundtrip(display) < 0)
            return 1;
        usleep(100000); // the compositor delivers each step as an event of its own
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    zwlr_virtual_pointer_manager_v1_destroy(manager);
    wl_registry_destroy(registry);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
