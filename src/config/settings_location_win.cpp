#include "config/settings_location_win.h"

#include <windows.h>
#include <shlobj.h>

#include <utility>

#include "config/settings_file.h"

namespace corvalinth {
namespace {

// "Corvalinth.ini" in the folder of the program file.
std::wstring SettingsPathBesideProgram()
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD got = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (got == 0) return std::wstring();
        if (got < size) {
            buffer.resize(got);
            break;
        }
        if (buffer.size() > 0x10000) return std::wstring();  // no path is this long
        buffer.resize(buffer.size() * 2);
    }
    return SettingsPathBeside(buffer);
}

bool IsFile(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// What a folder says when it will not take a new file: no permission, or a
// medium that cannot be written. A read-only file says the same.
bool FolderRefused(const IniWriteResult& result)
{
    return result.error == ERROR_ACCESS_DENIED || result.error == ERROR_WRITE_PROTECT;
}

// The per-user folder is one level below one the system keeps.
DWORD MakeFolderOf(const std::wstring& file)
{
    const std::wstring folder = file.substr(0, file.find_last_of(L'\\'));
    if (CreateDirectoryW(folder.c_str(), nullptr)) return ERROR_SUCCESS;
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS) return error;
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ERROR_SUCCESS
                                                                                             : ERROR_ALREADY_EXISTS;
}

// "%LOCALAPPDATA%\Corvalinth\Corvalinth.ini", or empty when the system names no such folder.
std::wstring PerUserSettingsPath()
{
    wchar_t* folder = nullptr;
    std::wstring path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &folder)) && folder && *folder)
        path = std::wstring(folder) + L"\\Corvalinth\\" + std::wstring(kSettingsFileName);
    CoTaskMemFree(folder);
    return path;
}

}  // namespace

SettingsLocation FindSettingsLocation()
{
    SettingsLocation where;
    where.perUser = PerUserSettingsPath();
    where.file = !where.perUser.empty() && IsFile(where.perUser) ? where.perUser : SettingsPathBesideProgram();
    return where;
}

SaveOutcome SaveSettings(const SettingsLocation& where, std::span<const IniKeyValue> keys, const FilePlacing& placing)
{
    SaveOutcome outcome;
    const bool perUserFirst = where.file == where.perUser;
    outcome.attempts.push_back({perUserFirst ? SettingsPlace::PerUser : SettingsPlace::BesideProgram, where.file,
                                WriteIni(kSettingsSection, keys, where.file, placing)});
    const IniWriteResult& first = outcome.attempts.back().result;
    if (first.Ok() || !FolderRefused(first) || where.perUser.empty() || perUserFirst) return outcome;
    SaveAttempt second{SettingsPlace::PerUser, where.perUser, {}};
    if (const DWORD error = MakeFolderOf(where.perUser)) second.result.error = error;
    else second.result = WriteIni(kSettingsSection, keys, where.perUser, placing);
    outcome.attempts.push_back(std::move(second));
    return outcome;
}

}  // namespace corvalinth
