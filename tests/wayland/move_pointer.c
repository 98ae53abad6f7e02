/* Moves the compositor's pointer for the tests through a virtual pointer (a compositor with no
 * pointer device has no other): STEPS times by DX, DY pixels, 50 ms apart. With STEPS 0 it keeps
 * its pointer until it is ended, so that the seat has one from before a program starts: the
 * program takes it at once, and later moves reach it without its having to take a new pointer
 * first.   move_pointer STEPS DX DY */
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <wayland-client.h>

static struct zwlr_virtual_pointer_manager_v1* g_pManager;

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version) {
    (void)data, (void)version;
    if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        g_pManager =
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
}

static void global_remove(void* data, struct wl_registry* registry, uint32_t name) {
    (void)data, (void)registry, (void)name;
}

static const struct wl_registry_listener REGISTRY = {global, global_remove};

int main(int argc, char** argv) {
    struct wl_display* display = wl_display_connect(NULL);
    if (argc != 4 || !display)
        return 2;
    wl_registry_add_listener(wl_display_get_registry(display), &REGISTRY, NULL);
    wl_display_roundtrip(display);
    if (!g_pManager)
        return 1;
    struct zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g_pManager, NULL);
    wl_display_roundtrip(display);
    if (atoi(argv[1]) == 0)
        pause();
    for (int i = 0; i < atoi(argv[1]); ++i) {
        zwlr_virtual_pointer_v1_motion(pointer, (uint32_t)(i * 50),
                                       wl_fixed_from_int(atoi(argv[2])),
                                       wl_fixed_from_int(atoi(argv[3])));
        zwlr_virtual_pointer_v1_frame(pointer);
        wl_display_roundtrip(display);
        usleep(50000);
    }
    wl_display_disconnect(display);
    return 0;
}
