#include "settings/settings_dialog_win.h"

#include <objbase.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <limits>
#include <utility>

#include "forms/dpi_win.h"
#include "forms/font_win.h"
#include "forms/screen_win.h"
#include "forms/theme_win.h"
#include "resources/resource_ids.h"
#include "settings/dialog_gradient.h"
#include "settings/dialog_values.h"
#include "settings/illustration.h"
#include "core/corvalinth_b.h"
#include "config/settings_file.h"
#include "settings/zoom_win.h"

namespace corvalinth::settings {
namespace {

constexpr wchar_t kMessageCaption[] = L"Corvalinth";

forms::FormDesign DialogDesign()
{
    forms::FormDesign design;
    design.className = L"CorvalinthSettingsDialog";
    design.caption = std::wstring(kDialogCaption);
    // Fixed size: a title bar with the close box, no sizing frame, no maximise.
    design.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    // Frames differ between systems; the client area is what the layout needs.
    design.clientTwips = forms::TwipsSize{kClientWidthTwips, kClientHeightTwips};
    design.icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_CORVALINTH));
    design.dialogKeys = true;
    return design;
}

// A screen reader in another process reaches the dialog's accessible objects
// through COM, which the thread must have joined.
class ComApartment {
public:
    ComApartment() : joined_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment()
    {
        if (joined_) ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool joined_;
};

std::int16_t Clamp16(LONG value)
{
    return static_cast<std::int16_t>(std::clamp<LONG>(value, std::numeric_limits<std::int16_t>::min(),
                                                      std::numeric_limits<std::int16_t>::max()));
}

}  // namespace

DialogServices DefaultServices(const SettingsLocation& settingsFile)
{
    DialogServices services;
    services.save = [settingsFile](std::span<const IniKeyValue> keys) { return SaveSettings(settingsFile, keys); };
    services.openAddress = [](HWND owner, const std::wstring& address) {
        ::ShellExecuteW(owner, L"open", address.c_str(), L"", L"", SW_SHOWNORMAL);
    };
    services.showSaveFailure = [](HWND owner, const std::wstring& text) {
        ::MessageBoxW(owner, text.c_str(), kMessageCaption, MB_OK | MB_ICONWARNING);
    };
    services.highContrast = &forms::HighContrastOn;
    return services;
}

std::wstring SaveFailureReason(const IniWriteResult& result)
{
    switch (result.problem) {
    case WriteProblem::ReadOnly: return L"ファイルが読み取り専用になっています。";
    case WriteProblem::FolderInTheWay: return L"ファイルの場所に同じ名前のフォルダーがあります。";
    case WriteProblem::TooLarge: return L"ファイルが大きすぎて、設定ファイルとして扱えません。";
    case WriteProblem::NoDrive: return L"ファイルのあるドライブが見つかりません。";
    case WriteProblem::None: break;
    }
    if (std::wstring system = IniWriteErrorText(result); !system.empty()) return system;
    switch (result.error) {
    case ERROR_ACCESS_DENIED: return L"書き込みが許可されていません。";
    case ERROR_WRITE_PROTECT: return L"書き込みできない媒体です。";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return L"ディスクに空きがありません。";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return L"ほかのプログラムがファイルを使っています。";
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2: return L"ファイルを置き換えられませんでした。";
    default: return L"原因のわからないエラーです（コード " + std::to_wstring(result.error) + L"）。";
    }
}

std::wstring SaveFailureText(const SaveOutcome& outcome)
{
    std::wstring text = L"設定を保存できませんでした。\n";
    for (const SaveAttempt& attempt : outcome.attempts) {
        text += attempt.place == SettingsPlace::PerUser ? L"\nユーザーごとのファイル: " : L"\nプログラムと同じフォルダーのファイル: ";
        text += attempt.file + L"\n理由: " + SaveFailureReason(attempt.result) + L"\n";
        if (!attempt.result.keptAs.empty())
            text += L"新しい設定は次のファイルに残してあります。名前を " + std::wstring(kSettingsFileName) +
                    L" に変えると使えます: " + attempt.result.keptAs + L"\n";
    }
    return text + L"\n「設定」でもう一度保存するか、「ｷｬﾝｾﾙ」で閉じてください。";
}

