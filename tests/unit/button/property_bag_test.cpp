#include <gtest/gtest.h>

#include "button/property_bag.h"

namespace corvalinth::button {
namespace {

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

}  // namespace
}  // namespace corvalinth::button
