// The settings dialog's child windows and fonts: made once at load, laid out
// again when the DPI changes.
#include <algorithm>
#include <limits>
#include <vector>

#include "core/corvalinth_b.h"
#include "core/number_rules.h"
#include "forms/dpi_win.h"
#include "forms/font_win.h"
#include "settings/settings_dialog_win.h"

namespace corvalinth::settings {
namespace {

// What the form description stores for a Command button: its caption and font.
button::PropertyBag DesignProperties(const ControlLayout& control)
{
    button::PropertyBag bag;
    bag.Store(L"Caption", std::wstring(control.caption));
    const forms::FontRequest label;
    bag.Store(L"Font", std::make_shared<button::FontDesc>(button::FontDesc{
                           label.face, label.points, FW_NORMAL, false, false, false, SHIFTJIS_CHARSET}));
    return bag;
}

int OptionIndex(const ControlLayout& c) { return c.name == "Opt_C(0)" ? 0 : 1; }

// Windows are made in tab-index order, so the keyboard visits them in that order.
// The option buttons are one group, and the dialog manager needs a group's
// windows together: they all take the place of the first of them.
std::vector<const ControlLayout*> CreationOrder()
{
    int optionsAt = std::numeric_limits<int>::max();
    for (const ControlLayout& c : kDialogControls)
        if (c.kind == Kind::OptionButton) optionsAt = std::min(optionsAt, c.tabIndex);
    std::vector<const ControlLayout*> order;
    for (const ControlLayout& c : kDialogControls) order.push_back(&c);
    const auto place = [optionsAt](const ControlLayout* c) {
        return c->kind == Kind::OptionButton ? optionsAt : c->tabIndex;
    };
    std::stable_sort(order.begin(), order.end(), [&](auto* a, auto* b) { return place(a) < place(b); });
    return order;
}

}  // namespace

void Corvalinth_P::CreateFonts()
{
    const int dpi = Dpi();
    forms::FontRequest label;  // the label face at 9.75 points, Shift-JIS
    labelFont_ = forms::CreateUiFont(label, dpi);
    forms::FontRequest bold = label;
    bold.weight = FW_BOLD;
    boldFont_ = forms::CreateUiFont(bold, dpi);
    forms::FontRequest underlined = label;
    underlined.underline = true;
    underlinedFont_ = forms::CreateUiFont(underlined, dpi);
    forms::FontRequest standard = label;  // the form's own default: the same face at 9 points
    standard.points = 9;
    defaultFont_ = forms::CreateUiFont(standard, dpi);
}

HFONT Corvalinth_P::FontFor(Face face) const
{
    switch (face) {
    case Face::Label: return labelFont_.Get();
    case Face::LabelBold: return boldFont_.Get();
    case Face::LabelUnderlined: return underlinedFont_.Get();
    case Face::Default: break;
    }
    return defaultFont_.Get();
}

forms::PixelPlace Corvalinth_P::PlaceOf(const ControlLayout& control) const
{
    const PixelRect r = ToPixels(control, TwipsPerPixelX(), TwipsPerPixelY());
    return {r.left, r.top, r.width, r.height};
}

void Corvalinth_P::CreateControls()
{
    for (const ControlLayout* c : CreationOrder()) {
        const HWND parent = c->in == In::Pic_1 && pic_1_ ? pic_1_->hWnd() : hWnd();
        if (const HWND made = MakeControl(*c, parent))
            ::SetWindowPos(made, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    PaintIllustration();
    PaintPanel();
}

HWND Corvalinth_P::MakeControl(const ControlLayout& c, HWND parent)
{
    const forms::PixelPlace place = PlaceOf(c);
    switch (c.kind) {
    case Kind::PictureBox:
        picture1_ = std::make_unique<forms::PictureBox>(parent, place, ::GetSysColor(COLOR_BTNFACE), false);
        return picture1_->hWnd();
    case Kind::Panel:
        pic_1_ = std::make_unique<forms::PictureBox>(parent, place, PanelBack(), true);
        return pic_1_->hWnd();
    case Kind::OptionButton: return MakeOption(c, parent);
    case Kind::ScrollBar:
        hs_Num_ = std::make_unique<forms::HScrollBar>(
            parent, forms::ScrollRange{kCountMin, kMaxParticles, kCountSmallStep, kCountLargeStep}, place);
        hs_Num_->onChange = [this] { HS_Num_Change(); };
        hs_Num_->onScroll = [this] { HS_Num_Scroll(); };
        return hs_Num_->hWnd();
    case Kind::TextBox:
        pw_ = std::make_unique<forms::TextBox>(parent, std::wstring(c.caption), place);
        pw_->SetFont(FontFor(c.face));
        pw_->SetPasswordChar(L'*');
        return pw_->hWnd();
    case Kind::CommandButton: return MakeCommand(c, parent);
    case Kind::Label:
    case Kind::Shape:
        break;  // windowless: drawn into the form's and the panel's surfaces
    }
    return nullptr;
}

HWND Corvalinth_P::MakeOption(const ControlLayout& c, HWND parent)
{
    const int index = OptionIndex(c);
    const bool firstOfGroup = std::none_of(opt_C_.begin(), opt_C_.end(), [](const auto& o) { return o != nullptr; });
    auto& option = opt_C_[static_cast<std::size_t>(index)];
    option = std::make_unique<forms::OptionButton>(parent, std::wstring(c.caption), PlaceOf(c), firstOfGroup);
    option->SetFont(FontFor(c.face));
    option->onClick = [this, index] { Opt_C_Click(index); };
    return option->hWnd();
}

HWND Corvalinth_P::MakeCommand(const ControlLayout& c, HWND parent)
{
    const bool cancel = c.name == "Cmd_Can";
    auto& button = cancel ? cmd_Can_ : cmd_Set_;
    button = std::make_unique<button::Command>(parent, c.tabIndex);
    button->ReadProperties(DesignProperties(c));
    button->Move(c.left, c.top, c.width, c.height);
    if (cancel) button->OnClick = [this] { Cmd_Can_Click(); };
    else button->OnClick = [this] { Cmd_Set_Click(); };
    return button->hWnd();
}

void Corvalinth_P::PlaceControl(const ControlLayout& c)
{
    const forms::PixelPlace place = PlaceOf(c);
    switch (c.kind) {
    case Kind::PictureBox:
        if (picture1_) picture1_->Move(place, ::GetSysColor(COLOR_BTNFACE));
        break;
    case Kind::Panel:
        if (pic_1_) pic_1_->Move(place, PanelBack());
        break;
    case Kind::OptionButton:
        if (auto& option = opt_C_[static_cast<std::size_t>(OptionIndex(c))]) {
            option->Move(place);
            option->SetFont(FontFor(c.face));
        }
        break;
    case Kind::ScrollBar:
        if (hs_Num_) hs_Num_->Move(place);
        break;
    case Kind::TextBox:
        if (pw_) {
            pw_->Move(place);
            pw_->SetFont(FontFor(c.face));
        }
        break;
    case Kind::CommandButton:
        if (auto& button = c.name == "Cmd_Can" ? cmd_Can_ : cmd_Set_) {
            button->SetTwipsPerPixel(TwipsPerPixelX(), TwipsPerPixelY());
            button->Move(c.left, c.top, c.width, c.height);
        }
        break;
    case Kind::Label:
    case Kind::Shape:
        break;
    }
}

void Corvalinth_P::Form_DpiChanged(const RECT& suggested)
{
    // Everything measured in twips is laid out again at the new DPI and the texts
    // get fonts of that DPI; what the user has set stays in the controls. The old
    // fonts live until no control uses them.
    const std::array<forms::Font, 4> oldFonts{std::move(labelFont_), std::move(boldFont_),
                                              std::move(underlinedFont_), std::move(defaultFont_)};
    CreateFonts();
    for (const ControlLayout& c : kDialogControls) PlaceControl(c);
    PaintIllustration();
    PaintPanel();

    // The client area keeps its size in twips, whatever the frame around it.
    const SIZE before = ClientSizePixels();
    SetClientSizePixels(forms::TwipsToPixelsAt(kClientWidthTwips, Dpi()),
                        forms::TwipsToPixelsAt(kClientHeightTwips, Dpi()), suggested.left, suggested.top);
    const SIZE after = ClientSizePixels();
    // An unchanged size brings no resize, but the labels need the new fonts.
    if (before.cx == after.cx && before.cy == after.cy) Form_Resize();
}

}  // namespace corvalinth::settings
