#pragma once
// The settings file on disk: reading a key, writing keys, and loading the
// settings into the module variables at start-up.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "config/ini_document.h"

namespace corvalinth {

// The system's ANSI code page. Encoding refuses text that would not come back
// unchanged (no best-fit substitutes, no default character).
class Win32AnsiCodec final : public AnsiCodec {
public:
    std::optional<std::wstring> Decode(std::string_view bytes) const override;
    std::optional<std::string> Encode(std::wstring_view text) const override;
};

// More than this is not a settings file; reading treats the rest as absent.
inline constexpr std::size_t kMaxSettingsFileBytes = 4u << 20;

// The key's value, or empty when the file, section or key is missing or the
// file cannot be read.
std::wstring ReadIni(std::wstring_view section, std::wstring_view key, const std::wstring& file);

// What the program itself knows about a failed write, where the system's code
// says it badly or not at all.
enum class WriteProblem : std::uint8_t {
    None,
    ReadOnly,        // the file is marked read-only: not to be written
    FolderInTheWay,  // a folder has the file's name
    TooLarge,        // more than a settings file can be; a rewrite would lose the rest
    NoDrive,         // the file's drive is not there
};

struct IniWriteResult {
    std::uint32_t error = 0;  // a Win32 error code; 0 = written
    WriteProblem problem = WriteProblem::None;
    // When neither the new file nor the old one could be put in place: the
    // file that now holds the new settings.
    std::wstring keptAs;
    bool Ok() const { return error == 0; }
};

// The two calls that put a finished file in place, each giving a Win32 error
// code (0 = done). Tests play the system's documented partial failures here.
struct FilePlacing {
    // Replaces `replaced` with `replacement`, the old file going to `backup`.
    std::function<std::uint32_t(const std::wstring& replaced, const std::wstring& replacement,
                                const std::wstring& backup)>
        replace;
    // Renames `from` to `to`, replacing a file there.
    std::function<std::uint32_t(const std::wstring& from, const std::wstring& to)> move;
};
// ReplaceFileW and MoveFileExW.
const FilePlacing& SystemFilePlacing();

// Writes the keys into the section, creating the file and the section when
// missing. The file is replaced as a whole, once: whatever happens, the old
// file or the new one is in place, or at worst the new one is kept under the
// name the result gives. A read-only file is not written.
IniWriteResult WriteIni(std::wstring_view section, std::span<const IniKeyValue> keys, const std::wstring& file,
                        const FilePlacing& placing = SystemFilePlacing());

// The system's text for a write failure, in the user's language; empty when
// the system has none.
std::wstring IniWriteErrorText(const IniWriteResult& result);

// Fills gColor, gNum and gPassword from the file. Never fails: whatever cannot
// be read leaves the defaults or the previous values.
void LoadSettingsFrom(const std::wstring& file);

}  // namespace corvalinth
