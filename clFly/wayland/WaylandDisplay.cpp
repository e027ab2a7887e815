#include "clFly/wayland/WaylandDisplay.h"

#include <sys/stat.h>
#include <wayland-client.h>

#include <cstdlib>
#include <cstring>

#include "clFly/wayland/WaylandFlies.h"

namespace quillop {

namespace {

// The globals the probe looks for.
struct Offered {
    bool Compositor = false;
    bool Shm = false;
    bool LayerShell = false;
};

const wl_registry_listener kProbeListener = {
    .global =
        [](void* data, wl_registry*, std::uint32_t, const char* interface, std::uint32_t) {
            auto* offered = static_cast<Offered*>(data);
            offered->Compositor |= std::strcmp(interface, "wl_compositor") == 0;
            offered->Shm |= std::strcmp(interface, "wl_shm") == 0;
            offered->LayerShell |= std::strcmp(interface, "zwlr_layer_shell_v1") == 0;
        },
    .global_remove = [](void*, wl_registry*, std::uint32_t) {},
};

std::string Setting(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

bool ProbeWaylandDisplay(std::string& why) {
    std::string name = Setting("WAYLAND_DISPLAY");
    if (name.empty()) {
        // libwayland's default, which Qt takes too.
        const std::string runtime = Setting("XDG_RUNTIME_DIR");
        struct stat info {};
        if (runtime.empty() || stat((runtime + "/wayland-0").c_str(), &info) != 0) {
            why = "WAYLAND_DISPLAY is not set";
            return false;
        }
        name = "wayland-0";
    }
    wl_display* display = wl_display_connect(name.c_str());
    if (display == nullptr) {
        why = "no Wayland compositor answers at " + name;
        return false;
    }
    Offered offered;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kProbeListener, &offered);
    const bool answered = wl_display_roundtrip(display) >= 0;
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    if (!answered || !offered.Compositor || !offered.Shm) {
        why = "the Wayland compositor at " + name + " did not answer as one";
        return false;
    }
    why = offered.LayerShell ? "the compositor at " + name + " offers the layer shell"
                             : "the compositor at " + name + " offers no layer shell";
    return offered.LayerShell;
}

std::unique_ptr<FlyDisplay> CreateWaylandDisplay(const FlyDisplaySetup& setup) {
    return std::make_unique<WaylandFlies>(setup);
}

}  // namespace quillop
