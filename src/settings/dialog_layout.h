#pragma once
// The settings dialog's controls as data: where each one sits, its keyboard
// order, its text and its look. Lengths are twips; a control in the panel Pic_1
// is placed relative to the panel's top-left corner.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace corvalinth::settings {

inline constexpr std::wstring_view kDialogCaption = L"Corvalinthの設定";
// Our home page; the link label shows it and opens it.
inline constexpr std::wstring_view kHomePage = L"https://corvalinth.example/";

// The client area the dialog is laid out for; the window is sized around it.
inline constexpr int kClientWidthTwips = 7980;
inline constexpr int kClientHeightTwips = 4095;

inline constexpr std::uint32_t kDesignBackColor = 0xC0C0C0;  // painted over by the gradient
inline constexpr std::uint32_t kPanelColor = 0xE0E0E0;       // colour numbers: red + 256 * green + 65536 * blue

// The illustration: a picture of this size shown from the top-left corner, unscaled.
inline constexpr int kIllustrationWidth = 300;
inline constexpr int kIllustrationHeight = 285;

inline constexpr std::int16_t kCountMin = 1;
inline constexpr std::int16_t kCountSmallStep = 1;
inline constexpr std::int16_t kCountLargeStep = 10;

enum class Kind { PictureBox, Panel, Label, Shape, OptionButton, ScrollBar, TextBox, CommandButton };
enum class In { Form, Pic_1 };
enum class Align { Left, Center };
// The fonts the dialog uses: the form's default, the label face, its bold
// variant for the password box and its underlined variant for the link.
enum class Face { Default, Label, LabelBold, LabelUnderlined };
// Colours by role, resolved by the window code (system colours depend on the
// theme; a high-contrast one replaces the design's own colours too).
enum class Paint { Default, Window, WindowText, Panel, White, Link, Transparent };

inline constexpr int kNoTab = -1;

struct ControlLayout {
    std::string_view name;
    Kind kind;
    In in;
    int left, top, width, height;
    int tabIndex;
    std::wstring_view caption;
    Face face;
    Align align;
    Paint back;
    Paint fore;
};

// clang-format off
inline constexpr std::array<ControlLayout, 17> kDialogControls{{
//   control       kind                 in         left  top   width height tab     caption             face                   align          back                fore
    {"Picture1",   Kind::PictureBox,    In::Form,   240,  240, 4515, 3255,   0,     L"",                Face::Default,         Align::Left,   Paint::Default,     Paint::Default},
    {"Pic_1",      Kind::Panel,         In::Form,  4920,  240, 2775, 2715,   1,     L"",                Face::Default,         Align::Left,   Paint::Panel,       Paint::Default},
    {"lbl(3)",     Kind::Label,         In::Pic_1,  180,  240, 1425,  195,   2,     L"Corvalinthの色",  Face::Label,           Align::Center, Paint::Window,      Paint::WindowText},
    {"Shape1(0)",  Kind::Shape,         In::Pic_1,  180,  180, 1455,  315,   kNoTab, L"",               Face::Default,         Align::Left,   Paint::Transparent, Paint::WindowText},
    {"Opt_C(0)",   Kind::OptionButton,  In::Pic_1,  540,  600,  795,  195,   3,     L"ｶﾗｰ",             Face::Default,         Align::Left,   Paint::Window,      Paint::WindowText},
    {"Opt_C(1)",   Kind::OptionButton,  In::Pic_1, 1440,  600,  795,  195,  10,     L"ﾓﾉｸﾛ",            Face::Default,         Align::Left,   Paint::Window,      Paint::WindowText},
    {"lbl(0)",     Kind::Label,         In::Pic_1,  180, 1020, 1425,  195,   4,     L"Corvalinthの数",  Face::Label,           Align::Center, Paint::Window,      Paint::WindowText},
    {"Shape1(1)",  Kind::Shape,         In::Pic_1,  180,  960, 1455,  315,   kNoTab, L"",               Face::Default,         Align::Left,   Paint::Transparent, Paint::WindowText},
    {"HS_Num",     Kind::ScrollBar,     In::Pic_1,  540, 1380, 1455,  255,   5,     L"",                Face::Default,         Align::Left,   Paint::Default,     Paint::Default},
    {"lbl_Num",    Kind::Label,         In::Pic_1, 2100, 1440,  495,  195,  11,     L"9999",            Face::Default,         Align::Left,   Paint::Default,     Paint::Default},
    {"lbl(1)",     Kind::Label,         In::Pic_1,  180, 1860, 1425,  195,   8,     L"ﾊﾟｽﾜｰﾄﾞ",         Face::Label,           Align::Center, Paint::Window,      Paint::WindowText},
    {"Shape1(2)",  Kind::Shape,         In::Pic_1,  180, 1800, 1455,  315,   kNoTab, L"",               Face::Default,         Align::Left,   Paint::Transparent, Paint::WindowText},
    {"PW",         Kind::TextBox,       In::Pic_1,  540, 2220, 1635,  270,   9,     L"",                Face::LabelBold,       Align::Left,   Paint::Window,      Paint::WindowText},
    {"Cmd_Can",    Kind::CommandButton, In::Form,  4920, 3060, 1335,  435,  12,     L"ｷｬﾝｾﾙ",           Face::Label,           Align::Center, Paint::Default,     Paint::Default},
    {"Cmd_Set",    Kind::CommandButton, In::Form,  6300, 3060, 1395,  435,  13,     L"設定",            Face::Label,           Align::Center, Paint::Default,     Paint::Default},
    {"lbl_URL",    Kind::Label,         In::Form,  2940, 3660, 3210,  195,   7,     kHomePage,          Face::LabelUnderlined, Align::Left,   Paint::Transparent, Paint::Link},
    // Our credit line, in the free space under the illustration.
    {"lbl(9)",     Kind::Label,         In::Form,   240, 3660, 2580,  195,   6,     L"© Corvalinth開発チーム", Face::Label,   Align::Left,   Paint::Transparent, Paint::White},
}};
// clang-format on

// The control of that name; throws std::out_of_range for a name not in the table.
const ControlLayout& Control(std::string_view name);

struct PixelRect {
    int left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};
// Twips to pixels, each length to the nearest pixel, relative to the control's container.
PixelRect ToPixels(const ControlLayout& control, double twipsPerPixelX, double twipsPerPixelY);

struct TwipsPoint {
    int left = 0, top = 0;
    friend bool operator==(const TwipsPoint&, const TwipsPoint&) = default;
};
// Centred across and a third of the free space down: each difference rounded to a
// whole number, then divided with truncation toward zero. A window bigger than the
// screen gets a negative position, like any such window.
TwipsPoint DialogPosition(double screenWidth, double screenHeight, int windowWidth, int windowHeight);

}  // namespace corvalinth::settings
