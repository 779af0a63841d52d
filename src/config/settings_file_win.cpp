#include "config/settings_file_win.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <new>

#include "core/corvalinth_b.h"
#include "config/settings_file.h"
#include "forms/handles_win.h"

namespace corvalinth {
namespace {

using forms::KernelHandle;

bool Valid(const KernelHandle& h) { return h.Get() != INVALID_HANDLE_VALUE && h.Get() != nullptr; }

// Closing can report a late write failure, so the writer asks for it.
DWORD CloseReporting(KernelHandle& h) { return CloseHandle(h.Release()) ? ERROR_SUCCESS : GetLastError(); }

// A temporary file that is removed unless it has been moved into place.
struct TempFile {
    std::wstring path;
    bool moved = false;
    ~TempFile()
    {
        if (!moved && !path.empty()) DeleteFileW(path.c_str());
    }
};

// Room for the temporary file's suffix on paths that still fit MAX_PATH.
constexpr std::size_t kTempSuffixRoom = 32;

// Paths too long for the plain form get the extended-length prefix.
std::wstring ForFileApi(const std::wstring& path)
{
    if (path.size() + kTempSuffixRoom < MAX_PATH || path.rfind(L"\\\\?\\", 0) == 0) return path;
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    const DWORD got = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (got == 0 || got >= needed) return path;
    full.resize(got);
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

struct FileBytes {
    DWORD error = ERROR_SUCCESS;
    std::string bytes;
    DWORD attributes = 0;
    bool tooLarge = false;  // bytes holds only the first limit bytes and a little more
};

FileBytes ReadCapped(const std::wstring& path, std::size_t limit)
{
    FileBytes out;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        out.error = GetLastError();
        return out;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        out.error = ERROR_ACCESS_DENIED;  // what the system says when a folder is opened as a file
        return out;
    }
    out.attributes = attributes;
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!Valid(file)) {
        out.error = GetLastError();
        return out;
    }
    constexpr DWORD kChunk = 1u << 16;
    for (;;) {
        const std::size_t used = out.bytes.size();
        out.bytes.resize(used + kChunk);
        DWORD got = 0;
        if (!ReadFile(file.Get(), out.bytes.data() + used, kChunk, &got, nullptr)) {
            out.error = GetLastError();
            out.bytes.clear();
            return out;
        }
        out.bytes.resize(used + got);
        if (got == 0) break;
        if (out.bytes.size() > limit) {
            out.tooLarge = true;
            break;
        }
    }
    return out;
}

DWORD WriteAll(HANDLE file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return GetLastError();
        if (written == 0) return ERROR_WRITE_FAULT;
        bytes.remove_prefix(written);
    }
    return ERROR_SUCCESS;
}

// Not every implementation of the replacement, and no rename, carries these
// over, so they are put back by hand.
void RestoreAttributes(const std::wstring& path, DWORD old)
{
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD now = GetFileAttributesW(path.c_str());
    if (now == INVALID_FILE_ATTRIBUTES || (now & kKept) == (old & kKept)) return;
    const DWORD wanted = (now & ~kKept & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_TEMPORARY)) | (old & kKept);
    SetFileAttributesW(path.c_str(), wanted ? wanted : FILE_ATTRIBUTE_NORMAL);
}

DWORD ReplaceFileContents(const std::wstring& path, std::string_view bytes, bool exists)
{
    TempFile temp;
    HANDLE handle = INVALID_HANDLE_VALUE;
    DWORD error = ERROR_SUCCESS;
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        temp.path = path + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(attempt) + L".tmp";
        handle = CreateFileW(temp.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) break;
        error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    if (handle == INVALID_HANDLE_VALUE) {
        // Never created; nothing to remove. A folder that refuses new files gets
        // no write in place either: a failure part-way would tear the file.
        temp.path.clear();
        return error;
    }

    KernelHandle file(handle);
    if (DWORD e = WriteAll(file.Get(), bytes)) return e;
    if (!FlushFileBuffers(file.Get())) return GetLastError();
    if (DWORD e = CloseReporting(file)) return e;

    if (exists) {
        // Keeps the old file's attributes and permissions.
        if (ReplaceFileW(path.c_str(), temp.path.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS,
                         nullptr, nullptr)) {
            temp.moved = true;
            return ERROR_SUCCESS;
        }
        error = GetLastError();
        // Some file systems do not offer the replacement; a rename is atomic too.
        if (MoveFileExW(temp.path.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            temp.moved = true;
            return ERROR_SUCCESS;
        }
        return error;
    }
    if (!MoveFileExW(temp.path.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return GetLastError();
    temp.moved = true;
    return ERROR_SUCCESS;
}

NumberFormat UserNumberFormat()
{
    auto single = [](LCTYPE type) -> wchar_t {
        wchar_t text[8] = {};
        return GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, text, 8) == 2 ? text[0] : L'\0';
    };
    NumberFormat format;
    if (const wchar_t decimal = single(LOCALE_SDECIMAL)) format.decimalSeparator = decimal;
    const wchar_t thousands = single(LOCALE_STHOUSAND);
    if (thousands != format.decimalSeparator) format.thousandsSeparator = thousands;
    return format;
}

}  // namespace

std::optional<std::wstring> Win32AnsiCodec::Decode(std::string_view bytes) const
{
    if (bytes.empty()) return std::wstring();
    if (bytes.size() > INT_MAX) return std::nullopt;
    const int length = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    if (needed <= 0) return std::nullopt;
    std::wstring text(static_cast<std::size_t>(needed), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, text.data(), needed) != needed) return std::nullopt;
    return text;
}

