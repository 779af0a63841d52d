#include "saver/saver_form_win.h"

#include <imm.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <utility>

#include "forms/app_win.h"
#include "forms/dpi_win.h"
#include "forms/handles_win.h"
#include "forms/screen_win.h"
#include "password/end_saver_win.h"
#include "saver/snapshot_win.h"

namespace corvalinth::saver {

namespace {
constexpr UINT kRefreshMessage = WM_APP + 2;
// Posted on losing the foreground: looked at once the activation has settled.
constexpr UINT kForegroundLostMessage = WM_APP + 3;
constexpr UINT kForegroundLookAgainMs = 50;

// The whole virtual screen in pixels; twips follow the primary monitor's DPI.
swarm::ScreenGeometry GeometryOf(const core::MonitorLayout& layout)
{
    const int dpi = forms::SystemDpi();
    return swarm::ScreenGeometry(layout.Width(), layout.Height(), dpi, dpi);
}

// What no monitor shows is black, whatever a capture found there.
void BlackenUncovered(const core::SurfaceView& surface, const core::MonitorLayout& layout)
{
    for (const core::Rect& r : layout.Uncovered()) surface.FillRect(r, 0);
}

forms::FormDesign SaverDesign(const swarm::ScreenGeometry& screen)
{
    forms::FormDesign design;
    design.className = L"Corvalinth_S";
    design.caption = L"Corvalinth_Main";
    design.style = WS_POPUP;  // no border, no title bar: the client area is the window
    design.exStyle = 0;
    design.clientWidth = screen.WidthPixels();
    design.clientHeight = screen.HeightPixels();
    return design;
}

// The pixels of a picture, copied once into `storage` when the picture keeps
// them in the device's own format.
core::SurfaceView PixelsOf(const forms::Picture& picture, forms::DibSurface& storage, int width,
                           int height)
{
    if (auto pixels = PicturePixels(picture)) return *pixels;
    storage = forms::DibSurface(width, height);
    if (!storage.Valid()) return {};
    storage.View().Fill(0);
    if (const HBITMAP bitmap = picture ? picture.Handle() : nullptr) {
        forms::MemoryDC source = forms::CreateMemoryDC(storage.Dc());
        forms::ScopedSelectObject select(source.Get(), bitmap);
        std::optional<forms::ScopedSelectPalette> palette;
        if (const HPALETTE hpal = picture.PaletteHandle()) palette.emplace(source.Get(), hpal, FALSE);
        ::BitBlt(storage.Dc(), 0, 0, width, height, source.Get(), 0, 0, SRCCOPY);
        ::GdiFlush();
    }
    return storage.View();
}
}  // namespace

Corvalinth_S::Corvalinth_S(const SaverOptions& options)
    : forms::Form(SaverDesign(GeometryOf(forms::Screen::Layout()))),
      options_(options),
      layout_(forms::Screen::Layout()),
      geometry_(GeometryOf(layout_)),
      timer1_([this] { Timer1_Timer(); }, 1, false),
      foregroundCheck_([this] { CheckForeground(); }, kForegroundLookAgainMs, false)
{}

Corvalinth_S::~Corvalinth_S()
{
    timer1_.SetEnabled(false);
    frames_.reset();
    ReleaseLatestDc();
}

void Corvalinth_S::ReleaseLatestDc()
{
    // The snapshot's bitmap must leave the DC before the picture can free it.
    latestSelection_.reset();
    latestDc_.Reset();
}

void Corvalinth_S::Form_Load()
{
    // The size comes from the screen's pixel geometry; twips only place particles.
    // The window spans every monitor, from the virtual screen's corner.
    CoverScreen();
    screenW_ = static_cast<std::int16_t>(geometry_.WidthPixels());
    screenH_ = static_cast<std::int16_t>(geometry_.HeightPixels());

    // The window is not visible yet, so this is the desktop without the saver.
    displayPicture_ = SnapDesktop();
    if (!displayPicture_) displayPicture_ = BlackPicture(screenW_, screenH_);
    master_[0] = displayPicture_;
    startupPixels_ = PixelsOf(master_[0], master0Storage_, screenW_, screenH_);
    BlackenUncovered(startupPixels_, layout_);

    display_ = forms::DibSurface(screenW_, screenH_);
    swarm::AnimationSettings settings;
    settings.gNum = options_.gNum;
    settings.gColor = options_.gColor;
    // The refresh timer paces the slide: every step it asks for is taken.
    settings.frameMs = 0;
    animation_ = std::make_unique<swarm::Animation>(geometry_, settings, random_, clock_);
    animation_->Attach(display_.View(), startupPixels_);
    animation_->SetSnapshotSource([this] { return TakeTransitionSnapshot(); });
    animation_->Cls();

    // Typed characters come straight to the window, never through an input method.
    ::ImmAssociateContext(hWnd(), nullptr);

    Show();
    ::SetWindowPos(hWnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    // The topmost call does not activate: take the keyboard so that no key goes
    // to the window behind.
    TakeFocus();
    // The display's state is reported at once on registering; a display that
    // is already off keeps the timer at rest.
    watch_ = std::make_unique<ScreenWatch>(hWnd());
    paused_ = watch_->Unseen();
    refresh_ = forms::DisplayRefresh(hWnd());
    frames_ = std::make_unique<forms::FrameTimer>(hWnd(), kRefreshMessage);
    RunTimers(!paused_);
}

void Corvalinth_S::CoverScreen()
{
    const core::Rect& bounds = layout_.Bounds();
    MovePixels(bounds.left, bounds.top, geometry_.WidthPixels(), geometry_.HeightPixels());
}

void Corvalinth_S::Relayout(core::MonitorLayout layout)
{
    if (!animation_ || ending_ || !hWnd()) return;
    const swarm::ScreenGeometry geometry = GeometryOf(layout);
    const int w = geometry.WidthPixels(), h = geometry.HeightPixels();
    const core::Offset shift = core::PictureShift(layout_, layout);

    // New surfaces of the new size. The start-up picture and what the window
    // shows keep their places on the desktop; where they do not reach is black.
    forms::Picture startupPicture = BlackPicture(w, h);
    forms::DibSurface startupStorage;
    core::SurfaceView startup;
    if (auto pixels = PicturePixels(startupPicture)) startup = *pixels;
    else startup = PixelsOf(startupPicture, startupStorage, w, h);
    forms::DibSurface display(w, h);
    if (startup.Width() != w || !display.Valid()) return;  // no memory: keep the old screen
    core::CarryOver(startup, startupPixels_, shift);
    core::CarryOver(display.View(), display_.View(), shift);
    BlackenUncovered(startup, layout);
    BlackenUncovered(display.View(), layout);

    animation_->Reshape(geometry, display.View(), startup);
    layout_ = std::move(layout);
    geometry_ = geometry;
    screenW_ = static_cast<std::int16_t>(w);
    screenH_ = static_cast<std::int16_t>(h);
    display_ = std::move(display);
    displayPicture_ = startupPicture;
    master_[0] = startupPicture;
    master0Storage_ = std::move(startupStorage);
    startupPixels_ = startup;
    // The last snapshot belongs to the old screen; the next transition takes its own.
    ReleaseLatestDc();
    master_[1] = {};
    master1Storage_ = {};
    latestPixels_ = {};
    pending_.Clear();  // the window is drawn again in full

    CoverScreen();
    refresh_ = forms::DisplayRefresh(hWnd());
    PaceFrames();
    ::SetWindowPos(hWnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    ::InvalidateRect(hWnd(), nullptr, FALSE);
}

void Corvalinth_S::Form_DpiChanged(const RECT& /*suggested*/)
{
    // The window covers every monitor whatever their DPI; it never takes the
    // size the system proposes for a window that moved.
    Relayout(forms::Screen::Layout());
}

void Corvalinth_S::UpdatePause()
{
    const bool unseen = watch_ && watch_->Unseen();
    if (unseen == paused_) return;
    paused_ = unseen;
    // No ticks while nobody can see them; the run takes up where it was.
    if (!ending_) RunTimers(!paused_);
    if (!paused_ && hWnd()) ::InvalidateRect(hWnd(), nullptr, FALSE);
}

void Corvalinth_S::Form_Resize()
{
    // The surfaces change only with the monitors (Relayout); a new window size
    // only needs the window drawn again.
    if (hWnd()) ::InvalidateRect(hWnd(), nullptr, FALSE);
}

void Corvalinth_S::TakeFocus()
{
    if (hWnd()) password::TakeForeground(hWnd());
}

void Corvalinth_S::CheckForeground()
{
    foregroundCheck_.SetEnabled(false);
    if (ending_ || !hWnd()) return;
    if (password::OnForegroundLost(hWnd(), options_.fullScreen, hadForeground_, [this] { EndSaver(); }) ==
        password::ForegroundCheck::LookAgain)
        foregroundCheck_.SetEnabled(true);
}

core::SurfaceView Corvalinth_S::TakeTransitionSnapshot()
{
    // The screen as shown now: trails, and anything on top such as a prompt.
    // The old picture goes first so that no more than one snapshot is alive.
    ReleaseLatestDc();
    master_[1] = {};
    latestPixels_ = {};
    master1Storage_ = {};
    // The snapshot shows the window: it must hold every dot drawn so far.
    PresentPending(false);
    // Make sure everything presented so far has reached the screen; the platform
    // may hold back what was drawn since its last idle moment.
    ::GdiFlush();
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
    master_[1] = SnapDesktop();
    if (master_[1]) latestPixels_ = PixelsOf(master_[1], master1Storage_, screenW_, screenH_);
    if (latestPixels_.Width() == 0) {
        // No snapshot: slide what the window shows.
        master1Storage_ = forms::DibSurface(screenW_, screenH_);
        if (master1Storage_.Valid()) {
            core::Copy(master1Storage_.View(), 0, 0, screenW_, screenH_, display_.View(), 0, 0);
            latestPixels_ = master1Storage_.View();
        }
    }
    if (!master1Storage_.Valid() && master_[1]) {
        latestDc_ = forms::CreateMemoryDC();
        if (latestDc_) latestSelection_.emplace(latestDc_.Get(), master_[1].Handle());
    }
    return latestPixels_;
}

std::optional<LRESULT> Corvalinth_S::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kRefreshMessage) {
        Refresh_Timer();
        if (frames_) frames_->Done();
        return 0;
    }
    if (message == kForegroundLostMessage) {
        CheckForeground();
        return 0;
    }
    if (auto handled = password::SaverCloseMessage(message, wParam, timer1_, options_.fullScreen,
                                                      [this] { EndSaver(); }))
        return handled;
    if (watch_ && watch_->Read(message, wParam, lParam)) {
        UpdatePause();
        return message == WM_POWERBROADCAST ? TRUE : 0;
    }
    switch (message) {
    case WM_DISPLAYCHANGE:
        Relayout(forms::Screen::Layout());
        return 0;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the surface covers every pixel
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // A click is a press and a release on the window; capturing keeps the
        // release here too, so nothing reaches the window behind.
        leftPressed_ = true;
        ::SetCapture(hWnd());
        return 0;
    case WM_LBUTTONUP: {
        const bool wasPressed = std::exchange(leftPressed_, false);
        if (::GetCapture() == hWnd()) ::ReleaseCapture();
        RECT client{};
        ::GetClientRect(hWnd(), &client);
        const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (wasPressed && ::PtInRect(&client, at)) Display_Click();
        return 0;
    }
    case WM_CAPTURECHANGED:
        leftPressed_ = false;
        return 0;
    case WM_CHAR:
        Display_KeyPress(static_cast<std::int16_t>(wParam));
        return 0;
    case WM_SETFOCUS:
        return 0;
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP: {
        // The foreground comes or goes; where it went is looked at once the
        // activation has settled (the prompt is a window of this process).
        const bool active = message == WM_ACTIVATE ? LOWORD(wParam) != WA_INACTIVE : wParam != FALSE;
        if (active) hadForeground_ = true;
        else ::PostMessageW(hWnd(), kForegroundLostMessage, 0, 0);
        return message == WM_ACTIVATE ? std::nullopt : std::optional<LRESULT>(0);
    }
    case WM_DESTROY:
        frames_.reset();  // nothing more is posted to a window that is going
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

void Corvalinth_S::Display_Click() { EndSaver(); }

void Corvalinth_S::Display_KeyPress(std::int16_t /*keyAscii*/) { EndSaver(); }

void Corvalinth_S::EndSaver()
{
    if (ending_) return;
    const auto prompt = [this] {
        promptOpen_ = true;
        if (passwordPrompt_) passwordPrompt_();
        else password::ShowPasswordPrompt();
        promptOpen_ = false;
    };
    if (password::EndSaverOn(endOfRun_, *this, timer1_, prompt, options_.fullScreen) ==
        password::EndSaverOutcome::Ended)
        ending_ = true;
}

int RunSaverWindow(const SaverOptions& options)
{
    Corvalinth_S form(options);
    form.Load();
    return forms::RunMessageLoop([&form] { return form.IsLoaded(); });
}

}  // namespace corvalinth::saver
