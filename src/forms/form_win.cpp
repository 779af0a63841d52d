#include "forms/form_win.h"

#include <vector>

#include "forms/app_win.h"
#include "forms/dpi_win.h"

namespace corvalinth::forms {
namespace {

int ToTwips(int pixels, float twipsPerPixel)
{
    return static_cast<int>(static_cast<float>(pixels) * twipsPerPixel);
}
int ToPixels(int twips, float twipsPerPixel)
{
    return static_cast<int>(static_cast<float>(twips) / twipsPerPixel + 0.5F);
}

// The windows that a modal form disables while it is open, enabled again after.
std::vector<HWND> DisableThreadWindows(HWND except)
{
    struct Walk {
        HWND except;
        std::vector<HWND> enabled;
    } walk{except, {}};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM context) -> BOOL {
            auto* state = reinterpret_cast<Walk*>(context);
            if (window != state->except && ::IsWindowVisible(window) && ::IsWindowEnabled(window))
                state->enabled.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&walk));
    for (HWND window : walk.enabled) ::EnableWindow(window, FALSE);
    return walk.enabled;
}

// A form can go away inside a message sent from another thread or process, which
// GetMessage handles without returning; a posted no-op lets the loop that waits
// for the form notice.
void WakeMessageLoop() { ::PostThreadMessageW(::GetCurrentThreadId(), WM_NULL, 0, 0); }

}  // namespace

Form::Form(FormDesign design) : design_(std::move(design))
{
    if (design_.background) backgroundBrush_.Reset(::CreateSolidBrush(*design_.background));
}

Form::~Form()
{
    // Destroyed without unloading (the program ended): no handler runs any more.
    if (window_) {
        TieWindow<Form>(window_, nullptr);
        ::DestroyWindow(window_);
        window_ = nullptr;
    }
}

void Form::RegisterClassOnce() const
{
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{sizeof(existing)};
    if (::GetClassInfoExW(instance, design_.className.c_str(), &existing)) return;
    WNDCLASSEXW wc{sizeof(wc)};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Form::WindowProc;
    wc.hInstance = instance;
    wc.hIcon = design_.icon;
    wc.hIconSm = design_.icon;
    wc.hCursor = design_.cursor ? design_.cursor : ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = design_.className.c_str();
    ::RegisterClassExW(&wc);
}

