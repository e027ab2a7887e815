// A pointer device for a headless wlroots compositor, which has none: a virtual pointer
// (zwlr_virtual_pointer_v1) held on the default seat until the program is ended, so that the
// seat offers its clients a pointer. The tests then move and click with the compositor's own
// commands (`swaymsg seat seat0 cursor ...`), which act on the seat's cursor.
//
// Usage: WAYLAND_DISPLAY=NAME quillop_pointerdevice
// Prints "ready" once the compositor made the device, then waits until killed.
#include <wayland-client.h>
#include <wlr-virtual-pointer-unstable-v1-client-protocol.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

struct Globals {
    wl_seat* Seat = nullptr;
    zwlr_virtual_pointer_manager_v1* Manager = nullptr;
};

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t) {
    auto* globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && globals->Seat == nullptr) {
        globals->Seat =
            static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        globals->Manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    }
}

void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

}  // namespace

int main() {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "no Wayland display\n");
        return 1;
    }
    Globals globals;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistryListener, &globals);
    wl_display_roundtrip(display);
    if (globals.Manager == nullptr) {
        std::fprintf(stderr, "the compositor offers no virtual pointer\n");
        return 1;
    }
    zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.Manager, globals.Seat);
    wl_display_roundtrip(display);
    std::printf("ready\n");
    std::fflush(stdout);
    while (wl_display_dispatch(display) != -1) {
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_disconnect(display);
    return 0;
}
