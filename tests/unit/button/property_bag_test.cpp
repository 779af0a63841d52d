#include <gtest/gtest.h>

#include "button/property_bag.h"
#include "button/value_text.h"

namespace corvalinth::button {
namespace {

TEST(ValueText, Utf8RoundTripAndRejects)
{
    const std::wstring text = L"設定 ｷｬﾝｾﾙ ＭＳ Ｐゴシック é \U0001F600";
    const std::string utf8 = Utf8FromWide(text);
    EXPECT_EQ(WideFromUtf8(utf8), text);
    for (const char* bad : {"\xC0\x80", "\xE3\x81", "\xED\xA0\x80", "\xF5\x80\x80\x80", "\x80", "a\xE8"})
        EXPECT_FALSE(WideFromUtf8(bad)) << ::testing::PrintToString(std::string(bad));
}

TEST(PropertyBagConversion, TypesConvertLikeTheRuntime)
{
    EXPECT_EQ(ConvertTo(std::wstring(L" 2.5 "), ValueType::Byte), Value{std::uint8_t{2}});
    EXPECT_EQ(ConvertTo(std::wstring(L"256"), ValueType::Byte), std::nullopt);
    EXPECT_EQ(ConvertTo(Bool16{-1}, ValueType::Byte), std::nullopt);
    EXPECT_EQ(ConvertTo(std::int16_t{5}, ValueType::Boolean), Value{Bool16{-1}});
    EXPECT_EQ(ConvertTo(std::wstring(L"yes"), ValueType::Boolean), std::nullopt);
    EXPECT_EQ(ConvertTo(Bool16{0}, ValueType::String), Value{std::wstring(L"False")});
    EXPECT_EQ(ConvertTo(std::wstring(L"x"), ValueType::Font), std::nullopt);
}

TEST(PropertyBag, WritesOnlyWhatDiffersAndReadsWithDefaults)
{
    PropertyBag bag;
    bag.WriteProperty(L"FontColour", std::int32_t{0}, std::wstring(L"0"));
    bag.WriteProperty(L"Visible", std::int16_t{1}, std::wstring(L"1"));
    EXPECT_TRUE(bag.Entries().empty());
    bag.WriteProperty(L"FontColour", std::int32_t{255}, std::wstring(L"0"));
    EXPECT_EQ(bag.ReadProperty(L"FontColour", std::wstring(L"0")), Value{std::int32_t{255}});
    EXPECT_EQ(bag.ReadProperty(L"fontcolour", std::wstring(L"0")), Value{std::int32_t{255}});
    EXPECT_EQ(bag.ReadProperty(L"Visible", std::wstring(L"1")), Value{std::wstring(L"1")});
    // Writing the default again takes the old entry out.
    bag.WriteProperty(L"FontColour", std::int32_t{0}, std::wstring(L"0"));
    EXPECT_EQ(bag.Find(L"FontColour"), nullptr);
}

TEST(PropertyBagText, RoundTripKeepsOrderTypesAndText)
{
    PropertyBag bag;
    bag.Store(L"Enabled", Bool16{0});
    bag.Store(L"Caption", std::wstring(L"設定 \"quoted\" back\\slash\ttab\nline\x01"));
    bag.Store(L"FirstRun", std::uint8_t{0});
    bag.Store(L"Font", std::make_shared<FontDesc>(FontDesc{L"ＭＳ Ｐゴシック", 9.75, 700, true, false, true, 128}));
    bag.Store(L"FontColour", std::int32_t{-2147483647 - 1});
    bag.Store(L"Visible", std::int16_t{0});
    bag.Store(L"Odd", Bool16{5});
    bag.Store(L"NoFont", FontObject{});

    const std::string text = EncodeBag(bag);
    std::string error;
    const auto back = DecodeBag(text, &error);
    ASSERT_TRUE(back) << error << "\n" << text;
    ASSERT_EQ(back->Entries().size(), bag.Entries().size());
    for (std::size_t i = 0; i < bag.Entries().size(); ++i) {
        const auto& [k, v] = bag.Entries()[i];
        SCOPED_TRACE(::testing::PrintToString(k));
        EXPECT_EQ(back->Entries()[i].first, k);
        EXPECT_TRUE(SameAfterConversion(back->Entries()[i].second, v));
        EXPECT_EQ(TypeOf(back->Entries()[i].second), TypeOf(v));
    }
    EXPECT_EQ(EncodeBag(*back), text);
}

TEST(PropertyBagText, AcceptsCommentsBlankLinesAndCrLf)
{
    const auto bag = DecodeBag("# saved by the settings form\r\n\r\n  Visible = int 0\r\nEnabled=bool True\n");
    ASSERT_TRUE(bag);
    ASSERT_EQ(bag->Entries().size(), 2u);
    EXPECT_EQ(bag->Entries()[1].second, Value{Bool16{-1}});
}

TEST(PropertyBagText, RejectsMalformedLinesWithTheirNumber)
{
    const char* bad[] = {
        "Caption text \"x\"",            // no '='
        "Caption = string \"x\"",  // unknown type
        "Visible = int 40000",
        "Font = font \"A\" 0 weight=400",
        "Caption = text \"\\u{110000}\"",
        "A = int 1\nA = int 2",
    };
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        std::string error;
        EXPECT_FALSE(DecodeBag(text, &error));
        EXPECT_EQ(error.rfind("line ", 0), 0u) << error;
    }
    std::string error;
    EXPECT_FALSE(DecodeBag("A = int 1\n\nB = int x\n", &error));
    EXPECT_EQ(error.substr(0, 7), "line 3:");
}

}  // namespace
}  // namespace corvalinth::button