void Form::Load()
{
    if (window_ || Ending()) return;
    RegisterClassOnce();
    RECT outer{0, 0, design_.clientWidth, design_.clientHeight};
    ::AdjustWindowRectEx(&outer, design_.style & ~WS_VISIBLE, FALSE, design_.exStyle);
    ::CreateWindowExW(design_.exStyle, design_.className.c_str(), design_.caption.c_str(),
                      design_.style & ~WS_VISIBLE, 0, 0, outer.right - outer.left,
                      outer.bottom - outer.top, nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
    if (!window_) return;
    if (design_.clientTwips)
        SetClientSizePixels(TwipsToPixelsAt(design_.clientTwips->width, Dpi()),
                            TwipsToPixelsAt(design_.clientTwips->height, Dpi()), 0, 0);
    loadStarted_ = true;
    Form_Load();
}

void Form::Show()
{
    Load();
    if (!window_ || Ending()) return;
    ::ShowWindow(window_, SW_SHOW);
    // A form resizes its contents when it is first shown, whatever its size.
    if (!shown_) {
        shown_ = true;
        Form_Resize();
    }
    if (window_) ::UpdateWindow(window_);
}

void Form::ShowModal()
{
    Load();
    if (!window_ || Ending()) return;
    const std::vector<HWND> disabled = DisableThreadWindows(window_);
    Show();
    MSG msg;
    while (window_ && !Ending() && detail::NextMessage(msg))
        detail::Dispatch(msg, design_.dialogKeys ? window_ : nullptr);
    for (HWND window : disabled)
        if (::IsWindow(window)) ::EnableWindow(window, TRUE);
}

bool Form::Unload()
{
    if (!window_) return true;
    if (unloading_) return false;
    std::int16_t cancel = 0;
    unloading_ = true;
    Form_Unload(cancel);
    unloading_ = false;
    if (cancel != 0 || !window_) return !window_;
    HWND window = window_;
    window_ = nullptr;
    TieWindow<Form>(window, nullptr);
    ::DestroyWindow(window);
    WakeMessageLoop();
    return true;
}

int Form::Dpi() const { return dpi_ > 0 ? dpi_ : WindowDpi(window_); }
float Form::TwipsPerPixelX() const { return TwipsPerPixelAt(Dpi()); }
float Form::TwipsPerPixelY() const { return TwipsPerPixelAt(Dpi()); }

void Form::Form_DpiChanged(const RECT& suggested)
{
    ::SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT Form::WindowRectPixels() const
{
    RECT r{};
    if (window_) {
        ::GetWindowRect(window_, &r);
        // A child form measures itself against its parent's client area.
        if (HWND parent = ::GetParent(window_); parent && (::GetWindowLongW(window_, GWL_STYLE) & WS_CHILD))
            ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    }
    return r;
}

SIZE Form::ClientSizePixels() const
{
    RECT r{};
    if (window_) ::GetClientRect(window_, &r);
    return {r.right - r.left, r.bottom - r.top};
}

int Form::Left() const { return ToTwips(WindowRectPixels().left, TwipsPerPixelX()); }
int Form::Top() const { return ToTwips(WindowRectPixels().top, TwipsPerPixelY()); }
int Form::Width() const
{
    const RECT r = WindowRectPixels();
    return ToTwips(r.right - r.left, TwipsPerPixelX());
}
int Form::Height() const
{
    const RECT r = WindowRectPixels();
    return ToTwips(r.bottom - r.top, TwipsPerPixelY());
}

void Form::Move(int leftTwips, int topTwips)
{
    if (!window_) return;
    ::SetWindowPos(window_, nullptr, ToPixels(leftTwips, TwipsPerPixelX()), ToPixels(topTwips, TwipsPerPixelY()),
                   0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Move(int leftTwips, int topTwips, int widthTwips, int heightTwips)
{
    MovePixels(ToPixels(leftTwips, TwipsPerPixelX()), ToPixels(topTwips, TwipsPerPixelY()),
               ToPixels(widthTwips, TwipsPerPixelX()), ToPixels(heightTwips, TwipsPerPixelY()));
}

void Form::MovePixels(int left, int top, int width, int height)
{
    if (!window_) return;
    ::SetWindowPos(window_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetClientSizePixels(int width, int height, int left, int top)
{
    if (!window_) return;
    RECT outer{0, 0, width, height};
    AdjustWindowRectForDpi(outer, static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_STYLE)),
                           static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_EXSTYLE)), Dpi());
    MovePixels(left, top, outer.right - outer.left, outer.bottom - outer.top);
    // The frame the window really has may be of another DPI than asked for;
    // the client area is what counts.
    const SIZE client = ClientSizePixels();
    if (client.cx != width || client.cy != height)
        MovePixels(left, top, outer.right - outer.left + width - client.cx,
                   outer.bottom - outer.top + height - client.cy);
}

std::optional<LRESULT> Form::OnMessage(UINT, WPARAM, LPARAM) { return std::nullopt; }

void Form::EraseBackground(HDC dc) const
{
    RECT r{};
    ::GetClientRect(window_, &r);
    ::FillRect(dc, &r, backgroundBrush_.Get());
}

LRESULT CALLBACK Form::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->window_ = window;
        form->dpi_ = WindowDpi(window);
        TieWindow(window, form);
    }
    auto* form = TiedObject<Form>(window);
    // Once the program ends, or after the form let go of its window, no handler runs.
    if (!form || Ending()) return ::DefWindowProcW(window, message, wParam, lParam);
    return form->HandleMessage(message, wParam, lParam);
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DPICHANGED) {
        // The new DPI comes with the message; every twips length follows it.
        if (const int dpi = LOWORD(wParam); dpi > 0) dpi_ = dpi;
        if (lParam) Form_DpiChanged(*reinterpret_cast<const RECT*>(lParam));
        return 0;
    }
    if (auto handled = OnMessage(message, wParam, lParam)) return *handled;
    switch (message) {
    case WM_ERASEBKGND:
        if (backgroundBrush_) {
            EraseBackground(reinterpret_cast<HDC>(wParam));
            return 1;
        }
        break;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED && loadStarted_) Form_Resize();
        return 0;
    case WM_CLOSE:
        Unload();
        return 0;
    case WM_NCDESTROY: {
        // Destroyed from outside (a parent window went away): the form is unloaded.
        const LRESULT result = ::DefWindowProcW(window_, message, wParam, lParam);
        if (window_) {
            std::int16_t ignored = 0;
            HWND window = window_;
            window_ = nullptr;
            TieWindow<Form>(window, nullptr);
            if (!unloading_) Form_Unload(ignored);
            WakeMessageLoop();
        }
        return result;
    }
    default:
        break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace corvalinth::forms
