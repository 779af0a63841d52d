#include <gtest/gtest.h>

#include "forms/font_win.h"

namespace corvalinth::forms {
namespace {

TEST(Forms, JapaneseFaceResolvesToAnInstalledFont)
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
