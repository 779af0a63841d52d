#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/app_win.h"
#include "forms/font_win.h"
#include "forms/form_win.h"
#include "forms/timer_win.h"

namespace corvalinth::forms {
namespace {

class RecordingForm : public Form {
public:
    RecordingForm() : Form(FormSpec{L"CorvalinthFormsTest", L"Forms test", WS_POPUP, WS_EX_TOOLWINDOW, 200, 100}) {}
    std::vector<std::string> events;
    bool refuseUnload = false;

protected:
    void Form_Load() override { events.push_back("load"); }
    void Form_Resize() override { events.push_back("resize"); }
    void Form_Unload(std::int16_t& cancel) override
    {
        events.push_back("unload");
        if (refuseUnload) cancel = -1;
    }
};

class FormsTest : public ::testing::Test {
protected:
    void TearDown() override { ResetEndingForTests(); }
};

TEST_F(FormsTest, LifeCycleRunsHandlersInOrderAndHonoursCancel)
{
    RecordingForm form;
    EXPECT_FALSE(form.IsLoaded());
    form.Load();
    form.Load();
    ASSERT_TRUE(form.IsLoaded());
    EXPECT_FALSE(::IsWindowVisible(form.hWnd()));
    form.Show();
    EXPECT_TRUE(::IsWindowVisible(form.hWnd()));
    EXPECT_EQ(form.ClientSizePixels().cx, 200);

    form.refuseUnload = true;
    ::SendMessageW(form.hWnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(form.IsLoaded());
    form.refuseUnload = false;
    HWND window = form.hWnd();
    EXPECT_TRUE(form.Unload());
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(form.events, (std::vector<std::string>{"load", "resize", "unload", "unload"}));
}

TEST_F(FormsTest, EndProgramUnwindsModalLoopsAndSilencesHandlers)
{
    RecordingForm modal;
    int ticks = 0;
    Timer ender([&] {
        ++ticks;
        EndProgram(3);
    }, 20, true);
    modal.ShowModal();
    EXPECT_TRUE(Ending());
    EXPECT_EQ(ExitCode(), 3);
    EXPECT_EQ(ticks, 1);
    // The quit is still posted for any outer loop.
    MSG msg;
    EXPECT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    modal.events.clear();
    ::SendMessageW(modal.hWnd(), WM_SIZE, 0, MAKELPARAM(10, 10));
    EXPECT_TRUE(modal.events.empty());
}

TEST_F(FormsTest, JapaneseFaceResolvesToAnInstalledFont)
{
    const FontSpec design;  // the forms' Japanese face, Shift-JIS
    const std::wstring face = ResolveFace(design);
    ASSERT_FALSE(face.empty());
    Font font = CreateUiFont(design, 96);
    ASSERT_TRUE(font);
    ScopedGetDC screen(nullptr);
    ScopedSelectObject select(screen.Get(), font.Get());
    wchar_t used[LF_FACESIZE] = {};
    ::GetTextFaceW(screen.Get(), LF_FACESIZE, used);
    EXPECT_EQ(std::wstring(used), face);
    SIZE extent{};
    ::GetTextExtentPoint32W(screen.Get(), L"設定", 2, &extent);
    EXPECT_GT(extent.cx, 10);
}

}  // namespace
}  // namespace corvalinth::forms
