#include "password/password_form_win.h"

#include <vector>

#include "forms/dpi_win.h"
#include "forms/font_win.h"
#include "forms/screen_win.h"
#include "password/form_region.h"
#include "core/corvalinth_b.h"

namespace corvalinth {
namespace {

constexpr int kPassId = 1;
// The unload after a match is posted: the text box is still inside its own
// change notification, and posted messages are read before any further key.
constexpr UINT kUnloadAccepted = WM_APP + 1;

// Design lengths, twips.
constexpr double kClientWidth = 3600, kClientHeight = 810;
constexpr double kPassLeft = 240, kPassTop = 240, kPassWidth = 3015, kPassHeight = 285;

forms::FormDesign PromptDesign()
{
    forms::FormDesign design;
    design.className = Corvalinth_Pass::kClassName;
    design.caption = L"Corvalinth_Pass";
    design.style = WS_POPUP | WS_CLIPCHILDREN;
    design.exStyle = WS_EX_TOOLWINDOW;  // a borderless form stays off the taskbar
    design.clientTwips = forms::TwipsSize{kClientWidth, kClientHeight};
    design.background = RGB(0x80, 0x80, 0x80);
    return design;
}

}  // namespace

void FormTm(forms::Form& form)
{
    const HWND window = form.hWnd();
    if (!window) return;
    const SIZE client = form.ClientSizePixels();
    const password::ClientOffsets offsets = password::OffsetsOf(
        {static_cast<double>(form.Width()), static_cast<double>(form.Height()), form.TwipsPerPixelX(),
         form.TwipsPerPixelY(), static_cast<double>(client.cx), static_cast<double>(client.cy)});

    std::vector<password::ControlBox> controls;
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT r{};
        if (!::GetWindowRect(child, &r)) continue;
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        controls.push_back(core::Rect{r.left, r.top, r.right, r.bottom});
    }

    forms::Region combined;
    for (const core::Rect& rect : password::RegionRects(offsets, controls)) {
        forms::Region piece(::CreateRectRgn(rect.left, rect.top, rect.right, rect.bottom));
        if (!piece) continue;
        if (!combined) combined = std::move(piece);
        else ::CombineRgn(combined.Get(), combined.Get(), piece.Get(), RGN_OR);
    }
    // The window owns the region once it accepts it; no region leaves it whole.
    if (::SetWindowRgn(window, combined.Get(), TRUE)) combined.Release();
}

Corvalinth_Pass::Corvalinth_Pass()
    : forms::Form(PromptDesign()), Timer1([this] { Timer1_Timer(); }, kTimeoutMs, false)
{
}

Corvalinth_Pass::~Corvalinth_Pass() { Timer1.SetEnabled(false); }

std::wstring Corvalinth_Pass::PassText() const
{
    if (!pass_) return {};
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(pass_)) + 1, L'\0');
    const int copied = ::GetWindowTextW(pass_, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

void Corvalinth_Pass::Form_Load()
{
    // The text box, its text set at creation so no change is reported for it;
    // it scrolls sideways so a password longer than the box can be typed.
    pass_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", std::wstring(password::kPromptHint).c_str(),
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, 0, 0, 0, 0, hWnd(),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPassId)),
                              ::GetModuleHandleW(nullptr), nullptr);
    if (pass_) {
        ::SendMessageW(pass_, EM_SETLIMITTEXT, 0, 0);  // as long as any stored password
        ::SendMessageW(pass_, EM_SETSEL, 0, 0);        // caret at the start, nothing selected
    }
    check_.emplace(Module().gPassword);
    LayOut();
    ::SetWindowPos(hWnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    Timer1.SetEnabled(true);
}

void Corvalinth_Pass::LayOut()
{
    const int dpi = Dpi();
    const auto pixels = [dpi](double twips) { return forms::TwipsToPixelsAt(twips, dpi); };
    const RECT at = WindowRectPixels();
    SetClientSizePixels(pixels(kClientWidth), pixels(kClientHeight), at.left, at.top);
    if (pass_) {
        ::MoveWindow(pass_, pixels(kPassLeft), pixels(kPassTop), pixels(kPassWidth), pixels(kPassHeight), TRUE);
        // The box lets go of the old font before it is deleted.
        forms::Font font = forms::CreateUiFont(forms::FontRequest{}, Dpi());
        if (font) ::SendMessageW(pass_, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
        font_ = std::move(font);
    }
    // Centred on the primary monitor, whose corner is the desktop's origin; its
    // size in the prompt's own twips, so a prompt at another DPI centres too.
    const core::Rect primary = forms::Screen::PrimaryPixels();
    Move(password::CentredOrigin(static_cast<float>(primary.Width()) * TwipsPerPixelX(), Width()),
         password::CentredOrigin(static_cast<float>(primary.Height()) * TwipsPerPixelY(), Height()));
    FormTm(*this);
}

void Corvalinth_Pass::Form_DpiChanged(const RECT& /*suggested*/)
{
    // The prompt keeps its size in twips and its place on the primary monitor.
    LayOut();
}

void Corvalinth_Pass::Form_Unload(std::int16_t&)
{
    // Unloading stops the count; a later display loads everything afresh.
    Timer1.SetEnabled(false);
    check_.reset();
    pass_ = nullptr;
}

void Corvalinth_Pass::Pass_Change()
{
    if (!check_ || !check_->OnChange(PassText())) return;
    Module().gPassOK = kTrue;
    if (!::PostMessageW(hWnd(), kUnloadAccepted, 0, 0)) Unload();
}

void Corvalinth_Pass::Timer1_Timer()
{
    Timer1.SetEnabled(false);
    Unload();
}

std::optional<LRESULT> Corvalinth_Pass::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == kPassId && HIWORD(wParam) == EN_CHANGE && reinterpret_cast<HWND>(lParam) == pass_) {
            Pass_Change();
            return 0;
        }
        break;
    case WM_SETFOCUS:
        // The text box is the only control that takes the focus.
        if (pass_) ::SetFocus(pass_);
        return 0;
    case kUnloadAccepted:
        Unload();
        return 0;
    default:
        break;
    }
    return std::nullopt;
}

}  // namespace corvalinth
