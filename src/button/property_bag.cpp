#include "button/property_bag.h"

#include <charconv>
#include <cmath>

#include "button/value_text.h"
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
            return NumberFromText(s);
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
        return Value{TextFromInteger(static_cast<long long>(*NumberOf(value)))};
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

// ---- text form ----

namespace {

void AppendQuoted(std::string& out, std::wstring_view text)
{
    out.push_back('"');
    std::wstring plain;
    auto flush = [&] {
        out += Utf8FromWide(plain);
        plain.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        const auto u = static_cast<std::uint32_t>(c);
        bool lone = false;
        if (u >= 0xD800 && u < 0xE000) {
            // A surrogate pair passes through as one character; a lone one is escaped.
            const bool pair = sizeof(wchar_t) == 2 && u < 0xDC00 && i + 1 < text.size() &&
                              static_cast<std::uint32_t>(text[i + 1]) >= 0xDC00 &&
                              static_cast<std::uint32_t>(text[i + 1]) < 0xE000;
            if (pair) {
                plain.push_back(c);
                plain.push_back(text[++i]);
                continue;
            }
            lone = true;
        }
        if (c == L'"' || c == L'\\') {
            flush();
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
        } else if (c == L'\n') {
            flush();
            out += "\\n";
        } else if (c == L'\r') {
            flush();
            out += "\\r";
        } else if (c == L'\t') {
            flush();
            out += "\\t";
        } else if (u < 0x20 || u == 0x7F || lone || u > 0x10FFFF) {
            flush();
            char buf[16];
            auto r = std::to_chars(buf, buf + sizeof buf, u, 16);
            out += "\\u{";
            out.append(buf, r.ptr);
            out.push_back('}');
        } else {
            plain.push_back(c);
        }
    }
    flush();
    out.push_back('"');
}

std::string NumberText(double v)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

void AppendValue(std::string& out, const Value& value)
{
    struct Visitor {
        std::string& out;
        void operator()(const Bool16& b) const
        {
            out += "bool ";
            if (b.value == -1) out += "True";
            else if (b.value == 0) out += "False";
            else out += std::to_string(b.value);
        }
        void operator()(std::uint8_t v) const { out += "byte " + std::to_string(v); }
        void operator()(std::int16_t v) const { out += "int " + std::to_string(v); }
        void operator()(std::int32_t v) const { out += "long " + std::to_string(v); }
        void operator()(const std::wstring& s) const
        {
            out += "text ";
            AppendQuoted(out, s);
        }
        void operator()(const FontObject& f) const
        {
            out += "font ";
            if (!f) {
                out += "none";
                return;
            }
            AppendQuoted(out, f->name);
            out += " " + NumberText(f->size) + " weight=" + std::to_string(f->weight) +
                   " charset=" + std::to_string(f->charset) + " italic=" + (f->italic ? "1" : "0") +
                   " underline=" + (f->underline ? "1" : "0") +
                   " strikethrough=" + (f->strikethrough ? "1" : "0");
        }
    };
    std::visit(Visitor{out}, value);
}

class LineReader {
public:
    explicit LineReader(std::string_view line) : s_(line) {}

    void SkipBlanks()
    {
        while (p_ < s_.size() && (s_[p_] == ' ' || s_[p_] == '\t')) ++p_;
    }
    bool AtEnd()
    {
        SkipBlanks();
        return p_ >= s_.size();
    }
    bool Expect(char c)
    {
        SkipBlanks();
        if (p_ < s_.size() && s_[p_] == c) {
            ++p_;
            return true;
        }
        return false;
    }
    std::string_view Word()
    {
        SkipBlanks();
        const std::size_t start = p_;
        while (p_ < s_.size() && s_[p_] != ' ' && s_[p_] != '\t' && s_[p_] != '=') ++p_;
        return s_.substr(start, p_ - start);
    }
    std::optional<std::wstring> Quoted()
    {
        SkipBlanks();
        if (p_ >= s_.size() || s_[p_] != '"') return std::nullopt;
        ++p_;
        std::wstring out;
        std::string plain;
        auto flush = [&]() -> bool {
            auto w = WideFromUtf8(plain);
            if (!w) return false;
            out += *w;
            plain.clear();
            return true;
        };
        while (p_ < s_.size()) {
            const char c = s_[p_++];
            if (c == '"') {
                if (!flush()) return std::nullopt;
                return out;
            }
            if (c != '\\') {
                plain.push_back(c);
                continue;
            }
            if (!flush() || p_ >= s_.size()) return std::nullopt;
            const char e = s_[p_++];
            switch (e) {
                case '"': out.push_back(L'"'); break;
                case '\\': out.push_back(L'\\'); break;
                case 'n': out.push_back(L'\n'); break;
                case 'r': out.push_back(L'\r'); break;
                case 't': out.push_back(L'\t'); break;
                case 'u': {
                    if (p_ >= s_.size() || s_[p_] != '{') return std::nullopt;
                    const std::size_t close = s_.find('}', p_);
                    if (close == std::string_view::npos) return std::nullopt;
                    std::uint32_t u = 0;
                    const char* first = s_.data() + p_ + 1;
                    const char* last = s_.data() + close;
                    auto r = std::from_chars(first, last, u, 16);
                    if (r.ec != std::errc{} || r.ptr != last || first == last) return std::nullopt;
                    // wchar_t is 16 bits on Windows: only code units fit there.
                    if (u > (sizeof(wchar_t) == 2 ? 0xFFFFu : 0x10FFFFu)) return std::nullopt;
                    out.push_back(static_cast<wchar_t>(u));
                    p_ = close + 1;
                    break;
                }
                default: return std::nullopt;
            }
        }
        return std::nullopt;  // no closing quote
    }

private:
    std::string_view s_;
    std::size_t p_ = 0;
};

template <class Int>
std::optional<Int> ParseInt(std::string_view text, long long lo, long long hi)
{
    long long v = 0;
    auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || r.ec != std::errc{} || r.ptr != text.data() + text.size() || v < lo || v > hi)
        return std::nullopt;
    return static_cast<Int>(v);
}

