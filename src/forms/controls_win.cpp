#include "forms/controls_win.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace corvalinth::forms {
namespace {

constexpr wchar_t kPictureBoxClass[] = L"CorvalinthPictureBox";

bool IsReflected(UINT message)
{
    switch (message) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORLISTBOX:
        return true;
    default:
        return false;
    }
}

void RegisterPictureBoxClass(WNDPROC procedure)
{
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{sizeof(existing)};
    if (::GetClassInfoExW(instance, kPictureBoxClass, &existing)) return;
    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kPictureBoxClass;
    ::RegisterClassExW(&wc);
}

}  // namespace

ChildControl::ChildControl(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style,
                           DWORD exStyle, const PixelPlace& place)
    : window_(::CreateWindowExW(exStyle, className, text.c_str(), style | WS_CHILD | WS_VISIBLE, place.left,
                                place.top, place.width, place.height, parent, nullptr, ::GetModuleHandleW(nullptr),
                                nullptr))
{
    if (window_) TieWindow(window_.Get(), this);
}

ChildControl::~ChildControl()
{
    if (window_ && ::IsWindow(window_.Get())) TieWindow<ChildControl>(window_.Get(), nullptr);
}

ChildControl* ChildControl::FromWindow(HWND window)
{
    if (!window || !::IsWindow(window)) return nullptr;
    // Another process's window cannot be ours, whatever property it carries.
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process != ::GetCurrentProcessId()) return nullptr;
    return TiedObject<ChildControl>(window);
}

void ChildControl::SetFont(HFONT font)
{
    if (window_) ::SendMessageW(window_.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void ChildControl::Move(const PixelPlace& place)
{
    if (window_) ::MoveWindow(window_.Get(), place.left, place.top, place.width, place.height, TRUE);
}

void ChildControl::SetBackColor(COLORREF color)
{
    back_ = color;
    backBrush_.Reset(::CreateSolidBrush(color));
    if (window_) ::InvalidateRect(window_.Get(), nullptr, TRUE);
}

void ChildControl::SetForeColor(std::optional<COLORREF> color)
{
    fore_ = color;
    if (window_) ::InvalidateRect(window_.Get(), nullptr, TRUE);
}

bool ChildControl::Enabled() const { return window_ && ::IsWindowEnabled(window_.Get()); }

void ChildControl::SetEnabled(bool enabled)
{
    if (window_) ::EnableWindow(window_.Get(), enabled ? TRUE : FALSE);
}

bool ChildControl::TabStop() const
{
    return window_ && (::GetWindowLongW(window_.Get(), GWL_STYLE) & WS_TABSTOP) != 0;
}

void ChildControl::SetTabStop(bool tabStop)
{
    if (!window_) return;
    LONG style = ::GetWindowLongW(window_.Get(), GWL_STYLE);
    style = tabStop ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
    ::SetWindowLongW(window_.Get(), GWL_STYLE, style);
}

void ChildControl::SetAccessibleName(std::wstring name)
{
    accessibleName_.reset();
    if (window_) accessibleName_ = std::make_unique<AccessibleLabel>(window_.Get(), std::move(name));
}

std::optional<LRESULT> ChildControl::OnReflected(UINT, WPARAM, LPARAM) { return std::nullopt; }

std::optional<LRESULT> ChildControl::Colors(HDC dc)
{
    if (!back_ && !fore_) return std::nullopt;
    if (fore_) ::SetTextColor(dc, *fore_);
    if (!back_) return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
    ::SetBkColor(dc, *back_);
    return reinterpret_cast<LRESULT>(backBrush_.Get());
}

std::optional<LRESULT> ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!IsReflected(message) || lParam == 0) return std::nullopt;
    ChildControl* control = ChildControl::FromWindow(reinterpret_cast<HWND>(lParam));
    if (!control) return std::nullopt;
    if (auto answer = control->OnReflected(message, wParam, lParam)) return answer;
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
        return control->Colors(reinterpret_cast<HDC>(wParam));
    return std::nullopt;
}

// --- OptionButton ---------------------------------------------------------------

OptionButton::OptionButton(HWND parent, const std::wstring& caption, const PixelPlace& place, bool firstOfGroup)
    : ChildControl(parent, L"BUTTON", caption, BS_AUTORADIOBUTTON | (firstOfGroup ? WS_GROUP : 0), 0, place)
{
}

