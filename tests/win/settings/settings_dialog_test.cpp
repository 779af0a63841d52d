// The dialog's link, in process: the end-to-end runs cannot let a browser open.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/app_win.h"
#include "forms/screen_win.h"
#include "resources/resource_ids.h"
#include "settings/settings_dialog_win.h"
#include "core/corvalinth_b.h"
#include "test_support.h"

namespace corvalinth::settings {
namespace {

using namespace wintest;

TEST(SettingsDialog, LinkShowsAHandAndOpensTheAddressUnderTheHourglass)
{
    MoveMouseTo(5, 5);
    Module() = CorvalinthB{};
    std::vector<std::wstring> opened;
    std::vector<forms::MousePointer> pointerWhileOpening;
    DialogServices services;
    services.openAddress = [&](HWND, const std::wstring& address) {
        opened.push_back(address);
        pointerWhileOpening.push_back(forms::Screen::CurrentMousePointer());
    };
    Corvalinth_P d(services);
    d.Show();
    ::SetForegroundWindow(d.hWnd());
    PumpFor(50ms);

    RECT link = d.ClientRectOf("lbl_URL");
    POINT p{link.left + 10, (link.top + link.bottom) / 2};
    ::ClientToScreen(d.hWnd(), &p);
    MoveMouseTo(p.x, p.y);
    PumpFor(80ms);
    CURSORINFO info{sizeof(info)};
    ::GetCursorInfo(&info);
    EXPECT_EQ(info.hCursor, ::LoadCursorW(nullptr, IDC_HAND));

    ClickAt(p);
    ASSERT_TRUE(PumpUntil([&] { return !opened.empty(); }));
    EXPECT_EQ(opened, (std::vector<std::wstring>{std::wstring(kHomePage)}));
    EXPECT_EQ(pointerWhileOpening, (std::vector<forms::MousePointer>{forms::MousePointer::Hourglass}));
    EXPECT_EQ(forms::Screen::CurrentMousePointer(), forms::MousePointer::Default);
    EXPECT_TRUE(d.IsLoaded());

    // A click elsewhere on the form opens nothing.
    POINT away{4, 4};
    ::ClientToScreen(d.hWnd(), &away);
    ClickAt(away);
    PumpFor(80ms);
    EXPECT_EQ(opened.size(), 1u);
    d.Unload();
    forms::ResetEndingForTests();
}

}  // namespace
}  // namespace corvalinth::settings