bool ValidKey(std::string_view key)
{
    if (key.empty()) return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        const char c = key[i];
        const bool alpha = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        if (!alpha && !(i > 0 && c >= '0' && c <= '9')) return false;
    }
    return true;
}

std::optional<FontObject> ParseFont(LineReader& r)
{
    auto name = r.Quoted();
    if (!name) return std::nullopt;
    auto font = std::make_shared<FontDesc>();
    font->name = std::move(*name);
    const std::string_view sizeText = r.Word();
    double size = 0;
    auto sr = std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), size);
    if (sizeText.empty() || sr.ec != std::errc{} || sr.ptr != sizeText.data() + sizeText.size() ||
        !std::isfinite(size) || size <= 0.0 || size > 16384.0)
        return std::nullopt;
    font->size = size;
    bool seen[5] = {};
    while (!r.AtEnd()) {
        const std::string_view attr = r.Word();
        if (!r.Expect('=')) return std::nullopt;
        const std::string_view v = r.Word();
        int index = -1;
        if (attr == "weight") {
            auto w = ParseInt<std::int16_t>(v, 0, 1000);
            if (!w) return std::nullopt;
            font->weight = *w;
            index = 0;
        } else if (attr == "charset") {
            auto c = ParseInt<std::int16_t>(v, 0, 255);
            if (!c) return std::nullopt;
            font->charset = *c;
            index = 1;
        } else {
            auto flag = ParseInt<int>(v, 0, 1);
            if (!flag) return std::nullopt;
            if (attr == "italic") font->italic = *flag, index = 2;
            else if (attr == "underline") font->underline = *flag, index = 3;
            else if (attr == "strikethrough") font->strikethrough = *flag, index = 4;
            else return std::nullopt;
        }
        if (seen[index]) return std::nullopt;
        seen[index] = true;
    }
    return font;
}

std::optional<Value> ParseValue(LineReader& r, std::string& why)
{
    const std::string_view type = r.Word();
    if (type == "text") {
        auto s = r.Quoted();
        if (!s) {
            why = "bad text";
            return std::nullopt;
        }
        return Value{std::move(*s)};
    }
    if (type == "font") {
        LineReader probe = r;
        if (probe.Word() == "none" && probe.AtEnd()) {
            r = probe;
            return Value{FontObject{}};
        }
        auto f = ParseFont(r);
        if (!f) {
            why = "bad font";
            return std::nullopt;
        }
        return Value{std::move(*f)};
    }
    const std::string_view v = r.Word();
    std::optional<Value> out;
    if (type == "bool") {
        if (v == "True") out = Value{Bool16{-1}};
        else if (v == "False") out = Value{Bool16{0}};
        else if (auto n = ParseInt<std::int16_t>(v, -32768, 32767)) out = Value{Bool16{*n}};
    } else if (type == "byte") {
        if (auto n = ParseInt<std::uint8_t>(v, 0, 255)) out = Value{*n};
    } else if (type == "int") {
        if (auto n = ParseInt<std::int16_t>(v, -32768, 32767)) out = Value{*n};
    } else if (type == "long") {
        if (auto n = ParseInt<std::int32_t>(v, -2147483648LL, 2147483647LL)) out = Value{*n};
    } else {
        why = "unknown type";
        return std::nullopt;
    }
    if (!out) why = "bad " + std::string(type);
    return out;
}

}  // namespace

std::string EncodeBag(const PropertyBag& bag)
{
    std::string out;
    for (const auto& [key, value] : bag.Entries()) {
        out += Utf8FromWide(key);
        out += " = ";
        AppendValue(out, value);
        out.push_back('\n');
    }
    return out;
}

std::optional<PropertyBag> DecodeBag(std::string_view text, std::string* error)
{
    PropertyBag bag;
    int lineNumber = 0;
    auto fail = [&](const std::string& why) -> std::optional<PropertyBag> {
        if (error) *error = "line " + std::to_string(lineNumber) + ": " + why;
        return std::nullopt;
    };
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        LineReader r(line);
        if (r.AtEnd()) continue;
        LineReader probe = r;
        if (probe.Expect('#')) continue;
        const std::string_view key = r.Word();
        if (!ValidKey(key)) return fail("bad key");
        if (!r.Expect('=')) return fail("expected '='");
        std::string why;
        auto value = ParseValue(r, why);
        if (!value) return fail(why);
        if (!r.AtEnd()) return fail("text after the value");
        const std::wstring wideKey(key.begin(), key.end());
        if (bag.Find(wideKey)) return fail("repeated key");
        bag.Store(wideKey, std::move(*value));
    }
    return bag;
}

}  // namespace corvalinth::button
