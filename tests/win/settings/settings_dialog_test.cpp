#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/surface.h"
#include "forms/app_win.h"
#include "forms/handles_win.h"
#include "forms/screen_win.h"
#include "resources/resource_ids.h"
#include "settings/dialog_gradient.h"
#include "settings/dialog_layout.h"
#include "settings/settings_dialog_win.h"
#include "core/corvalinth_b.h"
#include "config/settings_file_win.h"
#include "test_support.h"

namespace corvalinth::settings {
namespace {

using namespace wintest;

core::Pixel ScreenPixel(POINT p)
{
    forms::ScopedGetDC screen(nullptr);
    const COLORREF c = ::GetPixel(screen.Get(), p.x, p.y);
    return core::Rgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

// Stands in for the settings file and the browser.
struct Recorder {
    std::vector<std::wstring> opened;
    std::vector<forms::MousePointer> pointerWhileOpening;

    DialogServices Services()
    {
        DialogServices s;
        s.save = [](std::span<const IniKeyValue>) { return SaveOutcome{}; };
        s.openAddress = [this](HWND, const std::wstring& address) {
            opened.push_back(address);
            pointerWhileOpening.push_back(forms::Screen::CurrentMousePointer());
        };
        s.showSaveFailure = [](HWND, const std::wstring&) { ADD_FAILURE() << "no save was expected"; };
        return s;
    }
};

class SettingsDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        SendMouse(MOUSEEVENTF_MOVE, 5, 5);
        PumpFor(50ms);
        Module() = CorvalinthB{};
        Module().gNum = 1000;
    }
    void TearDown() override
    {
        if (dialog && dialog->IsLoaded()) dialog->Unload();
        dialog.reset();
        PumpFor(20ms);
        forms::ResetEndingForTests();
    }
    Corvalinth_P& Open()
    {
        dialog = std::make_unique<Corvalinth_P>(recorder.Services());
        dialog->Show();
        ::SetForegroundWindow(dialog->hWnd());
        PumpFor(50ms);
        return *dialog;
    }

    Recorder recorder;
    std::unique_ptr<Corvalinth_P> dialog;
};

TEST_F(SettingsDialog, GradientSurvivesBeingCoveredAndUncovered)
{
    Corvalinth_P& d = Open();
    const SIZE size = d.ClientSizePixels();
    const int height = static_cast<int>(size.cy);
    const auto rows = GradientRows(height, d.TwipsPerPixelY());
    const auto screenAt = [&](int x, int y) {
        POINT p{x, y};
        ::ClientToScreen(d.hWnd(), &p);
        return ScreenPixel(p);
    };
    const int x = 4;  // left of the illustration
    for (const int y : {0, height / 2, height - 1}) EXPECT_EQ(screenAt(x, y), rows[static_cast<std::size_t>(y)]) << y;

    RECT r{};
    ::GetWindowRect(d.hWnd(), &r);
    forms::UniqueWindow cover(::CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, r.left, r.top,
                                                r.right - r.left, r.bottom - r.top, nullptr, nullptr, nullptr, nullptr));
    PumpFor(50ms);
    EXPECT_NE(screenAt(x, height / 2), rows[static_cast<std::size_t>(height / 2)]);
    cover.Reset();
    PumpFor(100ms);
    for (const int y : {0, height / 2, height - 1}) EXPECT_EQ(screenAt(x, y), rows[static_cast<std::size_t>(y)]) << y;
    // The illustration and the panel came back too.
    const RECT panel = d.ClientRectOf("Pic_1");
    EXPECT_EQ(screenAt(panel.left + 2, panel.top + 2), core::Rgb(0xE0, 0xE0, 0xE0));
}

TEST_F(SettingsDialog, LinkShowsAHandAndOpensTheAddressUnderTheHourglass)
{
    Corvalinth_P& d = Open();
    RECT link = d.ClientRectOf("lbl_URL");
    POINT p{link.left + 10, (link.top + link.bottom) / 2};
    ::ClientToScreen(d.hWnd(), &p);
    SendMouse(MOUSEEVENTF_MOVE, p.x, p.y);
    PumpFor(80ms);
    CURSORINFO info{sizeof(info)};
    ::GetCursorInfo(&info);
    EXPECT_EQ(info.hCursor, ::LoadCursorW(nullptr, IDC_HAND));

    ClickAt(p);
    ASSERT_TRUE(PumpUntil([&] { return !recorder.opened.empty(); }));
    EXPECT_EQ(recorder.opened, (std::vector<std::wstring>{std::wstring(kHomePage)}));
    EXPECT_EQ(recorder.pointerWhileOpening, (std::vector<forms::MousePointer>{forms::MousePointer::Hourglass}));
    EXPECT_EQ(forms::Screen::CurrentMousePointer(), forms::MousePointer::Default);
    EXPECT_TRUE(d.IsLoaded());

    // A click elsewhere on the form opens nothing.
    POINT away{4, 4};
    ::ClientToScreen(d.hWnd(), &away);
    ClickAt(away);
    PumpFor(80ms);
    EXPECT_EQ(recorder.opened.size(), 1u);
}

}  // namespace
}  // namespace corvalinth::settings
