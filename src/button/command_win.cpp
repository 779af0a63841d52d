#include "button/command_win.h"

#include <oleacc.h>

#include <cmath>
#include <utility>
#include <vector>

#include "button/state_pictures.h"
#include "core/corvalinth_b.h"
#include "core/number_rules.h"
#include "forms/dpi_win.h"
#include "forms/font_win.h"

namespace corvalinth::button {

namespace {

constexpr UINT kDpiChangedAfterParent = 0x02E3;  // WM_DPICHANGED_AFTERPARENT
// A screen reader pressed the button; posted, so its call returns first.
constexpr UINT kAccessiblePress = WM_USER + 1;

void RegisterClassOnce(WNDPROC procedure)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (::GetClassInfoExW(::GetModuleHandleW(nullptr), kCommandClassName, &wc)) return;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = procedure;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kCommandClassName;
    ::RegisterClassExW(&wc);
}

// The container's own font when it has one, else the forms' Japanese UI font.
FontObject ContainerFont(HWND container)
{
    auto font = std::make_shared<FontDesc>(FontDesc{L"ＭＳ Ｐゴシック", 9.0, FW_NORMAL, false, false, false,
                                                   SHIFTJIS_CHARSET});
    const auto hfont = reinterpret_cast<HFONT>(container ? ::SendMessageW(container, WM_GETFONT, 0, 0) : 0);
    LOGFONTW lf{};
    if (hfont && ::GetObjectW(hfont, sizeof lf, &lf) == sizeof lf) {
        const int dpi = forms::WindowDpi(container);
        font->name = lf.lfFaceName;
        if (lf.lfHeight != 0) font->size = std::abs(lf.lfHeight) * 72.0 / dpi;
        font->weight = static_cast<std::int16_t>(lf.lfWeight ? lf.lfWeight : FW_NORMAL);
        font->italic = lf.lfItalic != 0;
        font->underline = lf.lfUnderline != 0;
        font->strikethrough = lf.lfStrikeOut != 0;
        font->charset = lf.lfCharSet;
    }
    return font;
}

// A 24-bit bitmap of a state picture, as the platform keeps such pictures.
forms::Bitmap MakeBitmap(const core::PixelSurface& picture)
{
    void* bits = nullptr;
    forms::Bitmap bitmap(forms::CreateTopDownDib(nullptr, picture.Width(), picture.Height(), 24, &bits));
    if (!bitmap || !bits) return {};
    const int stride = (picture.Width() * 3 + 3) & ~3;
    auto* bytes = static_cast<std::uint8_t*>(bits);
    for (int y = 0; y < picture.Height(); ++y) {
        std::uint8_t* row = bytes + static_cast<std::ptrdiff_t>(y) * stride;
        for (int x = 0; x < picture.Width(); ++x) {
            const core::Pixel p = picture.At(x, y);
            row[x * 3 + 0] = static_cast<std::uint8_t>(core::BlueOf(p));
            row[x * 3 + 1] = static_cast<std::uint8_t>(core::GreenOf(p));
            row[x * 3 + 2] = static_cast<std::uint8_t>(core::RedOf(p));
        }
    }
    return bitmap;
}

std::int16_t ShiftState(WPARAM wParam)
{
    std::int16_t shift = 0;
    if (wParam & MK_SHIFT) shift |= 1;
    if (wParam & MK_CONTROL) shift |= 2;
    if (::GetKeyState(VK_MENU) < 0) shift |= 4;
    return shift;
}

std::int16_t HeldButtons(WPARAM wParam)
{
    std::int16_t held = 0;
    if (wParam & MK_LBUTTON) held |= kLeftButton;
    if (wParam & MK_RBUTTON) held |= kRightButton;
    if (wParam & MK_MBUTTON) held |= kMiddleButton;
    return held;
}

}  // namespace