Corvalinth_P::Corvalinth_P(DialogServices services) : Form(DialogDesign()), services_(std::move(services)) {}

Corvalinth_P::~Corvalinth_P() = default;

std::optional<COLORREF> Corvalinth_P::Resolve(Paint paint, bool back) const
{
    switch (paint) {
    case Paint::Default: return ::GetSysColor(back ? COLOR_BTNFACE : COLOR_BTNTEXT);
    case Paint::Window: return ::GetSysColor(COLOR_WINDOW);
    case Paint::WindowText: return ::GetSysColor(COLOR_WINDOWTEXT);
    case Paint::Panel: return PanelBack();
    // The texts on the form stand on its plain button-face background there.
    case Paint::White: return highContrast_ ? ::GetSysColor(COLOR_BTNTEXT) : RGB(255, 255, 255);
    case Paint::Link: return highContrast_ ? ::GetSysColor(COLOR_HOTLIGHT) : RGB(255, 255, 255);
    case Paint::Transparent: return std::nullopt;
    }
    return std::nullopt;
}

bool Corvalinth_P::HighContrastWanted() const { return services_.highContrast && services_.highContrast(); }

COLORREF Corvalinth_P::PanelBack() const { return highContrast_ ? ::GetSysColor(COLOR_WINDOW) : PanelColorRef(); }

void Corvalinth_P::ApplyTheme()
{
    highContrast_ = HighContrastWanted();
    // The option buttons blend into the panel; in high contrast their text
    // takes the colour that belongs to the panel's.
    for (int i = 0; i < 2; ++i) {
        if (!opt_C_[static_cast<std::size_t>(i)]) continue;
        Opt_C(i).SetBackColor(PanelBack());
        Opt_C(i).SetForeColor(highContrast_ ? std::optional(::GetSysColor(COLOR_WINDOWTEXT)) : std::nullopt);
    }
    for (auto* button : {cmd_Can_.get(), cmd_Set_.get()})
        if (button) button->SetHighContrast(highContrast_);
}

RECT Corvalinth_P::ClientRectOf(std::string_view name) const
{
    const ControlLayout& control = Control(name);
    forms::PixelPlace place = PlaceOf(control);
    if (control.in == In::Pic_1) {
        const forms::PixelPlace panel = PlaceOf(Control("Pic_1"));
        place.left += panel.left;
        place.top += panel.top;
    }
    return {place.left, place.top, place.left + place.width, place.top + place.height};
}

void Corvalinth_P::PaintIllustration()
{
    if (!picture1_ || !picture1_->Surface().Valid()) return;
    const core::PixelSurface illustration = MakeIllustration();
    core::Copy(picture1_->Surface().View(), 0, 0, illustration.Width(), illustration.Height(),
               illustration.View(), 0, 0);
    picture1_->Refresh();
}

void Corvalinth_P::PaintLabel(HDC dc, const ControlLayout& control, const std::wstring& caption, int dx,
                              int dy) const
{
    const forms::PixelPlace place = PlaceOf(control);
    RECT r{place.left + dx, place.top + dy, place.left + dx + place.width, place.top + dy + place.height};
    if (auto back = Resolve(control.back, true)) {
        forms::Brush brush(::CreateSolidBrush(*back));
        ::FillRect(dc, &r, brush.Get());
    }
    if (control.kind == Kind::Shape) {
        forms::Pen pen(::CreatePen(PS_SOLID, 1, Resolve(control.fore, false).value_or(0)));
        forms::ScopedSelectObject usePen(dc, pen.Get());
        forms::ScopedSelectObject noFill(dc, ::GetStockObject(NULL_BRUSH));
        ::Rectangle(dc, r.left, r.top, r.right, r.bottom);
        return;
    }
    forms::ScopedSelectObject font(dc, FontFor(control.face));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, Resolve(control.fore, false).value_or(0));
    const UINT align = control.align == Align::Center ? DT_CENTER : DT_LEFT;
    // Every caption is one line. A Japanese face standing in for the named one
    // may have a taller line than the label; centred, its glyphs still fit.
    ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r,
                align | DT_SINGLELINE | DT_VCENTER | DT_NOCLIP | DT_NOPREFIX);
}

