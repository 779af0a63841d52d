#pragma once
// Everything of one output: its wl_output and what it told of itself, the
// surface that covers it (on the overlay layer, or a full-screen toplevel
// where there is no layer shell), the configure to acknowledge, the buffers,
// the desktop picture and the swarm's run over it. Destroyed in reverse order.
#include <wayland-client.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/random.h"
#include "core/surface.h"
#include "linux/banded_cover.h"
#include "linux/frame_rate.h"
#include "swarm/animation.h"
#include "swarm/paced_run.h"
#include "wayland/globals_wayland.h"
#include "wayland/shm_buffer_wayland.h"

namespace corvalinth::wayland {

// What every output's run is made with.
struct RunSettings {
    swarm::AnimationSettings animation;
    bool fps = false;
    core::Random* random = nullptr;
    const core::Clock* clock = nullptr;
};

class Output {
public:
    Output(const Globals& globals, wl_output* output, std::uint32_t globalName);
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    std::uint32_t GlobalName() const { return globalName_; }
    wl_output* Handle() const { return output_; }
    const std::string& Name() const { return name_; }
    // Its mode and scale are known: it can be covered.
    bool Known() const { return known_; }
    bool Covered() const { return surface_ != nullptr; }
    // The compositor closed its surface.
    bool Closed() const { return closed_; }

    // Puts a surface over the output, `picture` (its desktop) or a dark
    // backdrop beneath the swarm.
    void Cover(std::optional<core::PixelSurface> picture, const RunSettings& settings);

    // Presents the next frame at `nowMs` if one is due and the compositor
    // asked for it; whether it committed.
    bool Render(double nowMs);
    // When Render next has work (nullopt while waiting on the compositor).
    std::optional<double> NextDueMs() const;

private:
    static const wl_output_listener kOutputListener;
    static const zwlr_layer_surface_v1_listener kLayerListener;
    static const xdg_surface_listener kXdgSurfaceListener;
    static const xdg_toplevel_listener kToplevelListener;
    static const wl_callback_listener kFrameListener;

    void Configure(std::uint32_t serial, int width, int height);
    void Build(double nowMs);
    void Present(ShmBuffer& buffer, const swarm::FrameChanges& changes, double nowMs);
    void Damage(std::span<const core::Rect> written, const core::Rect& whole);

    const Globals& globals_;
    wl_output* output_;
    std::uint32_t globalName_;
    std::string name_;
    int modeWidth_ = 0, modeHeight_ = 0, scale_ = 1;
    bool known_ = false;

    wl_surface* surface_ = nullptr;
    zwlr_layer_surface_v1* layerSurface_ = nullptr;
    xdg_surface* xdgSurface_ = nullptr;
    xdg_toplevel* toplevel_ = nullptr;
    std::uint32_t configureSerial_ = 0;
    bool needsAck_ = false, configured_ = false, closed_ = false;
    int width_ = 0, height_ = 0;                  // in surface units, as configured
    int toplevelWidth_ = 0, toplevelHeight_ = 0;  // a toplevel's pending size
    int bufferWidth_ = 0, bufferHeight_ = 0;      // the buffers' real pixels
    int bufferScale_ = 1;
    wl_callback* frame_ = nullptr;

    RunSettings settings_;
    std::optional<core::PixelSurface> picture_;
    core::PixelSurface startup_, display_;
    std::unique_ptr<swarm::PacedRun> run_;
    BufferSet buffers_;
    std::unique_ptr<linux_host::FrameRate> frameRate_;  // with --fps
    std::vector<core::Rect> written_;
    std::vector<core::Rect> rewritten_;  // the frame's full-height parts
    // The compositor pays for every damage rectangle (it repaints each one
    // through every surface beneath): a few dots are sent as bands of 32
    // rows, whose spans closer than 128 pixels are joined; a thousand, whose
    // bands fill most of the screen, as the screen.
    linux_host::BandedCover damage_{5, 128};
};

}  // namespace corvalinth::wayland
