#include "config/ini_document.h"

#include <algorithm>

namespace corvalinth {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\v' || c == L'\f'; }

std::wstring_view Trim(std::wstring_view s)
{
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

wchar_t FoldCase(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool SameName(std::wstring_view a, std::wstring_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return FoldCase(x) == FoldCase(y); });
}

bool HasLineBreakOrNul(std::wstring_view s)
{
    return s.find_first_of(std::wstring_view(L"\r\n\0", 3)) != std::wstring_view::npos;
}

// Quotes are added only where the reader would otherwise change the value:
// blanks at either end would be trimmed, a surrounding pair of quotes would be
// stripped, and a leading ';' looks like a comment to a casual reader.
std::wstring QuoteIfNeeded(std::wstring_view value)
{
    const bool needs = !value.empty() &&
                       (IsBlank(value.front()) || IsBlank(value.back()) || value.front() == L';' ||
                        (value.size() >= 2 && value.front() == L'"' && value.back() == L'"'));
    if (!needs) return std::wstring(value);
    std::wstring quoted;
    quoted.reserve(value.size() + 2);
    quoted += L'"';
    quoted += value;
    quoted += L'"';
    return quoted;
}

void AppendUtf16(std::string& out, std::u16string_view units)
{
    for (char16_t u : units) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
}

}  // namespace

std::wstring WideFromUtf16(std::u16string_view units)
{
    std::wstring out;
    out.reserve(units.size());
    if constexpr (sizeof(wchar_t) == 2) {
        for (char16_t u : units) out += static_cast<wchar_t>(u);
    } else {
        for (std::size_t i = 0; i < units.size(); ++i) {
            const char32_t u = units[i];
            if (u >= 0xD800 && u < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
                units[i + 1] < 0xE000) {
                out += static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
                ++i;
            } else {
                out += static_cast<wchar_t>(u);  // a lone surrogate is kept as it is
            }
        }
    }
    return out;
}

std::u16string Utf16FromWide(std::wstring_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        const auto cp = static_cast<std::uint32_t>(c);
        if (cp > 0xFFFF && cp <= 0x10FFFF) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp > 0x10FFFF ? 0xFFFD : cp);
        }
    }
    return out;
}

std::string_view WholeLinesPrefix(std::string_view bytes, std::size_t limit)
{
    if (bytes.size() <= limit) return bytes;
    const bool utf16 = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                       static_cast<unsigned char>(bytes[1]) == 0xFE;
    if (!utf16) {
        const std::size_t at = bytes.substr(0, limit).find_last_of("\r\n");
        return bytes.substr(0, at == std::string_view::npos ? 0 : at + 1);
    }
    for (std::size_t at = (limit & ~std::size_t{1}); at >= 4; at -= 2) {
        const char lo = bytes[at - 2];
        if ((lo == '\r' || lo == '\n') && bytes[at - 1] == '\0') return bytes.substr(0, at);
    }
    return bytes.substr(0, limit < 2 ? 0 : 2);
}

IniDocument::Parsed IniDocument::ParseLine(std::wstring_view text)
{
    Parsed line;
    const std::wstring_view t = Trim(text);
    if (t.empty()) {
        line.kind = Kind::Blank;
    } else if (t.front() == L';') {
        line.kind = Kind::Comment;
    } else if (t.front() == L'[') {
        line.kind = Kind::Section;
        const std::size_t close = t.find(L']', 1);
        line.name = Trim(t.substr(1, close == std::wstring_view::npos ? std::wstring_view::npos : close - 1));
    } else {
        const std::size_t eq = t.find(L'=');
        if (eq == 0) {
            line.kind = Kind::Other;
        } else {
            // A line without '=' is a key with an empty value.
            line.kind = Kind::Key;
            line.name = Trim(t.substr(0, eq));
            if (eq != std::wstring_view::npos) {
                std::wstring_view v = Trim(t.substr(eq + 1));
                if (v.size() >= 2 && v.front() == L'"' && v.back() == L'"') v = v.substr(1, v.size() - 2);
                line.value = v;
            }
        }
    }
    return line;
}

