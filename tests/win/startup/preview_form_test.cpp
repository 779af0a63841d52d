#include <gtest/gtest.h>

#include "forms/app_win.h"
#include "forms/handles_win.h"
#include "startup/handover_win.h"
#include "startup/preview_form_win.h"

namespace corvalinth {
namespace {

// A stand-in for the system's preview box: a plain window of the given client size.
forms::UniqueWindow MakeBox(int width, int height)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"CorvalinthTestPreviewBox";
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    ::RegisterClassW(&wc);
    RECT r{0, 0, width, height};
    ::AdjustWindowRect(&r, WS_POPUP, FALSE);
    return forms::UniqueWindow(::CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"box", WS_POPUP | WS_VISIBLE,
                                                 20, 20, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                                                 wc.hInstance, nullptr));
}

void Pump(DWORD ms)
{
    const DWORD until = ::GetTickCount() + ms;
    do {
        forms::DoEvents();
        ::Sleep(10);
    } while (::GetTickCount() < until);
}

// The stored picture's pixel, read from the bitmap the form shows.
COLORREF ExpectedAt(const Corvalinth_R& preview, int x, int y)
{
    forms::MemoryDC dc = forms::CreateMemoryDC();
    forms::ScopedSelectObject select(dc.Get(), preview.Img_Prev());
    return ::GetPixel(dc.Get(), x, y);
}

struct Shown {
    forms::UniqueWindow box;
    Corvalinth_R preview;
    Shown(int width, int height) : box(MakeBox(width, height))
    {
        preview.Load();
        AdoptAsPreviewChild(preview.hWnd(), box.Get(), width, height);
        preview.WatchParent(box.Get());
        preview.Show();
        ::UpdateWindow(preview.hWnd());
        Pump(50);
    }
};

TEST(PreviewForm, FillsALargerBoxWithThePictureTopLeftAndBlackBeyond)
{
    Shown shown(200, 150);
    HWND window = shown.preview.hWnd();
    ASSERT_TRUE(window);
    EXPECT_EQ(::GetAncestor(window, GA_PARENT), shown.box.Get());
    EXPECT_TRUE(::GetWindowLongW(window, GWL_STYLE) & WS_CHILD);
    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 150);
    wchar_t caption[32] = {};
    ::GetWindowTextW(window, caption, 32);
    EXPECT_STREQ(caption, L"Preview Window");

    BITMAP info{};
    ASSERT_TRUE(::GetObjectW(shown.preview.Img_Prev(), sizeof(info), &info));
    EXPECT_EQ(info.bmWidth, 152);
    EXPECT_EQ(info.bmHeight, 112);
    forms::ScopedGetDC dc(window);
    for (auto [x, y] : {std::pair{0, 0}, {75, 56}, {151, 111}, {30, 100}})
        EXPECT_EQ(::GetPixel(dc.Get(), x, y), ExpectedAt(shown.preview, x, y)) << x << "," << y;
    for (auto [x, y] : {std::pair{152, 0}, {199, 149}, {0, 112}, {170, 120}})
        EXPECT_EQ(::GetPixel(dc.Get(), x, y), RGB(0, 0, 0)) << x << "," << y;
}

TEST(PreviewForm, ASmallerBoxClipsThePicture)
{
    Shown shown(100, 80);
    forms::ScopedGetDC dc(shown.preview.hWnd());
    EXPECT_EQ(::GetPixel(dc.Get(), 99, 79), ExpectedAt(shown.preview, 99, 79));
    EXPECT_EQ(::GetPixel(dc.Get(), 0, 0), ExpectedAt(shown.preview, 0, 0));
}

TEST(PreviewForm, UnloadsWhenItsBoxIsDestroyedOrVanishes)
{
    Shown shown(152, 112);
    ASSERT_TRUE(shown.preview.IsLoaded());
    ::DestroyWindow(shown.box.Release());
    EXPECT_FALSE(shown.preview.IsLoaded());

    // A box that vanishes while the preview is not (or no longer) its child:
    // the once-a-second check unloads the form.
    forms::UniqueWindow gone = MakeBox(10, 10);
    HWND goneHandle = gone.Get();
    gone.Reset();
    Corvalinth_R orphan;
    orphan.Load();
    orphan.WatchParent(goneHandle);
    EXPECT_TRUE(orphan.IsLoaded());
    orphan.CheckParent();
    EXPECT_FALSE(orphan.IsLoaded());
}

}  // namespace
}  // namespace corvalinth
