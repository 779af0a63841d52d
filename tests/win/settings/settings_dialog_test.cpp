// The dialog's link, in process: the end-to-end runs cannot let a browser open.
// And the failed-save message, from failures made in process.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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
using namespace std::string_literals;

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
    ASSERT_TRUE(WaitForForeground(d.hWnd()));

    RECT link = d.ClientRectOf("lbl_URL");
    POINT p{link.left + 10, (link.top + link.bottom) / 2};
    ::ClientToScreen(d.hWnd(), &p);
    MoveMouseTo(p.x, p.y);
    EXPECT_TRUE(PumpUntil([] {
        CURSORINFO info{sizeof(info)};
        return ::GetCursorInfo(&info) && info.hCursor == ::LoadCursorW(nullptr, IDC_HAND);
    })) << "no hand over the link";

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

// A read-only file beside the program sends the save to the per-user copy. A
// failure names each place tried, in order, with its reason: the program's own
// words where the system's code says it badly or not at all.
TEST(SettingsDialog, AReadOnlyFileIsNotWrittenAndAFailedSaveNamesEachPlaceTriedAndWhy)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / (L"corvalinth-save-" + std::to_wstring(GetCurrentProcessId()));
    fs::create_directories(folder / L"user" / L"Corvalinth.ini");  // a folder in the per-user file's place
    const std::wstring beside = (folder / L"Corvalinth.ini").wstring();
    std::ofstream(fs::path(beside)) << "[Section]\n";
    ASSERT_TRUE(::SetFileAttributesW(beside.c_str(), FILE_ATTRIBUTE_READONLY));
    const SettingsLocation where{beside, (folder / L"user" / L"Corvalinth.ini").wstring()};
    const IniKeyValue keys[] = {{L"Num", L"2"}};
    const SaveOutcome failed = SaveSettings(where, keys);
    fs::remove(where.perUser);
    const SaveOutcome saved = SaveSettings(where, keys);
    ::SetFileAttributesW(beside.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(saved.Ok());
    EXPECT_EQ(ReadIni(L"Section", L"Num", where.perUser), L"2");
    EXPECT_EQ(ReadIni(L"Section", L"Num", beside), L"") << "the read-only file was written";
    fs::remove_all(folder);

    ASSERT_FALSE(failed.Ok());
    const std::wstring text = SaveFailureText(failed);
    std::size_t at = 0;
    for (const std::wstring& part : {L"設定を保存できませんでした。"s, L"プログラムと同じフォルダー"s, beside, L"読み取り専用"s,
                                     L"ユーザーごと"s, where.perUser, L"同じ名前のフォルダー"s, L"「ｷｬﾝｾﾙ」で閉じてください。"s})
        EXPECT_NE(at = text.find(part, at), std::wstring::npos) << testing::PrintToString(part);
    // A code the system has no text for, and the new settings kept aside.
    EXPECT_NE(SaveFailureReason({0x20001234}).find(std::to_wstring(0x20001234)), std::wstring::npos);
    const SaveOutcome kept{{{SettingsPlace::PerUser, beside, {ERROR_UNABLE_TO_MOVE_REPLACEMENT, {}, L"C:\\k.tmp"}}}};
    EXPECT_NE(SaveFailureText(kept).find(L"名前を Corvalinth.ini に変えると使えます: C:\\k.tmp"), std::wstring::npos);
}

}  // namespace
}  // namespace corvalinth::settings