// The characters that decide a line's kind (blanks, ';', '[', '=') are single
// bytes in every ANSI code page and never the second byte of a character, so
// the kind is known without decoding the line.
IniDocument::Kind IniDocument::KindOfRaw(std::string_view raw, bool utf16)
{
    const std::size_t unit = utf16 ? 2 : 1;
    auto at = [&](std::size_t i) -> std::uint32_t {
        const auto lo = static_cast<unsigned char>(raw[i]);
        return utf16 ? lo | (static_cast<std::uint32_t>(static_cast<unsigned char>(raw[i + 1])) << 8) : lo;
    };
    std::size_t i = 0;
    const std::size_t end = raw.size() / unit * unit;
    while (i < end && (at(i) == ' ' || at(i) == '\t' || at(i) == '\v' || at(i) == '\f')) i += unit;
    if (i >= end) return Kind::Blank;
    switch (at(i)) {
    case ';': return Kind::Comment;
    case '[': return Kind::Section;
    case '=': return Kind::Other;
    default: return Kind::Key;
    }
}

std::wstring IniDocument::DecodeRaw(std::string_view raw) const
{
    if (readAsUtf16_) {
        std::u16string units(raw.size() / 2, u'\0');
        for (std::size_t i = 0; i < units.size(); ++i)
            units[i] = static_cast<char16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                             (static_cast<unsigned char>(raw[2 * i + 1]) << 8));
        return WideFromUtf16(units);
    }
    if (auto text = codec_->Decode(raw)) return *std::move(text);
    // Bytes the code page rejects still make a line that can be written back.
    std::wstring widened;
    widened.reserve(raw.size());
    for (char b : raw) widened += static_cast<wchar_t>(static_cast<unsigned char>(b));
    return widened;
}

std::wstring IniDocument::Text(const Line& line) const
{
    if (line.replacement != kOriginal) return texts_[line.replacement];
    return DecodeRaw(std::string_view(source_).substr(line.rawBegin, line.rawSize));
}

IniDocument IniDocument::Parse(std::string_view bytes, const AnsiCodec& codec)
{
    IniDocument doc(codec);
    const bool utf16 = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                       static_cast<unsigned char>(bytes[1]) == 0xFE;
    doc.readAsUtf16_ = doc.utf16_ = utf16;
    if (utf16) bytes.remove_prefix(2);
    doc.source_ = bytes.substr(0, UINT32_MAX);
    const std::string_view src = doc.source_;
    const std::size_t unit = utf16 ? 2 : 1;
    const std::size_t end = src.size() / unit * unit;  // an odd last byte stays with the last line

    auto unitAt = [&](std::size_t pos) -> std::uint32_t {
        const auto lo = static_cast<unsigned char>(src[pos]);
        return utf16 ? lo | (static_cast<std::uint32_t>(static_cast<unsigned char>(src[pos + 1])) << 8) : lo;
    };
    auto addLine = [&](std::size_t begin, std::size_t size, Eol eol) {
        Line line;
        line.rawBegin = static_cast<std::uint32_t>(begin);
        line.rawSize = static_cast<std::uint32_t>(size);
        line.eol = eol;
        line.kind = KindOfRaw(src.substr(begin, size), utf16);
        doc.lines_.push_back(line);
    };

    // Sized once: a file of millions of short lines would otherwise peak at
    // twice its table while growing.
    std::size_t breaks = 0;
    for (std::size_t pos = 0; pos < end; pos += unit) breaks += unitAt(pos) == '\n' || unitAt(pos) == '\r';
    doc.lines_.reserve(breaks + 3);  // and room for a new section and key

    std::size_t lineStart = 0;
    for (std::size_t pos = 0; pos < end;) {
        const std::uint32_t u = unitAt(pos);
        if (u != '\r' && u != '\n') {
            pos += unit;
            continue;
        }
        Eol eol = u == '\n' ? Eol::Lf : Eol::Cr;
        std::size_t next = pos + unit;
        if (u == '\r' && next < end && unitAt(next) == '\n') {
            eol = Eol::CrLf;
            next += unit;
        }
        addLine(lineStart, pos - lineStart, eol);
        lineStart = pos = next;
    }
    if (lineStart < src.size()) addLine(lineStart, src.size() - lineStart, Eol::None);
    return doc;
}

std::size_t IniDocument::FindSection(std::wstring_view section) const
{
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == Kind::Section && SameName(ParseLine(Text(lines_[i])).name, section)) return i;
    return kMissing;
}

std::size_t IniDocument::FindKey(std::wstring_view section, std::wstring_view key) const
{
    bool inSection = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::Section) inSection = SameName(ParseLine(Text(line)).name, section);
        else if (inSection && line.kind == Kind::Key && SameName(ParseLine(Text(line)).name, key)) return i;
    }
    return kMissing;
}