std::optional<std::string> Win32AnsiCodec::Encode(std::wstring_view text) const
{
    if (text.empty()) return std::string();
    if (text.size() > INT_MAX / 4) return std::nullopt;
    const int length = static_cast<int>(text.size());
    // A UTF-8 code page takes no default-character query; invalid text is its only failure.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const int needed = WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, usedDefaultOut);
    if (needed <= 0 || usedDefault) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    if (WideCharToMultiByte(CP_ACP, flags, text.data(), length, bytes.data(), needed, nullptr, usedDefaultOut) != needed ||
        usedDefault)
        return std::nullopt;
    // The last word: the bytes must read back as the very same text.
    const auto back = Decode(bytes);
    if (!back || *back != text) return std::nullopt;
    return bytes;
}

std::wstring ReadIni(std::wstring_view section, std::wstring_view key, const std::wstring& file)
{
    const FileBytes read = ReadCapped(ForFileApi(file), kMaxSettingsFileBytes);
    if (read.error) return std::wstring();
    const Win32AnsiCodec codec;
    const auto doc = IniDocument::Parse(WholeLinesPrefix(read.bytes, kMaxSettingsFileBytes), codec);
    return doc.Get(section, key).value_or(std::wstring());
}

IniWriteResult WriteIni(std::wstring_view section, std::span<const IniKeyValue> keys, const std::wstring& file)
{
    try {
        const std::wstring path = ForFileApi(file);
        const FileBytes read = ReadCapped(path, kMaxSettingsFileBytes);
        const bool exists = read.error == ERROR_SUCCESS;
        if (!exists && read.error != ERROR_FILE_NOT_FOUND) return {read.error};
        // Rewriting only the part that was read would lose the rest.
        if (read.tooLarge) return {ERROR_FILE_TOO_LARGE};

        const Win32AnsiCodec codec;
        auto doc = IniDocument::Parse(read.bytes, codec);
        if (!doc.SetAll(section, keys)) return {ERROR_INVALID_DATA};
        const std::string bytes = doc.Serialize();
        if (exists && bytes == read.bytes) return {};
        const DWORD error = ReplaceFileContents(path, bytes, exists);
        if (error == ERROR_SUCCESS && exists) RestoreAttributes(path, read.attributes);
        return {error};
    } catch (const std::bad_alloc&) {
        return {ERROR_NOT_ENOUGH_MEMORY};
    }
}

std::wstring IniWriteErrorText(IniWriteResult result)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        result.error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length ? std::wstring(text, length) : L"Error " + std::to_wstring(result.error);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    return message;
}

void LoadSettingsFrom(const std::wstring& file)
{
    try {
        const FileBytes read = ReadCapped(ForFileApi(file), kMaxSettingsFileBytes);
        const std::string_view bytes = read.error ? std::string_view() : WholeLinesPrefix(read.bytes, kMaxSettingsFileBytes);
        const Win32AnsiCodec codec;
        const auto doc = IniDocument::Parse(bytes, codec);
        ApplySettings([&doc](std::wstring_view key) { return doc.Get(kSettingsSection, key).value_or(std::wstring()); },
                      Module(), UserNumberFormat());
    } catch (const std::bad_alloc&) {
        // Start with what has been set so far rather than not at all.
    }
}

}  // namespace corvalinth