void ForEachCommand(HWND container, const std::function<void(CommandLike&)>& visit)
{
    std::vector<Command*> found;
    ::EnumChildWindows(
        container,
        [](HWND child, LPARAM context) -> BOOL {
            if (Command* command = Command::FromWindow(child))
                reinterpret_cast<std::vector<Command*>*>(context)->push_back(command);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    for (Command* command : found) visit(*command);
}

Command::Command(HWND container, int controlId)
    : controlId_(controlId),
      tppX_(forms::TwipsPerPixelAt(forms::WindowDpi(container))),
      tppY_(tppX_),
      ambientFont_(ContainerFont(container)),
      core_(*this),
      tmrMouse_([this] { TmrMouse_Timer(); })
{
    for (int i = 0; i < kStatePictureCount; ++i)
        pictures_[static_cast<std::size_t>(i)] = MakeBitmap(MakeStatePicture(static_cast<StatePicture>(i)));
    pictureDc_ = forms::CreateMemoryDC();

    RegisterClassOnce(&Command::WindowProc);
    ::CreateWindowExW(0, kCommandClassName, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                      container, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                      ::GetModuleHandleW(nullptr), this);
}

Command::~Command()
{
    tmrMouse_.SetEnabled(false);
    if (HWND window = window_.Get(); window && ::IsWindow(window)) {
        // Messages sent while the window goes away no longer reach this object.
        forms::TieWindow<Command>(window, nullptr);
    }
}

Command* Command::FromWindow(HWND window)
{
    if (!window || !::IsWindow(window)) return nullptr;
    wchar_t name[64] = {};
    if (!::GetClassNameW(window, name, 64) || std::wstring_view(name) != kCommandClassName) return nullptr;
    if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window, GWLP_WNDPROC)) != &Command::WindowProc)
        return nullptr;
    return forms::TiedObject<Command>(window);
}

void Command::Move(double leftTwips, double topTwips, double widthTwips, double heightTwips)
{
    MovePixels(core::NearestInt32(leftTwips / tppX_), core::NearestInt32(topTwips / tppY_),
               core::NearestInt32(widthTwips / tppX_), core::NearestInt32(heightTwips / tppY_));
}

void Command::MovePixels(int left, int top, int width, int height)
{
    if (!hWnd()) return;
    ::MoveWindow(hWnd(), left, top, width < 0 ? 0 : width, height < 0 ? 0 : height, TRUE);
}

void Command::SetTwipsPerPixel(double x, double y)
{
    if (!(x > 0) || !(y > 0)) return;
    tppX_ = x;
    tppY_ = y;
    core_.UserControl_Resize();
}

void Command::Initialize() { core_.Initialize(); }

std::optional<LONG> Command::AccessibleRole() const { return ROLE_SYSTEM_PUSHBUTTON; }

std::optional<LONG> Command::AccessibleState() const
{
    LONG state = STATE_SYSTEM_FOCUSABLE;
    if (::GetFocus() == hWnd()) state |= STATE_SYSTEM_FOCUSED;
    if (!Pressable()) state |= STATE_SYSTEM_UNAVAILABLE;
    if (!::IsWindowVisible(hWnd())) state |= STATE_SYSTEM_INVISIBLE;
    return state;
}

std::optional<std::wstring> Command::AccessibleDefaultAction() const
{
    return Pressable() ? std::wstring(L"押す") : std::wstring();
}

bool Command::Pressable() const
{
    // A window a modal one has disabled takes no mouse; nor does it take a press.
    HWND window = hWnd();
    return core_.Fields().mEnabled == kTrue && window && ::IsWindowEnabled(window) &&
           ::IsWindowEnabled(::GetAncestor(window, GA_ROOT));
}

void Command::StartAccessibleDefaultAction() { ::PostMessageW(hWnd(), kAccessiblePress, 0, 0); }

double Command::WidthTwips() const { return face_.Width() * tppX_; }
double Command::HeightTwips() const { return face_.Height() * tppY_; }

void Command::StartMouseTimer(int intervalMs)
{
    tmrMouse_.SetInterval(static_cast<UINT>(intervalMs));
    tmrMouse_.SetEnabled(true);
}

void Command::PropertyChanged(std::wstring_view key)
{
    if (OnPropertyChanged) OnPropertyChanged(key);
}

void Command::TmrMouse_Timer()
{
    POINT cursor{};
    HWND under = ::GetCursorPos(&cursor) ? ::WindowFromPoint(cursor) : nullptr;
    PointerOver where = PointerOver::Elsewhere;
    if (under && under == hWnd()) where = PointerOver::OwnWindow;
    else if (under && under == ::GetParent(hWnd())) where = PointerOver::Container;
    // Coming back to the very pixel it left from is a move again.
    if (where != PointerOver::OwnWindow) lastMove_.reset();
    core_.TmrMouse_Timer(where);
}

