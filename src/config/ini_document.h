#pragma once
// The settings file as a document of lines. It reads the forms the system's own
// profile functions read (names without regard to letter case, blanks around
// names and values, ';' comment lines, one pair of quotes around a value) in
// the ANSI code page or as UTF-16LE with a byte-order mark, and writes a key
// back touching no other line.
#include <cstdint>
#include <climits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvalinth {

// The system's ANSI code page, supplied from outside so this file stays portable.
class AnsiCodec {
public:
    virtual ~AnsiCodec() = default;
    // nullopt when the bytes cannot be read at all.
    virtual std::optional<std::wstring> Decode(std::string_view bytes) const = 0;
    // nullopt when some character has no exact form in the code page.
    virtual std::optional<std::string> Encode(std::wstring_view text) const = 0;
};

// How a value is written: Exact quotes it where reading would change it (a
// password); AsGiven writes it plainly where blanks around it carry no meaning
// (numbers, written with their leading blank as " 1000").
enum class IniValueForm { Exact, AsGiven };

// One key of a section and the value to write there.
struct IniKeyValue {
    std::wstring_view key;
    std::wstring value;
    IniValueForm form = IniValueForm::Exact;
    friend bool operator==(const IniKeyValue&, const IniKeyValue&) = default;
};

class IniDocument {
public:
    // Any bytes are accepted; what is not an INI line is kept and ignored.
    // Bytes beyond 4 GiB are absent. The codec must outlive the document.
    static IniDocument Parse(std::string_view bytes, const AnsiCodec& codec);

    // The value with blanks around it and one pair of surrounding quotes
    // removed; nullopt when the section or key is missing.
    std::optional<std::wstring> Get(std::wstring_view section, std::wstring_view key) const;

    // Replaces the key's value in place, or adds the key at the end of its
    // section, or adds the section at the end of the file. The value is quoted
    // when reading it back would otherwise change it. False, and nothing
    // changed, for text one line of the file cannot hold: a line break or NUL
    // anywhere, an empty name, or a name the reader would take apart.
    bool Set(std::wstring_view section, std::wstring_view key, std::wstring_view value,
             IniValueForm form = IniValueForm::Exact);

    // Every key as Set would write it, in the order given: all of them, or
    // (false) none when one cannot be written.
    bool SetAll(std::wstring_view section, std::span<const IniKeyValue> keys);

    // The file's bytes: lines that were not changed come back exactly as read.
    // UTF-16LE with a byte-order mark when the file was read so, or when some
    // text has no form in the ANSI code page.
    std::string Serialize() const;

    bool IsUtf16() const { return utf16_; }

private:
    enum class Kind : std::uint8_t { Blank, Comment, Section, Key, Other };
    enum class Eol : std::uint8_t { None, CrLf, Lf, Cr };
    static constexpr std::uint32_t kOriginal = UINT32_MAX;
    static constexpr std::size_t kMissing = SIZE_MAX;
    // Kept small: a hostile file may hold millions of empty lines. The text of
    // a line as read is decoded again from the source when it is needed.
    struct Line {
        std::uint32_t rawBegin = 0, rawSize = 0;  // in source_, without the line break
        std::uint32_t replacement = kOriginal;    // index into texts_ for a changed or new line
        Eol eol = Eol::None;
        Kind kind = Kind::Other;
    };
    struct Parsed {
        Kind kind = Kind::Other;
        std::wstring name;   // section or key name, trimmed
        std::wstring value;  // a key's value as Get returns it
    };

    explicit IniDocument(const AnsiCodec& codec) : codec_(&codec) {}
    static Parsed ParseLine(std::wstring_view text);
    static Kind KindOfRaw(std::string_view raw, bool utf16);
    std::wstring DecodeRaw(std::string_view raw) const;
    std::wstring Text(const Line& line) const;
    std::size_t FindSection(std::wstring_view section) const;
    std::size_t FindKey(std::wstring_view section, std::wstring_view key) const;
    void Put(std::size_t at, bool replace, std::wstring text);

    const AnsiCodec* codec_;
    std::string source_;
    std::vector<Line> lines_;
    std::vector<std::wstring> texts_;
    bool readAsUtf16_ = false;  // source_ is UTF-16LE after its byte-order mark
    bool utf16_ = false;        // will be written as UTF-16LE
};

// The longest start of a file, at most limit bytes, that ends after a line
// break, so that what lies beyond a size cap is absent rather than cut.
// The whole file when it is within the limit.
std::string_view WholeLinesPrefix(std::string_view bytes, std::size_t limit);

// UTF-16 code units and wide strings, whatever the width of wchar_t.
std::wstring WideFromUtf16(std::u16string_view units);
std::u16string Utf16FromWide(std::wstring_view text);

}  // namespace corvalinth
