// The preview's picture, read back in process: under Wine a child window of
// another process is not drawn, so the end-to-end tests see only its structure.
#include <gtest/gtest.h>

#include "forms/handles_win.h"
#include "preview/preview_form_win.h"
#include "test_support.h"

namespace corvalinth::preview {
namespace {

TEST(PreviewForm, ShowsThePictureTopLeftClippedToTheBoxAndBlackBeyond)
{
    for (const SIZE box : {SIZE{200, 150}, SIZE{100, 80}}) {
        SCOPED_TRACE(box.cx);
        // A stand-in for the system's preview box: a plain window of that client size.
        const forms::UniqueWindow parent(::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"box", WS_POPUP | WS_VISIBLE, 20,
                                                           20, box.cx, box.cy, nullptr, nullptr, nullptr, nullptr));
        Corvalinth_R preview;
        preview.Load();
        AdoptAsPreviewChild(preview.hWnd(), parent.Get(), box.cx, box.cy);
        preview.WatchParent(parent.Get());
        preview.Show();
        ::UpdateWindow(preview.hWnd());
        wintest::PumpFor(wintest::Milliseconds(50));

        BITMAP info{};
        ASSERT_TRUE(::GetObjectW(preview.Img_Prev(), sizeof(info), &info));
        EXPECT_EQ(info.bmWidth, 152);
        EXPECT_EQ(info.bmHeight, 112);
        forms::MemoryDC stored = forms::CreateMemoryDC();
        forms::ScopedSelectObject select(stored.Get(), preview.Img_Prev());
        forms::ScopedGetDC shown(preview.hWnd());
        for (int y = 0; y < box.cy; y += 11) {
            for (int x = 0; x < box.cx; x += 11) {
                const COLORREF want = x < 152 && y < 112 ? ::GetPixel(stored.Get(), x, y) : RGB(0, 0, 0);
                ASSERT_EQ(::GetPixel(shown.Get(), x, y), want) << x << "," << y;
            }
        }
        // The README's picture of the preview box (scripts/saver-pictures.sh).
        if (const wchar_t* target = _wgetenv(L"CORVALINTH_PREVIEW_SHOT"); target && box.cx == 200) {
            EXPECT_TRUE(wintest::WriteBmp(target, wintest::Capture({0, 0, 152, 112}, shown.Get())));
        }
    }
}

}  // namespace
}  // namespace corvalinth::preview