void Command::OnMouse(UINT message, WPARAM wParam, LPARAM lParam)
{
    const float x = static_cast<float>(static_cast<short>(LOWORD(lParam)) * tppX_);
    const float y = static_cast<float>(static_cast<short>(HIWORD(lParam)) * tppY_);
    const std::int16_t shift = ShiftState(wParam);
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK: {
            const std::int16_t button = (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) ? kLeftButton
                                        : (message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK)
                                            ? kRightButton
                                            : kMiddleButton;
            if (button == kLeftButton && ::GetFocus() != hWnd()) ::SetFocus(hWnd());
            // The release comes here even if the pointer has left by then.
            if (::GetCapture() != hWnd()) ::SetCapture(hWnd());
            core_.UserControl_MouseDown(button, shift, x, y);
            break;
        }
        case WM_MOUSEMOVE: {
            POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ::ClientToScreen(hWnd(), &at);
            if (lastMove_ && lastMove_->x == at.x && lastMove_->y == at.y) break;
            lastMove_ = at;
            core_.UserControl_MouseMove(HeldButtons(wParam), shift, x, y);
            break;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            const std::int16_t button = message == WM_LBUTTONUP   ? kLeftButton
                                        : message == WM_RBUTTONUP ? kRightButton
                                                                  : kMiddleButton;
            if (HeldButtons(wParam) == 0 && ::GetCapture() == hWnd()) ::ReleaseCapture();
            core_.UserControl_MouseUp(button, shift, x, y);
            break;
        }
        default: break;
    }
}

void Command::DeliverPendingClick()
{
    if (!clickPending_) return;
    clickPending_ = false;
    // The callback may destroy this control: take what is needed first and touch
    // no member afterwards.
    const std::function<void()> callback = OnClick;
    HWND window = hWnd();
    HWND container = ::GetParent(window);
    const int id = controlId_;
    if (callback) callback();
    if (::IsWindow(window) && container)
        ::SendMessageW(container, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(window));
}

LRESULT CALLBACK Command::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* created = static_cast<Command*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (created) forms::TieWindow(window, created);
        if (created) created->window_.Reset(window);
    }
    auto* self = forms::TiedObject<Command>(window);
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        forms::TieWindow<Command>(window, nullptr);
        self->tmrMouse_.SetEnabled(false);
        self->accessible_.Disconnect();
        self->window_.Release();
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT Command::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND window = hWnd();
    switch (message) {
        case WM_ERASEBKGND: return 1;  // the face covers everything
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(window, &ps);
            const int w = face_.Width(), h = face_.Height();
            forms::DibSurface buffer(w, h);
            if (buffer.Valid()) {
                Compose(buffer.Dc(), w, h);
                ::BitBlt(dc, 0, 0, w, h, buffer.Dc(), 0, 0, SRCCOPY);
            }
            ::EndPaint(window, &ps);
            return 0;
        }
        case WM_PRINTCLIENT: {
            Compose(reinterpret_cast<HDC>(wParam), face_.Width(), face_.Height());
            return 0;
        }
        case WM_SIZE:
            ResizeSurface();
            core_.UserControl_Resize();
            return 0;
        case kDpiChangedAfterParent: {
            const double tpp = forms::TwipsPerPixelAt(forms::WindowDpi(window));
            SetTwipsPerPixel(tpp, tpp);
            return 0;
        }
        case WM_SETFOCUS:
            core_.UserControl_GotFocus();
            return 0;
        case WM_KILLFOCUS:
            core_.UserControl_LostFocus();
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            OnMouse(message, wParam, lParam);
            DeliverPendingClick();  // last: it may destroy this control
            return 0;
        case WM_GETDLGCODE: {
            // Enter is taken, so that the dialog does not press its default
            // button for it; here it does nothing, and nor does Space.
            const auto* key = reinterpret_cast<const MSG*>(lParam);
            const bool enter = key && (key->message == WM_KEYDOWN || key->message == WM_CHAR) &&
                               key->wParam == VK_RETURN;
            return enter ? DLGC_WANTMESSAGE : 0;
        }
        case WM_GETOBJECT:
            if (auto answer = accessible_.OnGetObject(window, *this, wParam, lParam)) return *answer;
            break;
        case kAccessiblePress:
            if (Pressable()) core_.DoDefaultAction();
            DeliverPendingClick();  // last: it may destroy this control
            return 0;
        default: break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace corvalinth::button
