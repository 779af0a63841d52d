// Not a test: writes the README's picture of the settings dialog, Japanese text
// and all, to the BMP file CORVALINTH_DIALOG_SHOT names (then made a PNG by hand).
#include "harness.h"

namespace corvalinth::e2e {
namespace {

using DialogPicture = E2eTest;
TEST_F(DialogPicture, Write)
{
    const wchar_t* target = _wgetenv(L"CORVALINTH_DIALOG_SHOT");
    ASSERT_NE(target, nullptr) << "CORVALINTH_DIALOG_SHOT names no file";
    Launch(L"/c");
    const HWND dialog = WaitForWindow(L"Corvalinthの設定");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(Eventually([&] { return IsWindowVisible(dialog) != FALSE; }));
    RECT r{};
    GetWindowRect(dialog, &r);
    MoveMouseTo(r.right + 40, r.bottom + 40);
    PumpFor(1s);
    EXPECT_TRUE(WriteBmp(target, Capture(r)));
}

}  // namespace
}  // namespace corvalinth::e2e