bool OptionButton::Value() const
{
    return hWnd() && ::SendMessageW(hWnd(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void OptionButton::Check(bool value)
{
    ::SendMessageW(hWnd(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
    SetTabStop(value);
}

void OptionButton::SetValue(bool value)
{
    if (!hWnd()) return;
    const bool was = Value();
    if (!value) {
        Check(false);
        return;
    }
    std::vector<OptionButton*> others;
    for (HWND sibling = ::GetWindow(::GetParent(hWnd()), GW_CHILD); sibling;
         sibling = ::GetWindow(sibling, GW_HWNDNEXT)) {
        if (sibling == hWnd()) continue;
        if (auto* option = dynamic_cast<OptionButton*>(FromWindow(sibling))) others.push_back(option);
    }
    for (auto* option : others) option->Check(false);
    Check(true);
    if (!was && onClick) onClick();
}

std::optional<LRESULT> OptionButton::OnReflected(UINT message, WPARAM wParam, LPARAM)
{
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return std::nullopt;
    const bool was = Value();
    SetValue(true);
    if (was && onClick) onClick();
    return 0;
}

// --- HScrollBar -----------------------------------------------------------------

HScrollBar::HScrollBar(HWND parent, const ScrollRange& range, const PixelPlace& place)
    : ChildControl(parent, L"SCROLLBAR", L"", SBS_HORZ | WS_TABSTOP | WS_GROUP, 0, place),
      range_(range),
      value_(ClampToRange(range, range.min))
{
    if (!hWnd()) return;
    SCROLLINFO info{sizeof(info)};
    info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
    info.nMin = std::min(range_.min, range_.max);
    info.nMax = std::max(range_.min, range_.max);
    info.nPage = 0;
    info.nPos = value_;
    ::SetScrollInfo(hWnd(), SB_CTL, &info, TRUE);
}

void HScrollBar::SetValue(int value)
{
    const int next = ClampToRange(range_, value);
    if (next == value_) return;
    value_ = next;
    if (hWnd()) ::SetScrollPos(hWnd(), SB_CTL, value_, TRUE);
    if (onChange) onChange();
}

std::optional<LRESULT> HScrollBar::OnReflected(UINT message, WPARAM wParam, LPARAM)
{
    if (message != WM_HSCROLL) return std::nullopt;
    ScrollAction action;
    switch (LOWORD(wParam)) {
    case SB_LINELEFT: action = ScrollAction::LineLeft; break;
    case SB_LINERIGHT: action = ScrollAction::LineRight; break;
    case SB_PAGELEFT: action = ScrollAction::PageLeft; break;
    case SB_PAGERIGHT: action = ScrollAction::PageRight; break;
    case SB_THUMBTRACK: action = ScrollAction::ThumbTrack; break;
    case SB_THUMBPOSITION: action = ScrollAction::ThumbPosition; break;
    case SB_LEFT: action = ScrollAction::Left; break;
    case SB_RIGHT: action = ScrollAction::Right; break;
    default: return 0;
    }
    // The message carries only 16 bits of the thumb; the control knows all of it.
    SCROLLINFO info{sizeof(info)};
    info.fMask = SIF_TRACKPOS;
    const int thumb = ::GetScrollInfo(hWnd(), SB_CTL, &info) ? info.nTrackPos : value_;
    const ScrollOutcome outcome = ApplyScroll(range_, value_, action, thumb);
    if (outcome.value != value_ || action == ScrollAction::ThumbPosition) {
        value_ = outcome.value;
        ::SetScrollPos(hWnd(), SB_CTL, value_, TRUE);
    }
    if (outcome.event == ScrollEvent::Change && onChange) onChange();
    if (outcome.event == ScrollEvent::Scroll && onScroll) onScroll();
    return 0;
}

// --- TextBox --------------------------------------------------------------------

TextBox::TextBox(HWND parent, const std::wstring& text, const PixelPlace& place)
    : ChildControl(parent, L"EDIT", text, ES_AUTOHSCROLL | ES_LEFT | WS_TABSTOP | WS_GROUP, WS_EX_CLIENTEDGE, place)
{
}

std::wstring TextBox::Text() const
{
    if (!hWnd()) return {};
    const int length = ::GetWindowTextLengthW(hWnd());
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(hWnd(), text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

void TextBox::SetText(const std::wstring& text)
{
    if (hWnd()) ::SetWindowTextW(hWnd(), text.c_str());
}

void TextBox::SetPasswordChar(wchar_t c)
{
    if (!hWnd()) return;
    ::SendMessageW(hWnd(), EM_SETPASSWORDCHAR, c, 0);
    ::InvalidateRect(hWnd(), nullptr, TRUE);
}

wchar_t TextBox::PasswordChar() const
{
    return hWnd() ? static_cast<wchar_t>(::SendMessageW(hWnd(), EM_GETPASSWORDCHAR, 0, 0)) : L'\0';
}

// --- PictureBox -----------------------------------------------------------------

namespace {
// The class must exist before the base constructor creates the window.
HWND WithPictureBoxClass(HWND parent, WNDPROC procedure)
{
    RegisterPictureBoxClass(procedure);
    return parent;
}
}  // namespace

PictureBox::PictureBox(HWND parent, const PixelPlace& place, COLORREF background, bool container)
    : ChildControl(WithPictureBoxClass(parent, &PictureBox::WindowProc), kPictureBoxClass, L"",
                   WS_CLIPCHILDREN | WS_CLIPSIBLINGS, container ? WS_EX_CONTROLPARENT : 0, place),
      surface_(place.width, place.height)
{
    if (surface_.Valid())
        surface_.View().Fill(core::Rgb(GetRValue(background), GetGValue(background), GetBValue(background)));
}

void PictureBox::Move(const PixelPlace& place, COLORREF background)
{
    if (place.width != surface_.Width() || place.height != surface_.Height())
        surface_ = DibSurface(place.width, place.height);
    if (surface_.Valid())
        surface_.View().Fill(core::Rgb(GetRValue(background), GetGValue(background), GetBValue(background)));
    ChildControl::Move(place);
}

void PictureBox::Refresh(const RECT* area) const
{
    if (hWnd()) ::InvalidateRect(hWnd(), area, FALSE);
}

LRESULT CALLBACK PictureBox::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* box = dynamic_cast<PictureBox*>(FromWindow(window));
    if (box) {
        if (IsReflected(message)) {
            if (auto answer = ReflectToControl(message, wParam, lParam)) return *answer;
            // Not one of ours (or not answered): the form hears about it.
            if (message == WM_COMMAND || message == WM_HSCROLL || message == WM_VSCROLL)
                return ::SendMessageW(::GetParent(window), message, wParam, lParam);
        }
        switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(window, &ps);
            const RECT& r = ps.rcPaint;
            if (box->surface_.Valid())
                ::BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, box->surface_.Dc(), r.left, r.top,
                         SRCCOPY);
            ::EndPaint(window, &ps);
            return 0;
        }
        default:
            break;
        }
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace corvalinth::forms
