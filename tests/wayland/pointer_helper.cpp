// The tests' pointer: the seat of a headless compositor has none until a
// virtual one exists. Made at the start, so that a client started later finds
// it; then each line on stdin, "click X Y WIDTH HEIGHT", moves it to (X, Y) of
// a WIDTHxHEIGHT layout and clicks the left button; "done" answers each.
#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "wlr-virtual-pointer-client-protocol.h"

namespace {
struct Globals {
    wl_seat* seat = nullptr;
    zwlr_virtual_pointer_manager_v1* manager = nullptr;
};

const wl_registry_listener kRegistry = {
    .global = [](void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
        auto* g = static_cast<Globals*>(data);
        if (std::strcmp(interface, wl_seat_interface.name) == 0 && !g->seat)
            g->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
            g->manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
                wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    },
    .global_remove = [](void*, wl_registry*, std::uint32_t) {},
};
}  // namespace

int main()
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display) return 1;
    Globals globals;
    wl_registry_add_listener(wl_display_get_registry(display), &kRegistry, &globals);
    wl_display_roundtrip(display);
    if (!globals.manager) return 1;
    zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.manager, globals.seat);
    wl_display_roundtrip(display);
    std::puts("ready");
    std::fflush(stdout);
    char line[128];
    std::uint32_t time = 0;
    unsigned x = 0, y = 0, width = 0, height = 0;
    while (std::fgets(line, sizeof line, stdin)) {
        if (std::sscanf(line, "click %u %u %u %u", &x, &y, &width, &height) != 4) continue;
        zwlr_virtual_pointer_v1_motion_absolute(pointer, time += 10, x, y, width, height);
        zwlr_virtual_pointer_v1_frame(pointer);
        for (const auto state : {WL_POINTER_BUTTON_STATE_PRESSED, WL_POINTER_BUTTON_STATE_RELEASED}) {
            zwlr_virtual_pointer_v1_button(pointer, time += 10, BTN_LEFT, state);
            zwlr_virtual_pointer_v1_frame(pointer);
        }
        wl_display_roundtrip(display);
        std::puts("done");
        std::fflush(stdout);
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