void Corvalinth_P::PaintPanel()
{
    if (!pic_1_ || !pic_1_->Surface().Valid()) return;
    const HDC dc = pic_1_->Surface().Dc();
    pic_1_->Surface().View().Fill(core::PixelFromColorRef(PanelBack()));
    for (const auto& control : kDialogControls) {
        if (control.in != In::Pic_1) continue;
        if (control.kind == Kind::Label)
            PaintLabel(dc, control, control.name == "lbl_Num" ? lblNumCaption_ : std::wstring(control.caption), 0, 0);
        else if (control.kind == Kind::Shape)
            PaintLabel(dc, control, L"", 0, 0);
    }
    ::GdiFlush();
    pic_1_->Refresh();
}

void Corvalinth_P::SetNumberLabel(const std::wstring& caption)
{
    lblNumCaption_ = caption;
    if (!pic_1_ || !pic_1_->Surface().Valid()) return;
    const ControlLayout& label = Control("lbl_Num");
    PaintLabel(pic_1_->Surface().Dc(), label, lblNumCaption_, 0, 0);
    ::GdiFlush();
    const forms::PixelPlace p = PlaceOf(label);
    const RECT r{p.left, p.top, p.left + p.width, p.top + p.height};
    pic_1_->Refresh(&r);
}

void Corvalinth_P::Form_Load()
{
    highContrast_ = HighContrastWanted();
    CreateFonts();
    CreateControls();
    // Their headings are drawn, so the system cannot name them.
    HS_Num().SetAccessibleName(std::wstring(Control("lbl(0)").caption));
    PW().SetAccessibleName(std::wstring(Control("lbl(1)").caption));

    // The window already has its size (from the client area); place it centred
    // across and a third of the way down the primary monitor, measured in the
    // dialog's own twips like its size.
    const core::Rect primary = forms::Screen::PrimaryPixels();
    const TwipsPoint at = DialogPosition(static_cast<double>(primary.Width()) * TwipsPerPixelX(),
                                         static_cast<double>(primary.Height()) * TwipsPerPixelY(), Width(), Height());
    Move(at.left, at.top);

    InitButtons(*this, kTrue, kTrue);

    ApplyTheme();

    CorvalinthB& module = Module();
    // A stored value the controls cannot show is shown as its nearest meaning;
    // the file changes only if the user saves.
    Opt_C(OptionIndexForColor(module.gColor)).SetValue(true);
    HS_Num().SetValue(ScrollValueForCount(module.gNum));
    SetNumberLabel(CountLabel(HS_Num().Value()));
    PW().SetText(module.gPassword);

    POINT cursor{};
    if (::GetCursorPos(&cursor)) {
        module.gZoomX = Clamp16(cursor.x);
        module.gZoomY = Clamp16(cursor.y);
    } else {
        module.gZoomX = 0;
        module.gZoomY = 0;
    }
    ZoomOpen(hWnd());
}

void Corvalinth_P::Form_Resize()
{
    const SIZE client = ClientSizePixels();
    if (client.cx <= 0 || client.cy <= 0) return;
    if (background_.Width() != client.cx || background_.Height() != client.cy)
        background_ = forms::DibSurface(client.cx, client.cy);
    if (!background_.Valid()) return;
    if (highContrast_) background_.View().Fill(core::PixelFromColorRef(::GetSysColor(COLOR_BTNFACE)));
    else PaintRows(background_.View(), GradientRows(client.cy, TwipsPerPixelY()));
    for (const auto& control : kDialogControls)
        if (control.in == In::Form && control.kind == Kind::Label)
            PaintLabel(background_.Dc(), control,
                       control.name == "lbl_URL" ? lblUrlCaption_ : std::wstring(control.caption), 0, 0);
    ::GdiFlush();
    ::InvalidateRect(hWnd(), nullptr, FALSE);
}

void Corvalinth_P::Form_Unload(std::int16_t& /*cancel*/) { ZoomClose(hWnd()); }

void Corvalinth_P::Opt_C_Click(int index) { Module().gColor = static_cast<std::int16_t>(index); }

void Corvalinth_P::HS_Num_Change() { SetNumberLabel(CountLabel(HS_Num().Value())); }

void Corvalinth_P::HS_Num_Scroll() { SetNumberLabel(CountLabel(HS_Num().Value())); }

