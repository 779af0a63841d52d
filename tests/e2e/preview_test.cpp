#include <string>
#include <vector>

#include "harness.h"

namespace corvalinth::e2e {
namespace {

class PreviewTest : public E2eTest {
protected:
    // Waits until the program's window shows inside the box (it is put there
    // first and sized after, so a hidden one may not be in place yet); nullptr on time-out.
    HWND WaitForPreviewIn(HWND box)
    {
        const auto until = std::chrono::steady_clock::now() + kStartTimeout;
        while (std::chrono::steady_clock::now() < until) {
            for (HWND child : ChildWindowsOf(box))
                if (FactsOf(child).processId == ProcessId() && IsWindowVisible(child)) return child;
            if (!Running()) return nullptr;
            PumpFor(50ms);
        }
        return nullptr;
    }

    // Starts the preview in a new box, checks the window it puts there, then
    // takes the box away and expects the process to follow within a second or two.
    void ExpectPreviewLivesAndDiesWithItsBox(const std::wstring& switchText, int width, int height)
    {
        SCOPED_TRACE(width);
        TestWindow box = TestWindow::PreviewBox(width, height);
        Launch(switchText + box.HandleText());
        HWND preview = WaitForPreviewIn(box.Get());
        ASSERT_NE(preview, nullptr) << "no preview window in the box";
        const WindowFacts facts = FactsOf(preview);
        EXPECT_EQ(facts.caption, L"Preview Window");
        EXPECT_EQ(facts.parent, box.Get());
        EXPECT_TRUE(facts.style & WS_CHILD);
        EXPECT_FALSE(facts.style & WS_CAPTION);
        EXPECT_EQ(facts.clientRect.right, width);
        EXPECT_EQ(facts.clientRect.bottom, height);
        EXPECT_TRUE(VisibleWindows().empty()) << "the preview showed a window of its own";

        box.Destroy();
        const auto exitCode = WaitForExit(3s);
        ASSERT_TRUE(exitCode.has_value()) << "the preview outlived its box";
        EXPECT_EQ(*exitCode, 0u);
    }
};

TEST_F(PreviewTest, EverySwitchFormShowsThePictureInTheBoxAndEndsWithIt)
{
    // A settings file the preview must not read: a folder in its place.
    std::filesystem::create_directory(IniPath());
    ExpectPreviewLivesAndDiesWithItsBox(L"/p ", 152, 112);
    ExpectPreviewLivesAndDiesWithItsBox(L"/P:", 152, 112);
    ExpectPreviewLivesAndDiesWithItsBox(L"-p ", 200, 150);
}

TEST_F(PreviewTest, ABoxWiderThanTheOldLimitWorks)
{
    // 2400 pixels are 36000 twips, beyond what a 16-bit twips size could hold.
    ExpectPreviewLivesAndDiesWithItsBox(L"/p ", 2400, 120);
}

TEST_F(PreviewTest, DamagedSettingsFileChangesNothing)
{
    WriteIniBytes(std::string(3 * 1024 * 1024, '\0') + "[Section]\nNum=abc\n");
    ExpectPreviewLivesAndDiesWithItsBox(L"/p ", 152, 112);
    EXPECT_EQ(ReadIniBytes()->size(), 3u * 1024 * 1024 + 18);
}

}  // namespace
}  // namespace corvalinth::e2e
