// The dialog as a screen reader finds it, through the system's accessibility
// functions in process (the objects a reader in another process gets are these),
// and as it looks in a high-contrast theme.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/corvalinth_b.h"
#include "forms/accessible_win.h"
#include "forms/app_win.h"
#include "password/password_form_win.h"
#include "settings/settings_dialog_win.h"
#include "test_support.h"

namespace corvalinth::settings {
namespace {

using namespace wintest;

struct ComApartment {
    ComApartment() { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComApartment() { ::CoUninitialize(); }
};

VARIANT Child(LONG id)
{
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// One reference to a window's client object.
class Accessible {
public:
    explicit Accessible(HWND window)
    {
        ::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), forms::kIidAccessible,
                                     reinterpret_cast<void**>(&object_));
    }
    ~Accessible()
    {
        if (object_) object_->Release();
    }
    Accessible(const Accessible&) = delete;
    Accessible& operator=(const Accessible&) = delete;

    IAccessible* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    // Lets go of the last reference; what the release says is left.
    ULONG Release() { return std::exchange(object_, nullptr)->Release(); }

    std::wstring Name() const { return Text(&IAccessible::get_accName); }
    std::wstring DefaultAction() const { return Text(&IAccessible::get_accDefaultAction); }
    LONG Role() const { return Number(&IAccessible::get_accRole); }
    LONG State() const { return Number(&IAccessible::get_accState); }

private:
    std::wstring Text(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) const
    {
        BSTR text = nullptr;
        if ((object_->*get)(Child(CHILDID_SELF), &text) != S_OK || !text) return L"<none>";
        std::wstring out(text, ::SysStringLen(text));
        ::SysFreeString(text);
        return out;
    }
    LONG Number(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*)) const
    {
        VARIANT v;
        ::VariantInit(&v);
        if ((object_->*get)(Child(CHILDID_SELF), &v) != S_OK || v.vt != VT_I4) return -1;
        return v.lVal;
    }

    IAccessible* object_ = nullptr;
};

class DialogAccess : public ::testing::Test {
protected:
    void SetUp() override
    {
        Module() = CorvalinthB{};
        services.highContrast = [this] { return highContrast; };
        services.save = [this](std::span<const IniKeyValue> keys) {
            saves.emplace_back(keys.begin(), keys.end());
            return SaveOutcome{{{SettingsPlace::BesideProgram, L"C:\\Corvalinth.ini", {}}}};
        };
        dialog.emplace(services);
        dialog->Show();
    }
    void TearDown() override
    {
        dialog->Unload();
        forms::ResetEndingForTests();
    }