std::optional<std::wstring> IniDocument::Get(std::wstring_view section, std::wstring_view key) const
{
    const std::size_t i = FindKey(Trim(section), Trim(key));
    if (i == kMissing) return std::nullopt;
    return ParseLine(Text(lines_[i])).value;
}

void IniDocument::Put(std::size_t at, bool replace, std::wstring text)
{
    Line line;
    line.kind = ParseLine(text).kind;
    line.eol = Eol::CrLf;
    line.replacement = static_cast<std::uint32_t>(texts_.size());
    if (!utf16_ && !codec_->Encode(text)) utf16_ = true;
    texts_.push_back(std::move(text));
    if (replace) {
        line.eol = lines_[at].eol;
        lines_[at] = line;
    } else {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), line);
    }
}

bool IniDocument::Set(std::wstring_view section, std::wstring_view key, std::wstring_view value,
                      IniValueForm form)
{
    section = Trim(section);
    key = Trim(key);
    if (section.empty() || key.empty() || HasLineBreakOrNul(section) || HasLineBreakOrNul(key) ||
        HasLineBreakOrNul(value) || section.find(L']') != std::wstring_view::npos ||
        key.find(L'=') != std::wstring_view::npos || key.front() == L';' || key.front() == L'[')
        return false;

    const std::wstring quoted = form == IniValueForm::Exact ? QuoteIfNeeded(value) : std::wstring(value);
    if (const std::size_t i = FindKey(section, key); i != kMissing) {
        // Keep the key as it was spelt in the file.
        Put(i, true, ParseLine(Text(lines_[i])).name + L"=" + quoted);
        return true;
    }

    std::wstring text = std::wstring(key) + L"=" + quoted;
    if (const std::size_t header = FindSection(section); header != kMissing) {
        std::size_t after = header;
        for (std::size_t i = header + 1; i < lines_.size() && lines_[i].kind != Kind::Section; ++i)
            if (lines_[i].kind == Kind::Key || lines_[i].kind == Kind::Other) after = i;
        Put(after + 1, false, std::move(text));
        return true;
    }
    Put(lines_.size(), false, L"[" + std::wstring(section) + L"]");
    Put(lines_.size(), false, std::move(text));
    return true;
}

bool IniDocument::SetAll(std::wstring_view section, std::span<const IniKeyValue> keys)
{
    IniDocument changed = *this;
    for (const IniKeyValue& k : keys)
        if (!changed.Set(section, k.key, k.value, k.form)) return false;
    *this = std::move(changed);
    return true;
}

std::string IniDocument::Serialize() const
{
    auto eolUnits = [](Eol eol) -> std::u16string_view {
        switch (eol) {
        case Eol::CrLf: return u"\r\n";
        case Eol::Lf: return u"\n";
        case Eol::Cr: return u"\r";
        case Eol::None: break;
        }
        return u"";
    };
    auto lineEol = [&](std::size_t i) {
        // A last line without a break gets one once something follows it.
        return lines_[i].eol == Eol::None && i + 1 < lines_.size() ? Eol::CrLf : lines_[i].eol;
    };
    auto raw = [&](const Line& line) { return std::string_view(source_).substr(line.rawBegin, line.rawSize); };

    std::string out;
    if (!utf16_) {
        bool encodable = true;
        for (std::size_t i = 0; i < lines_.size() && encodable; ++i) {
            const Line& line = lines_[i];
            if (line.replacement == kOriginal) {
                out += raw(line);
            } else if (auto bytes = codec_->Encode(texts_[line.replacement])) {
                out += *bytes;
            } else {
                encodable = false;
            }
            for (char16_t u : eolUnits(lineEol(i))) out += static_cast<char>(u);
        }
        if (encodable) return out;
    }

    out = "\xFF\xFE";
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.replacement == kOriginal && readAsUtf16_) {
            std::string_view bytes = raw(line);
            // An odd last byte is kept only where it was: at the very end.
            if (i + 1 < lines_.size()) bytes = bytes.substr(0, bytes.size() / 2 * 2);
            out += bytes;
        } else {
            AppendUtf16(out, Utf16FromWide(Text(line)));
        }
        AppendUtf16(out, eolUnits(lineEol(i)));
    }
    return out;
}

}  // namespace corvalinth
