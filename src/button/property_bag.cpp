#include "button/property_bag.h"

#include <cmath>

#include "core/number_rules.h"

namespace corvalinth::button {

namespace {

bool EqualsNoCase(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'a' && x <= L'z') x = static_cast<wchar_t>(x - L'a' + L'A');
        if (y >= L'a' && y <= L'z') y = static_cast<wchar_t>(y - L'a' + L'A');
        if (x != y) return false;
    }
    return true;
}

std::wstring_view TrimBlanks(std::wstring_view t)
{
    while (!t.empty() && (t.front() == L' ' || t.front() == L'\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == L' ' || t.back() == L'\t')) t.remove_suffix(1);
    return t;
}

std::optional<double> NumberOf(const Value& value)
{
    struct Visitor {
        std::optional<double> operator()(const Bool16& b) const { return b.value; }
        std::optional<double> operator()(std::uint8_t v) const { return v; }
        std::optional<double> operator()(std::int16_t v) const { return v; }
        std::optional<double> operator()(std::int32_t v) const { return v; }
        std::optional<double> operator()(const std::wstring& s) const
        {
            const auto t = TrimBlanks(s);
            if (EqualsNoCase(t, L"True")) return -1.0;
            if (EqualsNoCase(t, L"False")) return 0.0;
            return core::ParseNumber(s);
        }
        std::optional<double> operator()(const FontObject&) const { return std::nullopt; }
    };
    return std::visit(Visitor{}, value);
}

}  // namespace

ValueType TypeOf(const Value& value)
{
    switch (value.index()) {
        case 0: return ValueType::Boolean;
        case 1: return ValueType::Byte;
        case 2: return ValueType::Integer;
        case 3: return ValueType::Long;
        case 4: return ValueType::String;
        default: return ValueType::Font;
    }
}

std::optional<Value> ConvertTo(const Value& value, ValueType type)
{
    if (TypeOf(value) == type) return value;
    if (type == ValueType::Font || TypeOf(value) == ValueType::Font) return std::nullopt;
    if (type == ValueType::String) {
        if (const auto* b = std::get_if<Bool16>(&value)) return Value{std::wstring(b->value ? L"True" : L"False")};
        return Value{std::to_wstring(static_cast<long long>(*NumberOf(value)))};
    }
    const auto number = NumberOf(value);
    if (!number) return std::nullopt;
    switch (type) {
        case ValueType::Boolean:
            return Value{Bool16{static_cast<std::int16_t>(*number != 0.0 ? -1 : 0)}};
        case ValueType::Byte: {
            const double r = core::RoundHalfEven(*number);
            if (r < 0.0 || r > 255.0) return std::nullopt;
            return Value{static_cast<std::uint8_t>(r)};
        }
        case ValueType::Integer:
            if (auto v = core::ToInt16(*number)) return Value{*v};
            return std::nullopt;
        case ValueType::Long:
            if (auto v = core::ToInt32(*number)) return Value{*v};
            return std::nullopt;
        default: return std::nullopt;
    }
}

bool SameAfterConversion(const Value& a, const Value& b)
{
    const auto converted = ConvertTo(b, TypeOf(a));
    if (!converted) return false;
    if (const auto* fa = std::get_if<FontObject>(&a)) {
        const auto& fb = std::get<FontObject>(*converted);
        if (!*fa || !fb) return *fa == fb;
        return **fa == *fb;
    }
    return a == *converted;
}

void PropertyBag::WriteProperty(std::wstring_view key, Value value, const Value& defaultValue)
{
    if (SameAfterConversion(value, defaultValue))
        Remove(key);
    else
        Store(key, std::move(value));
}

Value PropertyBag::ReadProperty(std::wstring_view key, const Value& defaultValue) const
{
    if (const Value* v = Find(key)) return *v;
    return defaultValue;
}

const Value* PropertyBag::Find(std::wstring_view key) const
{
    for (const auto& [k, v] : entries_)
        if (EqualsNoCase(k, key)) return &v;
    return nullptr;
}

void PropertyBag::Store(std::wstring_view key, Value value)
{
    for (auto& [k, v] : entries_) {
        if (EqualsNoCase(k, key)) {
            v = std::move(value);
            return;
        }
    }
    entries_.emplace_back(std::wstring(key), std::move(value));
}

void PropertyBag::Remove(std::wstring_view key)
{
    std::erase_if(entries_, [&](const auto& e) { return EqualsNoCase(e.first, key); });
}

}  // namespace corvalinth::button
