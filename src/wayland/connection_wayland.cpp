#include "wayland/connection_wayland.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace corvalinth::wayland {

namespace {
template <typename Proxy>
Proxy* Bind(wl_registry* registry, std::uint32_t name, const wl_interface& interface, std::uint32_t offered,
            std::uint32_t wanted)
{
    return static_cast<Proxy*>(wl_registry_bind(registry, name, &interface, std::min(offered, wanted)));
}

const xdg_wm_base_listener kPingListener = {
    .ping = [](void*, xdg_wm_base* base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); },
};

// CORVALINTH_WAYLAND_IGNORE lists interfaces to act as if the compositor
// lacked (comma separated): how the tests reach the paths of compositors
// without a layer shell or screencopy.
bool Ignored(const std::string& list, const char* interface)
{
    const std::string wanted = "," + std::string(interface) + ",";
    return ("," + list + ",").find(wanted) != std::string::npos;
}
}  // namespace

const wl_registry_listener Connection::kRegistryListener = {
    .global = [](void* data, wl_registry*, std::uint32_t name, const char* interface, std::uint32_t version) {
        static_cast<Connection*>(data)->Global(name, interface, version);
    },
    .global_remove = [](void* data, wl_registry*, std::uint32_t name) {
        static_cast<Connection*>(data)->GlobalGone(name);
    },
};

std::unique_ptr<Connection> Connection::Open(std::string& why)
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        const char* name = std::getenv("WAYLAND_DISPLAY");
        why = "cannot connect to the Wayland display '" + std::string(name ? name : "wayland-0") + "'";
        return nullptr;
    }
    return std::unique_ptr<Connection>(new Connection(display));
}

Connection::Connection(wl_display* display) : display_(display)
{
    if (const char* ignore = std::getenv("CORVALINTH_WAYLAND_IGNORE")) ignoreList_ = ignore;
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &kRegistryListener, this);
}

Connection::~Connection()
{
    outputs_.clear();
    if (globals_.screencopy) zwlr_screencopy_manager_v1_destroy(globals_.screencopy);
    if (globals_.windows) xdg_wm_base_destroy(globals_.windows);
    if (globals_.layerShell) zwlr_layer_shell_v1_destroy(globals_.layerShell);
    input_.reset();
    if (globals_.seat) wl_seat_release(globals_.seat);
    if (globals_.shm) wl_shm_destroy(globals_.shm);
    if (globals_.compositor) wl_compositor_destroy(globals_.compositor);
    wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
}

void Connection::Global(std::uint32_t name, const char* interface, std::uint32_t version)
{
    const auto is = [interface](const wl_interface& i) { return std::strcmp(interface, i.name) == 0; };
    if (Ignored(ignoreList_, interface)) return;
    // damage_buffer needs version 4.
    if (is(wl_compositor_interface) && version >= 4 && !globals_.compositor)
        globals_.compositor = Bind<wl_compositor>(registry_, name, wl_compositor_interface, version, 4);
    else if (is(wl_shm_interface) && !globals_.shm)
        globals_.shm = Bind<wl_shm>(registry_, name, wl_shm_interface, version, 1);
    // release needs version 5.
    else if (is(wl_seat_interface) && version >= 5 && !globals_.seat) {
        globals_.seat = Bind<wl_seat>(registry_, name, wl_seat_interface, version, 5);
        input_ = std::make_unique<Input>(globals_.seat);
    }
    else if (is(zwlr_layer_shell_v1_interface) && !globals_.layerShell)
        globals_.layerShell = Bind<zwlr_layer_shell_v1>(registry_, name, zwlr_layer_shell_v1_interface, version, 4);
    else if (is(xdg_wm_base_interface) && !globals_.windows) {
        globals_.windows = Bind<xdg_wm_base>(registry_, name, xdg_wm_base_interface, version, 1);
        xdg_wm_base_add_listener(globals_.windows, &kPingListener, nullptr);
    } else if (is(zwlr_screencopy_manager_v1_interface) && !globals_.screencopy)
        globals_.screencopy = Bind<zwlr_screencopy_manager_v1>(registry_, name, zwlr_screencopy_manager_v1_interface,
                                                               version, 3);
    else if (is(wl_output_interface))
        outputs_.push_back(std::make_unique<Output>(
            globals_, Bind<wl_output>(registry_, name, wl_output_interface, version, 4), name));
}

void Connection::GlobalGone(std::uint32_t name)
{
    std::erase_if(outputs_, [name](const auto& output) { return output->GlobalName() == name; });
}

}  // namespace corvalinth::wayland