void Corvalinth_P::Cmd_Set_Click()
{
    // One save of all three keys. A failure is told to the user and the dialog
    // stays open, so nothing is lost and the user can try again or cancel.
    const SaveOutcome saved = services_.save(SettingsToSave(Module().gColor, HS_Num().Value(), PW().Text()));
    if (!saved.Ok()) {
        services_.showSaveFailure(hWnd(), SaveFailureText(saved));
        return;
    }
    Unload();
}

void Corvalinth_P::Cmd_Can_Click() { Unload(); }

void Corvalinth_P::lbl_URL_Click()
{
    forms::Screen::SetMousePointer(forms::MousePointer::Hourglass);
    services_.openAddress(hWnd(), lblUrlCaption_);
    forms::Screen::SetMousePointer(forms::MousePointer::Default);
}

bool Corvalinth_P::OverLink(POINT client) const
{
    const RECT link = ClientRectOf("lbl_URL");
    return ::PtInRect(&link, client) != FALSE;
}

void Corvalinth_P::OnPaint()
{
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hWnd(), &ps);
    if (background_.Valid()) {
        const RECT& r = ps.rcPaint;
        ::BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, background_.Dc(), r.left, r.top, SRCCOPY);
    }
    ::EndPaint(hWnd(), &ps);
}

bool Corvalinth_P::OnSetCursor(HWND over, UINT hitTest)
{
    if (forms::Screen::CurrentMousePointer() == forms::MousePointer::Hourglass) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        return true;
    }
    POINT p{};
    if (over == hWnd() && hitTest == HTCLIENT && ::GetCursorPos(&p) && ::ScreenToClient(hWnd(), &p) && OverLink(p)) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return true;
    }
    return false;
}

void Corvalinth_P::OnActivate(bool active)
{
    // Give the focus back to the control that had it (or the first one), not
    // to the window itself.
    if (!active) {
        HWND focus = ::GetFocus();
        lastFocus_ = focus && ::IsChild(hWnd(), focus) ? focus : nullptr;
        return;
    }
    HWND target = lastFocus_ && ::IsChild(hWnd(), lastFocus_) ? lastFocus_ : ::GetNextDlgTabItem(hWnd(), nullptr, FALSE);
    if (target) ::SetFocus(target);
}

std::optional<LRESULT> Corvalinth_P::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (auto reflected = forms::ReflectToControl(message, wParam, lParam)) return reflected;
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_ERASEBKGND:
        return 1;  // the background surface covers everything
    case WM_PRINTCLIENT:
        // A control drawing what lies behind it.
        if (background_.Valid())
            ::BitBlt(reinterpret_cast<HDC>(wParam), 0, 0, background_.Width(), background_.Height(),
                     background_.Dc(), 0, 0, SRCCOPY);
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_SETCURSOR:
        if (OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam))) return TRUE;
        return std::nullopt;
    case WM_LBUTTONDOWN:
        linkPressed_ = OverLink(at);
        return 0;
    case WM_LBUTTONUP:
        if (std::exchange(linkPressed_, false) && OverLink(at)) lbl_URL_Click();
        return 0;
    case WM_ACTIVATE:
        OnActivate(LOWORD(wParam) != WA_INACTIVE);
        return 0;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        // New system colours, or the high-contrast theme switched: everything
        // drawn into the retained surfaces is drawn again.
        ApplyTheme();
        PaintPanel();
        Form_Resize();
        ::RedrawWindow(hWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
        return std::nullopt;
    case WM_COMMAND:
        // The dialog keys: Esc cancels, Enter saves. A focused Command takes
        // Enter itself, so only Enter elsewhere comes here.
        if (lParam != 0 || HIWORD(wParam) != BN_CLICKED) return std::nullopt;
        if (LOWORD(wParam) == IDCANCEL) Cmd_Can_Click();
        else if (LOWORD(wParam) == IDOK) Cmd_Set_Click();
        else return std::nullopt;
        return 0;
    default:
        return std::nullopt;
    }
}

int RunSettingsDialog(const SettingsLocation& settingsFile)
{
    const ComApartment com;
    Corvalinth_P dialog(DefaultServices(settingsFile));
    dialog.ShowModal();
    return 0;
}

}  // namespace corvalinth::settings
