#include "wayland/output_wayland.h"

#include <algorithm>
#include <iterator>

#include "core/digit_font.h"
#include "linux/placement.h"
#include "swarm/screen_geometry.h"

namespace corvalinth::wayland {

namespace {
Output& Self(void* data) { return *static_cast<Output*>(data); }

// Where no picture can be had: dark, so that the dots show.
constexpr core::Pixel kBackdrop = core::Rgb(16, 16, 24);
constexpr int kFiguresMargin = 10;
}  // namespace

const wl_output_listener Output::kOutputListener = {
    .geometry = [](void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                   const char*, const char*, std::int32_t) {},
    .mode = [](void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t) {
        if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
        Self(data).modeWidth_ = width;
        Self(data).modeHeight_ = height;
    },
    .done = [](void* data, wl_output*) { Self(data).known_ = true; },
    .scale = [](void* data, wl_output*, std::int32_t factor) { Self(data).scale_ = std::max(1, factor); },
    .name = [](void* data, wl_output*, const char* name) { Self(data).name_ = name; },
    .description = [](void*, wl_output*, const char*) {},
};

const zwlr_layer_surface_v1_listener Output::kLayerListener = {
    .configure = [](void* data, zwlr_layer_surface_v1*, std::uint32_t serial, std::uint32_t width,
                    std::uint32_t height) { Self(data).Configure(serial, static_cast<int>(width), static_cast<int>(height)); },
    .closed = [](void* data, zwlr_layer_surface_v1*) { Self(data).closed_ = true; },
};

const xdg_toplevel_listener Output::kToplevelListener = {
    .configure = [](void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*) {
        Self(data).toplevelWidth_ = width;
        Self(data).toplevelHeight_ = height;
    },
    .close = [](void* data, xdg_toplevel*) { Self(data).closed_ = true; },
};

const xdg_surface_listener Output::kXdgSurfaceListener = {
    .configure = [](void* data, xdg_surface*, std::uint32_t serial) {
        Output& self = Self(data);
        self.Configure(serial, self.toplevelWidth_, self.toplevelHeight_);
    },
};

const wl_callback_listener Output::kFrameListener = {
    .done = [](void* data, wl_callback* callback, std::uint32_t) {
        wl_callback_destroy(callback);
        Self(data).frame_ = nullptr;
    },
};

Output::Output(const Globals& globals, wl_output* output, std::uint32_t globalName)
    : globals_(globals), output_(output), globalName_(globalName), name_("output " + std::to_string(globalName))
{
    wl_output_add_listener(output_, &kOutputListener, this);
}

Output::~Output()
{
    run_.reset();
    if (frame_) wl_callback_destroy(frame_);
    if (toplevel_) xdg_toplevel_destroy(toplevel_);
    if (xdgSurface_) xdg_surface_destroy(xdgSurface_);
    if (layerSurface_) zwlr_layer_surface_v1_destroy(layerSurface_);
    buffers_.Clear();
    if (surface_) wl_surface_destroy(surface_);
    if (wl_output_get_version(output_) >= WL_OUTPUT_RELEASE_SINCE_VERSION) wl_output_release(output_);
    else wl_output_destroy(output_);
}

void Output::Cover(std::optional<core::PixelSurface> picture, const RunSettings& settings)
{
    picture_ = std::move(picture);
    settings_ = settings;
    if (settings.fps) frameRate_ = std::make_unique<linux_host::FrameRate>();
    surface_ = wl_compositor_create_surface(globals_.compositor);
    if (globals_.layerShell) {
        layerSurface_ = zwlr_layer_shell_v1_get_layer_surface(globals_.layerShell, surface_, output_,
                                                              ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "corvalinth");
        zwlr_layer_surface_v1_set_anchor(layerSurface_, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                                            ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
        // Over panels too, and the keyboard all ours.
        zwlr_layer_surface_v1_set_exclusive_zone(layerSurface_, -1);
        zwlr_layer_surface_v1_set_keyboard_interactivity(layerSurface_, 1);
        zwlr_layer_surface_v1_add_listener(layerSurface_, &kLayerListener, this);
    } else {
        xdgSurface_ = xdg_wm_base_get_xdg_surface(globals_.windows, surface_);
        xdg_surface_add_listener(xdgSurface_, &kXdgSurfaceListener, this);
        toplevel_ = xdg_surface_get_toplevel(xdgSurface_);
        xdg_toplevel_add_listener(toplevel_, &kToplevelListener, this);
        xdg_toplevel_set_title(toplevel_, "corvalinth");
        xdg_toplevel_set_app_id(toplevel_, "corvalinth");
        xdg_toplevel_set_fullscreen(toplevel_, output_);
    }
    // The first commit carries no buffer: it asks for the configure.
    wl_surface_commit(surface_);
}

void Output::Configure(std::uint32_t serial, int width, int height)
{
    configureSerial_ = serial;
    needsAck_ = true;
    configured_ = true;
    // 0 leaves the size to this program: the output's.
    width_ = width > 0 ? width : modeWidth_ / scale_;
    height_ = height > 0 ? height : modeHeight_ / scale_;
}

void Output::Build(double nowMs)
{
    run_.reset();
    buffers_.Clear();
    bufferScale_ = scale_;
    bufferWidth_ = width_ * bufferScale_;
    bufferHeight_ = height_ * bufferScale_;
    startup_ = core::PixelSurface(bufferWidth_, bufferHeight_, kBackdrop);
    if (picture_) linux_host::PlacePicture(startup_.View(), picture_->View());
    display_ = core::PixelSurface(bufferWidth_, bufferHeight_);
    swarm::AnimationSettings animation = settings_.animation;
    // Dots as the other hosts draw them at this density.
    animation.penWidth = std::clamp(animation.penWidth * bufferScale_, 1, 3);
    run_ = std::make_unique<swarm::PacedRun>(swarm::ScreenGeometry(bufferWidth_, bufferHeight_), animation,
                                             *settings_.random, *settings_.clock,
                                             swarm::RunSurfaces{display_.View(), startup_.View(), {}});
    run_->Start(nowMs);
    wl_surface_set_buffer_scale(surface_, bufferScale_);
    // Opaque all over: the compositor need not draw what lies beneath.
    wl_region* opaque = wl_compositor_create_region(globals_.compositor);
    wl_region_add(opaque, 0, 0, width_, height_);
    wl_surface_set_opaque_region(surface_, opaque);
    wl_region_destroy(opaque);
}

std::optional<double> Output::NextDueMs() const
{
    // Waiting on the compositor: a frame callback, a buffer it still holds, or a usable size.
    if (!configured_ || closed_ || frame_ || width_ <= 0 || height_ <= 0 || !buffers_.Available()) return std::nullopt;
    return run_ && !needsAck_ ? run_->NextDueMs() : 0.0;
}

bool Output::Render(double nowMs)
{
    const auto due = NextDueMs();
    if (!due || *due > nowMs) return false;
    const bool resized = width_ * scale_ != bufferWidth_ || height_ * scale_ != bufferHeight_;
    if (!run_ || resized) Build(nowMs);
    ShmBuffer* buffer = buffers_.Free(globals_.shm, bufferWidth_, bufferHeight_, display_.View());
    if (!buffer) return false;
    const swarm::FrameChanges& changes = run_->Frame(nowMs);
    if (changes.Empty() && !needsAck_) return false;
    if (needsAck_) {
        if (layerSurface_) zwlr_layer_surface_v1_ack_configure(layerSurface_, configureSerial_);
        else xdg_surface_ack_configure(xdgSurface_, configureSerial_);
        needsAck_ = false;
    }
    Present(*buffer, changes, nowMs);
    return true;
}

void Output::Present(ShmBuffer& buffer, const swarm::FrameChanges& changes, double nowMs)
{
    const core::SurfaceView pixels = buffer.Pixels();
    written_.assign(changes.display.begin(), changes.display.end());
    for (const auto& copy : changes.outer) written_.push_back(copy.target);
    rewritten_.clear();
    std::copy_if(written_.begin(), written_.end(), std::back_inserter(rewritten_),
                 [this](const core::Rect& r) { return r.top <= 0 && r.bottom >= bufferHeight_; });
    BufferSet::Repair(buffer, display_.View(), rewritten_);
    for (const core::Rect& r : changes.display) CopyInto(pixels, r, display_.View());
    for (const auto& copy : changes.outer) CopyInto(pixels, copy.target, changes.latest, copy.offsetX);
    if (frameRate_) {
        frameRate_->Frame(nowMs);
        written_.push_back(core::DrawLines(pixels, kFiguresMargin, bufferHeight_ - kFiguresMargin, frameRate_->Lines(),
                                           bufferScale_));
    }
    Damage(written_, pixels.Bounds());
    buffers_.Written(&buffer, written_);
    buffer.Attach(surface_);
    frame_ = wl_surface_frame(surface_);
    wl_callback_add_listener(frame_, &kFrameListener, this);
    wl_surface_commit(surface_);
}

// The compositor repaints each damage rectangle through every surface
// beneath: bands that mostly fill their bounds cost it more than the bounds.
void Output::Damage(std::span<const core::Rect> written, const core::Rect& whole)
{
    const std::vector<core::Rect>& cover = damage_.Cover(written, whole);
    const auto [bounds, mostlyFilled] = core::ExtentOf(cover);
    if (mostlyFilled) {
        wl_surface_damage_buffer(surface_, bounds.left, bounds.top, bounds.Width(), bounds.Height());
        return;
    }
    for (const core::Rect& r : cover) wl_surface_damage_buffer(surface_, r.left, r.top, r.Width(), r.Height());
}

}  // namespace corvalinth::wayland
