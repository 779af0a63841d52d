#include "config/ini_document.h"

#include <gtest/gtest.h>

#include <tuple>

#include "config/test_codec.h"

namespace corvalinth {
namespace {

const test::TestCodec kCodec;

std::string Utf16File(std::wstring_view text)
{
    std::string out = "\xFF\xFE";
    for (char16_t u : Utf16FromWide(text)) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}

std::string Printable(const std::wstring& s) { return testing::PrintToString(s); }

TEST(IniDocument, ReadsHandEditedFiles)
{
    const std::string file =
        "Num=1\r\n"                       // before any section: belongs to none
        "; Num=2\r\n"
        "[Other]\r\n"
        "Num=3\r\n"
        "  [ section ]  \r\n"
        "  num   =   42   \n"
        "Password = \"  two  blanks \"\r"
        "Quoted=\"\"inner\"\"\n"
        "Half=\"open\n"
        "Eq=a=b;c\n"
        "=nokey\n"
        "Num=99\n"                        // a second one is never seen
        "[Broken\n"
        "Inside=x\n"
        "[SECTION]\n"
        "Late=y\n"
        "Color = \"\" ";
    const auto doc = IniDocument::Parse(file, kCodec);

    struct Case { const wchar_t* section; const wchar_t* key; std::optional<std::wstring> value; };
    const Case cases[] = {
        {L"Section", L"Num", L"42"},
        {L"Other", L"Num", L"3"},
        {L"Section", L"Password", L"  two  blanks "},
        {L"Section", L"Quoted", L"\"inner\""},
        {L"Section", L"Half", L"\"open"},
        {L"Section", L"Eq", L"a=b;c"},
        {L"Broken", L"Inside", L"x"},
        {L"Section", L"Late", L"y"},
        {L"Section", L"Color", L""},
        {L"Section", L"; Num", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(doc.Get(c.section, c.key), c.value) << Printable(c.section) << " " << Printable(c.key);
}

TEST(IniDocument, WritingAKeyLeavesEveryOtherLineAsItWas)
{
    const std::string file =
        "; settings\n"
        "[Other]\r\n"
        "Num = 7\r\n"
        "\r\n"
        "[section]\n"
        "  NUM = 5   \n"
        "Password=abc\n"
        "; trailing comment\n"
        "\n"
        "[Last]\n"
        "k=v";
    auto doc = IniDocument::Parse(file, kCodec);
    ASSERT_TRUE(doc.Set(L"Section", L"Num", L" 1000"));
    ASSERT_TRUE(doc.Set(L"Section", L"Color", L"1"));
    ASSERT_TRUE(doc.Set(L"Last", L"New", L"n"));
    ASSERT_TRUE(doc.Set(L"Added", L"Key", L"z"));
    EXPECT_EQ(doc.Serialize(),
              "; settings\n[Other]\r\nNum = 7\r\n\r\n[section]\n"
              "NUM=\" 1000\"\n"
              "Password=abc\nColor=1\r\n; trailing comment\n\n[Last]\nk=v\r\nNew=n\r\n"
              "[Added]\r\nKey=z\r\n");
}

// A value, key or section one line cannot hold is refused, and nothing of the
// keys before it is written either.
TEST(IniDocument, SeveralKeysAreWrittenAllOrNone)
{
    const std::string file = "; mine\n[Other]\r\nColor=9\r\n[Section]\r\nNum=5\r\nExtra=x\r\n[Last]\nk=v\n";
    const IniKeyValue keys[] = {{L"Color", L" 1", IniValueForm::AsGiven},
                                {L"Num", L" 7", IniValueForm::AsGiven},
                                {L"Password", L" pw "}};
    auto doc = IniDocument::Parse(file, kCodec);
    for (const auto& [section, key, value] :
         {std::tuple{L"Section", L"Password", std::wstring(L"x\r\n[Evil]\r\nNum=1")},
          std::tuple{L"Section", L"Password", std::wstring(L"a\0b", 3)},
          std::tuple{L"Sec]tion", L"Password", std::wstring(L"x")},
          std::tuple{L"Section", L"Pass=word", std::wstring(L"x")}}) {
        const IniKeyValue bad[] = {keys[0], keys[1], {key, value}};
        EXPECT_FALSE(doc.SetAll(section, bad)) << Printable(value);
    }
    EXPECT_EQ(doc.Serialize(), file);

    ASSERT_TRUE(doc.SetAll(L"Section", keys));
    EXPECT_EQ(doc.Serialize(), "; mine\n[Other]\r\nColor=9\r\n[Section]\r\nNum= 7\r\nExtra=x\r\n"
                               "Color= 1\r\nPassword=\" pw \"\r\n[Last]\nk=v\n");
}

TEST(IniDocument, TextOutsideTheCodePageTurnsTheFileIntoUtf16)
{
    // 8D 5D is a double-byte character whose trail byte is ']'.
    const std::string file = "; \x8D\x5D comment\r\n[Section]\r\nPassword=\x8D\x5D\xB1\r\nNum=5\r\n";
    auto doc = IniDocument::Parse(file, kCodec);
    EXPECT_EQ(doc.Get(L"Section", L"Password"), L"\x5A5D\xFF71");
    const std::wstring emoji = L"pa\xE9 \U0001F600 ss";  // é is not in this code page either
    ASSERT_TRUE(doc.Set(L"Section", L"Password", emoji));
    EXPECT_EQ(doc.Serialize(), Utf16File(L"; \x5A5D comment\r\n[Section]\r\nPassword=" + emoji + L"\r\nNum=5\r\n"));
}

TEST(IniDocument, Utf16FilesKeepTheirUntouchedUnitsAsRead)
{
    // A lone surrogate in a comment and an odd last byte survive a write elsewhere;
    // the file stays UTF-16 for text the code page could hold.
    auto doc =
        IniDocument::Parse(Utf16File(L"[Section]\r\n;\xD800\r\nNum= 12\nPassword=\x65E5\x672C\r\n") + "\x41", kCodec);
    EXPECT_EQ(doc.Get(L"section", L"num"), L"12");
    EXPECT_EQ(doc.Get(L"Section", L"Password"), L"\x65E5\x672C");
    ASSERT_TRUE(doc.Set(L"Section", L"Num", L"3"));
    EXPECT_EQ(doc.Serialize(), Utf16File(L"[Section]\r\n;\xD800\r\nNum=3\nPassword=\x65E5\x672C\r\n") + "\x41");
}

TEST(IniDocument, BytesTheCodePageRejectsAreKept)
{
    // A lead byte without its trail, and a NUL, in lines the write does not touch.
    const std::string file = std::string("[Section]\r\nJunk=\x81\r\nNul=a\0b\r\nNum=1\r\n", 35);
    auto doc = IniDocument::Parse(file, kCodec);
    EXPECT_EQ(doc.Get(L"Section", L"Nul"), std::wstring(L"a\0b", 3));
    ASSERT_TRUE(doc.Set(L"Section", L"Num", L"2"));
    EXPECT_EQ(doc.Serialize(), std::string("[Section]\r\nJunk=\x81\r\nNul=a\0b\r\nNum=2\r\n", 35));
}

}  // namespace
}  // namespace corvalinth
