#include <string>
#include <vector>

#include "harness.h"

namespace corvalinth::e2e {
namespace {

class PreviewTest : public E2eTest {
protected:
    // The program's window once it is in the box and shown there; nullptr on time-out.
    HWND WaitForPreviewIn(HWND box)
    {
        HWND found = nullptr;
        Eventually([&] {
            for (HWND child : ChildWindowsOf(box))
                if (const WindowFacts f = FactsOf(child); f.processId == ProcessId() && f.visible) found = child;
            return found != nullptr || !Running();
        }, kStartTimeout);
        return found;
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
    // The preview reads no settings: neither a folder in the file's place nor a
    // damaged file stops it, and the file stays as it was.
    std::filesystem::create_directory(IniPath());
    ExpectPreviewLivesAndDiesWithItsBox(L"/p ", 152, 112);
    std::filesystem::remove(IniPath());
    WriteIniBytes(std::string(3 * 1024 * 1024, '\0') + "[Section]\nNum=abc\n");
    // 2400 pixels are 36000 twips, beyond what a 16-bit twips size could hold.
    ExpectPreviewLivesAndDiesWithItsBox(L"/P:", 2400, 120);
    EXPECT_EQ(ReadIniBytes()->size(), 3u * 1024 * 1024 + 18);
}

}  // namespace
}  // namespace corvalinth::e2e