    ComApartment com;
    bool highContrast = false;
    std::vector<std::vector<IniKeyValue>> saves;
    DialogServices services;
    std::optional<Corvalinth_P> dialog;
};

TEST_F(DialogAccess, ButtonsAreNamedPushButtonsThatPressAndTheFieldsCarryTheirHeadings)
{
    MoveMouseTo(2, 2);  // nowhere near the buttons
    Accessible set(dialog->Cmd_Set().hWnd()), cancel(dialog->Cmd_Can().hWnd());
    ASSERT_TRUE(set && cancel);
    EXPECT_EQ(set.Role(), ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(set.Name(), L"設定");
    EXPECT_EQ(cancel.Name(), L"ｷｬﾝｾﾙ");
    EXPECT_EQ(set.DefaultAction(), L"押す");
    EXPECT_EQ(set.State() & (STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED), STATE_SYSTEM_FOCUSABLE);
    ::SetFocus(dialog->Cmd_Set().hWnd());
    EXPECT_TRUE(set.State() & STATE_SYSTEM_FOCUSED);
    // The button has no parts.
    BSTR text = nullptr;
    EXPECT_EQ(set->get_accName(Child(1), &text), E_INVALIDARG);

    EXPECT_EQ(Accessible(dialog->PW().hWnd()).Name(), L"ﾊﾟｽﾜｰﾄﾞ");
    EXPECT_EQ(Accessible(dialog->Opt_C(0).hWnd()).Name(), L"ｶﾗｰ");
    EXPECT_EQ(Accessible(dialog->HS_Num().hWnd()).Name(), L"Corvalinthの数");

    // Disabled, or in a dialog a modal window has disabled, it cannot be pressed;
    // enabled, the press is a Click whatever the pointer: the settings are saved
    // and the dialog closes.
    dialog->Cmd_Set().SetEnabled(0);
    EXPECT_TRUE(set.State() & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_EQ(set->accDoDefaultAction(Child(CHILDID_SELF)), DISP_E_MEMBERNOTFOUND);
    dialog->Cmd_Set().SetEnabled(kTrue);
    ::EnableWindow(dialog->hWnd(), FALSE);
    EXPECT_EQ(set->accDoDefaultAction(Child(CHILDID_SELF)), DISP_E_MEMBERNOTFOUND);
    ::EnableWindow(dialog->hWnd(), TRUE);
    const auto state = dialog->Cmd_Set().Core().Fields().mState;
    EXPECT_EQ(set->accDoDefaultAction(Child(CHILDID_SELF)), S_OK);
    EXPECT_EQ(dialog->Cmd_Set().Core().Fields().mState, state) << "the press moved the button's state";
    ASSERT_TRUE(PumpUntil([&] { return !dialog->IsLoaded(); })) << "the press did not close the dialog";
    EXPECT_EQ(saves.size(), 1u);

    // A reader that still holds the object once the window is gone is told so,
    // and its release frees the object.
    EXPECT_EQ(set->get_accName(Child(CHILDID_SELF), &text), RPC_E_DISCONNECTED);
    EXPECT_EQ(set.Release(), 0u);
}

// High-contrast colours for the test's process, the earlier ones put back after.
class SystemColours {
public:
    SystemColours(std::initializer_list<std::pair<int, COLORREF>> colours)
    {
        for (const auto& [element, colour] : colours) {
            elements_.push_back(element);
            earlier_.push_back(::GetSysColor(element));
            wanted_.push_back(colour);
        }
        ::SetSysColors(static_cast<int>(elements_.size()), elements_.data(), wanted_.data());
    }
    ~SystemColours() { ::SetSysColors(static_cast<int>(elements_.size()), elements_.data(), earlier_.data()); }
    SystemColours(const SystemColours&) = delete;
    SystemColours& operator=(const SystemColours&) = delete;

private:
    std::vector<int> elements_;
    std::vector<COLORREF> earlier_, wanted_;
};

// A text shows in these colours when every pixel lies between the background
// and the text colour (smoothing blends the two) and some are the text colour.
testing::AssertionResult Readable(const core::PixelSurface& shot, COLORREF textColour, COLORREF backColour)
{
    using Rgb = std::array<double, 3>;
    const auto rgb = [](core::Pixel p) {
        return Rgb{1.0 * core::RedOf(p), 1.0 * core::GreenOf(p), 1.0 * core::BlueOf(p)};
    };
    const Rgb text = rgb(core::PixelFromColorRef(textColour)), back = rgb(core::PixelFromColorRef(backColour));
    const Rgb d{text[0] - back[0], text[1] - back[1], text[2] - back[2]};
    int inText = 0;
    for (int y = 0; y < shot.Height(); ++y)
        for (int x = 0; x < shot.Width(); ++x) {
            const Rgb p = rgb(shot.At(x, y)), q{p[0] - back[0], p[1] - back[1], p[2] - back[2]};
            const double along = (q[0] * d[0] + q[1] * d[1] + q[2] * d[2]) / (d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
            const double t = std::clamp(along, 0.0, 1.0);
            if (std::hypot(q[0] - t * d[0], q[1] - t * d[1], q[2] - t * d[2]) > 48)
                return testing::AssertionFailure() << "pixel " << x << "," << y << " is " << std::hex << shot.At(x, y);
            inText += t > 0.8;
        }
    if (inText < 4) return testing::AssertionFailure() << "no text (" << inText << " text pixels)";
    return testing::AssertionSuccess();
}

RECT OnScreen(HWND window, RECT r)
{
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}
RECT ClientOnScreen(HWND window)
{
    RECT r{};
    ::GetClientRect(window, &r);
    return OnScreen(window, r);
}
// The window's rectangle on screen less `left` pixels at the left and `others` on the other sides.
RECT Inside(HWND window, int left, int others)
{
    RECT r{};
    ::GetWindowRect(window, &r);
    return {r.left + left, r.top + others, r.right - others, r.bottom - others};
}
// Nothing of the window or its children waits to be painted.
bool Painted(HWND window)
{
    if (::GetUpdateRect(window, nullptr, FALSE)) return false;
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (!Painted(child)) return false;
    return true;
}

TEST_F(DialogAccess, InHighContrastEveryTextIsInTheSystemsColoursAndTheUsualLookComesBack)
{
    MoveMouseTo(2, 2);
    ::SetForegroundWindow(dialog->hWnd());
    ::SetFocus(dialog->Cmd_Can().hWnd());  // no caret, no focus rectangle on a text
    dialog->PW().SetText(L"abc");
    const RECT client = ClientOnScreen(dialog->hWnd());
    ASSERT_TRUE(PumpUntil([&] { return Painted(dialog->hWnd()); }));
    const core::PixelSurface usual = Capture(client);

    constexpr COLORREF kWindow = RGB(0, 0, 0), kWindowText = RGB(255, 255, 0), kButtonFace = RGB(0, 0, 96),
                       kButtonText = RGB(255, 255, 255), kLink = RGB(0, 255, 0);
    highContrast = true;
    {
        const SystemColours colours{{COLOR_WINDOW, kWindow},      {COLOR_WINDOWTEXT, kWindowText},
                                    {COLOR_BTNFACE, kButtonFace}, {COLOR_BTNTEXT, kButtonText},
                                    {COLOR_HOTLIGHT, kLink},      {COLOR_HIGHLIGHT, RGB(0, 255, 255)}};
        ::SendMessageW(dialog->hWnd(), WM_SYSCOLORCHANGE, 0, 0);
        struct Text {
            const char* what;
            RECT where;
            COLORREF text, back;
        };
        const auto label = [&](const char* name) { return OnScreen(dialog->hWnd(), dialog->ClientRectOf(name)); };
        const std::vector<Text> texts{
            {"lbl(3)", label("lbl(3)"), kWindowText, kWindow},
            {"lbl(0)", label("lbl(0)"), kWindowText, kWindow},
            {"lbl(1)", label("lbl(1)"), kWindowText, kWindow},
            {"lbl_Num", label("lbl_Num"), kButtonText, kButtonFace},
            {"Opt_C(0)", Inside(dialog->Opt_C(0).hWnd(), 16, 0), kWindowText, kWindow},  // right of the round mark
            {"Opt_C(1)", Inside(dialog->Opt_C(1).hWnd(), 16, 0), kWindowText, kWindow},
            {"PW", ClientOnScreen(dialog->PW().hWnd()), kWindowText, kWindow},
            {"Cmd_Can", Inside(dialog->Cmd_Can().hWnd(), 3, 3), kButtonText, kButtonFace},  // inside the ring
            {"Cmd_Set", Inside(dialog->Cmd_Set().hWnd(), 3, 3), kButtonText, kButtonFace},
            {"lbl(9)", label("lbl(9)"), kButtonText, kButtonFace},
            {"lbl_URL", label("lbl_URL"), kLink, kButtonFace},
        };
        const auto allReadable = [&] {
            return Painted(dialog->hWnd()) && std::all_of(texts.begin(), texts.end(), [](const Text& t) {
                       return bool(Readable(Capture(t.where), t.text, t.back));
                   });
        };
        PumpUntil(allReadable);
        for (const Text& t : texts) EXPECT_TRUE(Readable(Capture(t.where), t.text, t.back)) << t.what;

        // The password prompt's box, right of where the caret stands.
        Module().gPassword = L"x";
        Corvalinth_Pass prompt;
        prompt.Show();
        const RECT box = Inside(prompt.Pass(), 6, 2);  // the frame and the caret left out
        PumpUntil([&] { return Painted(prompt.hWnd()) && Readable(Capture(box), kWindowText, kWindow); });
        EXPECT_TRUE(Readable(Capture(box), kWindowText, kWindow)) << "the password prompt";
        prompt.Unload();
        highContrast = false;
    }
    ::SendMessageW(dialog->hWnd(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return Painted(dialog->hWnd()) && Capture(client) == usual; }))
        << "the usual look did not come back";
}

}  // namespace
}  // namespace corvalinth::settings
