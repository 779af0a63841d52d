#include "config/settings_file.h"

#include <gtest/gtest.h>


#include "config/ini_document.h"
#include "config/test_codec.h"

namespace corvalinth {
namespace {

SettingsSource FromFile(const std::string& bytes)
{
    static const test::TestCodec codec;
    auto doc = std::make_shared<IniDocument>(IniDocument::Parse(bytes, codec));
    return [doc](std::wstring_view key) { return doc->Get(kSettingsSection, key).value_or(L""); };
}

// An empty or absent number is its default; one that cannot be read, or does
// not fit, keeps the value before (here colour 3 and 77 dots).
TEST(Settings, ValuesFromTheFile)
{
    const NumberFormat comma{L',', L'.'};
    struct Case { std::string file; std::int16_t color, num; std::wstring password; NumberFormat format = {}; };
    const Case cases[] = {
        {"[Section]\r\nColor=\r\nNum=\r\nPassword=\r\n", 0, 1000, L""},
        {"[Section]\r\nColor=x\r\nNum=40000\r\n", 3, 77, L""},
        {"[Section]\r\nNum=-32768.5\r\n", 0, 77, L""},  // floor is -32769
        {"[Section]\r\nNum=\"  7 \"\r\n", 0, 7, L""},
        {"[Section]\r\nNum=7 particles\r\n", 0, 77, L""},
        {"[Section]\r\nNum=12,9\r\n", 0, 12, L"", comma},  // numbers follow the locale
        {"[Section]\r\nNum=1.000\r\n", 0, 1000, L"", comma},
    };
    for (const auto& c : cases) {
        CorvalinthB module;
        module.gColor = 3;
        module.gNum = 77;
        ApplySettings(FromFile(c.file), module, c.format);
        SCOPED_TRACE(c.file.substr(0, 60));
        EXPECT_EQ(module.gColor, c.color);
        EXPECT_EQ(module.gNum, c.num);
        EXPECT_EQ(module.gPassword, c.password);
    }
}

TEST(Settings, AnOversizedFileIsCutAfterAWholeLine)
{
    EXPECT_EQ(WholeLinesPrefix("a=1\nb=2", 6), "a=1\n");
    EXPECT_EQ(WholeLinesPrefix("abcdef", 3), "");
    const std::string utf16("\xFF\xFE" "a\0=\0" "1\0\r\0\n\0" "b\0=\0" "2\0", 18);
    EXPECT_EQ(WholeLinesPrefix(utf16, 11), utf16.substr(0, 10));  // the CR alone still ends the line
    EXPECT_EQ(WholeLinesPrefix(utf16, 7), utf16.substr(0, 2));
    // A '\n' byte inside a UTF-16 unit is not a line break.
    const std::string odd("\xFF\xFE" "\x0A\x30" "x\0", 6);
    EXPECT_EQ(WholeLinesPrefix(odd, 5), odd.substr(0, 2));
}

}  // namespace
}  // namespace corvalinth
