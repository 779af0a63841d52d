#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/app_win.h"
#include "forms/screen_win.h"
#include "resources/resource_ids.h"
#include "settings/dialog_layout.h"
#include "settings/settings_dialog_win.h"
#include "core/corvalinth_b.h"
#include "config/settings_file_win.h"
#include "test_support.h"

namespace corvalinth::settings {
namespace {

using namespace wintest;

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
        MoveMouseTo(5, 5);
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

TEST_F(SettingsDialog, LinkShowsAHandAndOpensTheAddressUnderTheHourglass)
{
    Corvalinth_P& d = Open();
    RECT link = d.ClientRectOf("lbl_URL");
    POINT p{link.left + 10, (link.top + link.bottom) / 2};
    ::ClientToScreen(d.hWnd(), &p);
    MoveMouseTo(p.x, p.y);
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
