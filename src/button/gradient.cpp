#include "button/gradient.h"

#include <optional>
#include <string>

#include "button/value_text.h"
#include "core/number_rules.h"

namespace corvalinth::button {

namespace {
// "&H" + pair + "00" read as a 16-bit number: its bit pattern is the component.
std::optional<std::uint16_t> Component(std::string_view pair)
{
    std::wstring text = L"&H";
    for (char c : pair) text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    text += L"00";
    const auto number = NumberFromText(text);
    if (!number) return std::nullopt;
    const auto narrow = core::ToInt16(*number);
    if (!narrow) return std::nullopt;
    return static_cast<std::uint16_t>(*narrow);
}
}  // namespace

std::optional<VertexColour> VertexColourFromText(std::string_view text)
{
    if (text.size() != 8 || text[0] != '&' || (text[1] != 'H' && text[1] != 'h')) return std::nullopt;
    const auto r = Component(text.substr(2, 2));
    const auto g = Component(text.substr(4, 2));
    const auto b = Component(text.substr(6, 2));
    if (!r || !g || !b) return std::nullopt;
    return VertexColour{*r, *g, *b};
}

bool PrepareGradient(std::array<TriVertex, 3>& vert, GradientRect& rect, bool highlight,
                     double drawableWidthPixels, double drawableHeightPixels)
{
    const auto light = VertexColourFromText(kGradientLight);
    const auto dark = VertexColourFromText(kGradientDark);
    if (!light || !dark) return false;
    const VertexColour& top = highlight ? *dark : *light;
    const VertexColour& bottom = highlight ? *light : *dark;
    vert[0].red = top.red, vert[0].green = top.green, vert[0].blue = top.blue, vert[0].alpha = 0;
    vert[1].red = bottom.red, vert[1].green = bottom.green, vert[1].blue = bottom.blue, vert[1].alpha = 0;

    const auto x1 = core::ToInt32(drawableWidthPixels - 1.0);
    const auto y1 = core::ToInt32(drawableHeightPixels - 1.0);
    if (!x1 || !y1) return false;
    vert[0].x = 0, vert[0].y = 0;
    vert[1].x = *x1, vert[1].y = *y1;
    // The edge colours follow the vertices whatever the index order.
    rect.upperLeft = 1;
    rect.lowerRight = 0;
    return true;
}

}  // namespace corvalinth::button
