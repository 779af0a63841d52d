#pragma once
// Fonts for the forms' texts. The Japanese faces the forms name are not on every
// system; a missing face falls back to an installed Japanese one so the text
// never turns into boxes.
#include <windows.h>

#include <string>

#include "forms/handles_win.h"

namespace corvalinth::forms {

struct FontRequest {
    std::wstring face = L"ＭＳ Ｐゴシック";
    double points = 9.75;
    int weight = FW_NORMAL;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    BYTE charset = SHIFTJIS_CHARSET;
};

// The face actually used for a request: the named one if installed, else the first
// installed face of a list of common Japanese UI faces, else empty (the system
// then picks any face of the character set).
std::wstring ResolveFace(const FontRequest& request);
Font CreateUiFont(const FontRequest& request, int dpi);
// The point size as a character height in pixels at a DPI (negative: em height).
int FontHeightForDpi(double points, int dpi);

}  // namespace corvalinth::forms
