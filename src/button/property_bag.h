#pragma once
// The property bag a container keeps for each button.
// A value is stored only when it differs from the default passed with it, compared
// after converting the default to the value's type; reads return the stored value
// or the default, and the caller converts.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace corvalinth::button {

// A font as the caption label holds it. Labels share the object they are given,
// so a change made through one holder shows in the other.
struct FontDesc {
    std::wstring name;
    double size = 8.0;  // points
    std::int16_t weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    std::int16_t charset = 0;
    friend bool operator==(const FontDesc&, const FontDesc&) = default;
};
using FontObject = std::shared_ptr<FontDesc>;

// A 16-bit Boolean (True = -1), kept apart from 16-bit integers.
struct Bool16 {
    std::int16_t value = 0;
    friend bool operator==(const Bool16&, const Bool16&) = default;
};

using Value = std::variant<Bool16, std::uint8_t, std::int16_t, std::int32_t, std::wstring, FontObject>;

enum class ValueType { Boolean, Byte, Integer, Long, String, Font };

ValueType TypeOf(const Value& value);
// The runtime's conversion between the stored types; nullopt for a type mismatch
// or an overflow. Numbers are rounded half to even; texts are read with the
// string-to-number rule or as "True"/"False".
std::optional<Value> ConvertTo(const Value& value, ValueType type);
// Equal after conversion of `b` to the type of `a`; fonts compare by content.
bool SameAfterConversion(const Value& a, const Value& b);

class PropertyBag {
public:
    void WriteProperty(std::wstring_view key, Value value, const Value& defaultValue);
    Value ReadProperty(std::wstring_view key, const Value& defaultValue) const;

    const Value* Find(std::wstring_view key) const;
    void Store(std::wstring_view key, Value value);
    void Remove(std::wstring_view key);

private:
    std::vector<std::pair<std::wstring, Value>> entries_;  // in the order written
};

}  // namespace corvalinth::button
