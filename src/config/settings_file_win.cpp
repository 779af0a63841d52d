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

// A temporary file that is removed unless it has been moved into place or
// holds the only copy of the settings.
struct TempFile {
    std::wstring path;
    bool keep = false;
    ~TempFile()
    {
        if (!keep && !path.empty()) DeleteFileW(path.c_str());
    }
};

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

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
    bool folder = false;    // a folder has the file's name
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
        out.folder = true;
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
// over, so they are put back by hand. A changed file is marked for backup.
void RestoreAttributes(const std::wstring& path, DWORD old)
{
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD now = GetFileAttributesW(path.c_str());
    if (now == INVALID_FILE_ATTRIBUTES) return;
    constexpr DWORD kSettable = kKept | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_TEMPORARY;
    const DWORD wanted =
        (now & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_TEMPORARY)) | (old & kKept) | FILE_ATTRIBUTE_ARCHIVE;
    if ((now & kSettable) != wanted) SetFileAttributesW(path.c_str(), wanted);
}

// A new file beside `path` that nobody else uses; empty (and the error) when
// the folder takes none.
KernelHandle CreateTempFile(const std::wstring& path, TempFile& temp, DWORD& error)
{
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        temp.path = path + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(attempt) + L".tmp";
        KernelHandle handle(
            CreateFileW(temp.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (Valid(handle)) return handle;
        error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    // Never created; nothing to remove.
    temp.path.clear();
    return KernelHandle();
}

// Puts the finished temporary file in place of an existing `path`. The
// replacement's partial failures may take the old file away (to the backup
// name, or for good): then the new one must reach its place, or the old one
// go back, before anything is removed; failing both, the new one is kept.
IniWriteResult PutInPlace(const std::wstring& path, TempFile& temp, const FilePlacing& placing)
{
    const std::wstring backup = temp.path.substr(0, temp.path.size() - 4) + L".old";
    const DWORD replaceError = placing.replace(path, temp.path, backup);
    // Some file systems do not offer the replacement; a rename is atomic too.
    if (replaceError == ERROR_SUCCESS || placing.move(temp.path, path) == ERROR_SUCCESS) {
        temp.keep = true;
        DeleteFileW(backup.c_str());
        return {};
    }
    if (Exists(path)) return {replaceError};  // the old file, as it was
    if (Exists(backup) && placing.move(backup, path) == ERROR_SUCCESS) return {replaceError};
    temp.keep = true;
    return {replaceError, WriteProblem::None, temp.path};
}

IniWriteResult ReplaceFileContents(const std::wstring& path, std::string_view bytes, bool exists,
                                   const FilePlacing& placing)
{
    TempFile temp;
    DWORD error = ERROR_SUCCESS;
    // A folder that refuses new files gets no write in place either: a failure
    // part-way would tear the file.
    KernelHandle file = CreateTempFile(path, temp, error);
    if (!file) return {error};
    if (DWORD e = WriteAll(file.Get(), bytes)) return {e};
    if (!FlushFileBuffers(file.Get())) return {GetLastError()};
    if (DWORD e = CloseReporting(file)) return {e};

    if (exists) return PutInPlace(path, temp, placing);
    // Nothing to lose: a failure leaves no file, as before.
    if (const DWORD e = placing.move(temp.path, path)) return {e};
    temp.keep = true;
    return {};
}

// Whether the failure comes from a drive letter that names no drive.
bool DriveMissing(std::wstring_view path, DWORD error)
{
    if (error != ERROR_PATH_NOT_FOUND && error != ERROR_INVALID_DRIVE && error != ERROR_NOT_READY) return false;
    if (path.rfind(L"\\\\?\\", 0) == 0) path.remove_prefix(4);
    if (path.size() < 2 || path[1] != L':') return false;
    const std::wstring root = std::wstring(path.substr(0, 2)) + L"\\";
    return GetDriveTypeW(root.c_str()) == DRIVE_NO_ROOT_DIR;
}

IniWriteResult WriteIniTo(const std::wstring& path, std::wstring_view section, std::span<const IniKeyValue> keys,
                          const FilePlacing& placing)
{
    const FileBytes read = ReadCapped(path, kMaxSettingsFileBytes);
    const bool exists = read.error == ERROR_SUCCESS;
    if (read.folder) return {read.error, WriteProblem::FolderInTheWay};
    if (!exists && read.error != ERROR_FILE_NOT_FOUND) return {read.error};
    // Rewriting only the part that was read would lose the rest.
    if (read.tooLarge) return {ERROR_FILE_TOO_LARGE, WriteProblem::TooLarge};
    // What the system says for a read-only file (not every implementation of
    // the replacement checks it).
    if (exists && (read.attributes & FILE_ATTRIBUTE_READONLY)) return {ERROR_ACCESS_DENIED, WriteProblem::ReadOnly};

    const Win32AnsiCodec codec;
    auto doc = IniDocument::Parse(read.bytes, codec);
    if (!doc.SetAll(section, keys)) return {ERROR_INVALID_DATA};
    const std::string bytes = doc.Serialize();
    if (exists && bytes == read.bytes) return {};
    IniWriteResult result = ReplaceFileContents(path, bytes, exists, placing);
    if (result.Ok()) RestoreAttributes(path, exists ? read.attributes : 0);
    return result;
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

const FilePlacing& SystemFilePlacing()
{
    static const FilePlacing system{
        [](const std::wstring& replaced, const std::wstring& replacement, const std::wstring& backup) -> std::uint32_t {
            // Keeps the old file's attributes and permissions.
            return ReplaceFileW(replaced.c_str(), replacement.c_str(), backup.c_str(),
                                REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr)
                       ? ERROR_SUCCESS
                       : GetLastError();
        },
        [](const std::wstring& from, const std::wstring& to) -> std::uint32_t {
            return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                       ? ERROR_SUCCESS
                       : GetLastError();
        }};
    return system;
}

IniWriteResult WriteIni(std::wstring_view section, std::span<const IniKeyValue> keys, const std::wstring& file,
                        const FilePlacing& placing)
{
    try {
        const std::wstring path = ForFileApi(file);
        IniWriteResult result = WriteIniTo(path, section, keys, placing);
        if (result.problem == WriteProblem::None && DriveMissing(path, result.error))
            result.problem = WriteProblem::NoDrive;
        return result;
    } catch (const std::bad_alloc&) {
        return {ERROR_NOT_ENOUGH_MEMORY};
    }
}

std::wstring IniWriteErrorText(const IniWriteResult& result)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        result.error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length ? std::wstring(text, length) : std::wstring();
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
