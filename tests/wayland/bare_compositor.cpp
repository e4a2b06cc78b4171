// A compositor for the Wayland tests that offers surfaces and shared memory but no shell at all: it listens
// on the socket named on the command line (in XDG_RUNTIME_DIR) until it is killed.
#include <cstdio>
#include <wayland-server.h>

namespace {

// The compositor global answers binds only: a client that finds no shell must leave before it asks more.
void BindCompositor(wl_client* client, void*, uint32_t version, uint32_t id)
{
    wl_resource_create(client, &wl_compositor_interface, int(version), id);
}

} // namespace

int main(int argc, char** argv)
{
    wl_display* display = wl_display_create();
    if (argc != 2 || display == nullptr || wl_display_add_socket(display, argv[1]) != 0) {
        std::fprintf(stderr, "bare_compositor: cannot listen on %s\n", argc == 2 ? argv[1] : "(no name given)");
        return 1;
    }
    wl_global_create(display, &wl_compositor_interface, 4, nullptr, BindCompositor);
    wl_display_init_shm(display);
    wl_display_run(display);
    wl_display_destroy(display);
    return 0;
}
