#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/app_win.h"
#include "forms/dib_surface_win.h"
#include "forms/font_win.h"
#include "forms/form_win.h"
#include "forms/picture_win.h"
#include "forms/screen_win.h"
#include "forms/timer_win.h"

namespace corvalinth::forms {
namespace {

class RecordingForm : public Form {
public:
    explicit RecordingForm(const wchar_t* caption = L"Forms test")
        : Form(FormSpec{L"CorvalinthFormsTest", caption, WS_POPUP, WS_EX_TOOLWINDOW, 200, 100, RGB(0, 128, 0)})
    {
    }
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

TEST_F(FormsTest, TwipsGeometryFollowsTheScreenFactor)
{
    RecordingForm form;
    form.Load();
    const float tpp = Screen::TwipsPerPixelX();
    EXPECT_FLOAT_EQ(tpp, 15.0F);  // the rig runs at 96 DPI
    form.Move(150, 300, 3000, 1500);
    const RECT r = form.WindowRectPixels();
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right - r.left, 200);
    EXPECT_EQ(form.Width(), 3000);
    EXPECT_EQ(form.Height(), 1500);
}

TEST_F(FormsTest, ModalFormDisablesOtherWindowsUntilItUnloads)
{
    RecordingForm owner(L"Owner");
    owner.Show();
    RecordingForm modal(L"Modal");
    bool ownerWasDisabled = false;
    Timer closer([&] {
        ownerWasDisabled = !::IsWindowEnabled(owner.hWnd());
        modal.Unload();
    }, 50, true);
    modal.ShowModal();
    closer.SetEnabled(false);
    EXPECT_TRUE(ownerWasDisabled);
    EXPECT_TRUE(::IsWindowEnabled(owner.hWnd()));
    EXPECT_FALSE(modal.IsLoaded());
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

TEST_F(FormsTest, TimerTicksOnlyWhileEnabled)
{
    int ticks = 0;
    Timer timer([&] { ++ticks; }, 10, false);
    const auto pump = [] {
        const DWORD until = ::GetTickCount() + 200;
        while (::GetTickCount() < until) {
            DoEvents();
            ::Sleep(5);
        }
    };
    pump();
    EXPECT_EQ(ticks, 0);
    timer.SetEnabled(true);
    pump();
    EXPECT_GT(ticks, 3);
    timer.SetEnabled(false);
    const int stopped = ticks;
    pump();
    EXPECT_EQ(ticks, stopped);
}

TEST_F(FormsTest, DibSurfaceShowsWhatPortableCodeDraws)
{
    RecordingForm form;
    form.Show();
    DibSurface surface(200, 100);
    ASSERT_TRUE(surface.Valid());
    surface.View().Fill(core::Rgb(10, 20, 30));
    surface.View().Dot(50, 40, 3, core::Rgb(250, 0, 0));
    {
        ScopedGetDC dc(form.hWnd());
        surface.Present(dc.Get(), surface.View().Bounds());
        ::GdiFlush();
        EXPECT_EQ(::GetPixel(dc.Get(), 51, 41), RGB(250, 0, 0));
        EXPECT_EQ(::GetPixel(dc.Get(), 10, 10), RGB(10, 20, 30));
    }
}

TEST_F(FormsTest, PictureFreesItsBitmapWithTheLastHolder)
{
    HBITMAP bitmap;
    {
        ScopedGetDC screen(nullptr);
        bitmap = ::CreateCompatibleBitmap(screen.Get(), 16, 8);
    }
    ASSERT_NE(bitmap, nullptr);
    Picture first = Picture::FromBitmap(bitmap, nullptr);
    ASSERT_TRUE(first);
    EXPECT_EQ(first.Handle(), bitmap);
    EXPECT_EQ(first.Width(), 16);
    EXPECT_EQ(first.Height(), 8);
    {
        Picture second = first;
        EXPECT_EQ(first.HolderCount(), 2u);
        first = Picture();
        EXPECT_NE(::GetObjectType(bitmap), 0u);  // still held by `second`
    }
    EXPECT_EQ(::GetObjectType(bitmap), 0u);
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

TEST_F(FormsTest, AppPathIsTheProgramFolderWithoutSeparator)
{
    const std::wstring path = App::Path();
    ASSERT_FALSE(path.empty());
    EXPECT_NE(path.back(), L'\\');
    wchar_t module[MAX_PATH];
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    EXPECT_EQ(std::wstring(module).rfind(path + L"\\", 0), 0u);
}

}  // namespace
}  // namespace corvalinth::forms
