#pragma once
// The connection to the compositor: the globals this program binds and one
// record per output, added and dropped as the registry announces them.
#include <wayland-client.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "wayland/output_wayland.h"
#include "wayland/globals_wayland.h"
#include "wayland/input_wayland.h"

namespace corvalinth::wayland {


class Connection {
public:
    // nullptr, with `why`, when no compositor answers.
    static std::unique_ptr<Connection> Open(std::string& why);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    wl_display* Display() const { return display_; }
    const Globals& Bound() const { return globals_; }
    std::vector<std::unique_ptr<Output>>& Outputs() { return outputs_; }
    // The seat's input; nullptr while the compositor offers no seat.
    const Input* SeatInput() const { return input_.get(); }

private:
    explicit Connection(wl_display* display);
    static const wl_registry_listener kRegistryListener;
    void Global(std::uint32_t name, const char* interface, std::uint32_t version);
    void GlobalGone(std::uint32_t name);

    wl_display* display_;
    wl_registry* registry_ = nullptr;
    Globals globals_;
    std::string ignoreList_;
    // Made as the seat is bound: its first events come in the same roundtrip.
    std::unique_ptr<Input> input_;
    // Last, so that the outputs go before the globals they were made with.
    std::vector<std::unique_ptr<Output>> outputs_;
};

}  // namespace corvalinth::wayland
