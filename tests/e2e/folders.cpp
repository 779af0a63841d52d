// The folders of the end-to-end tests: one that refuses writes, the program's
// per-user settings folder, and reading a file's bytes.
#include <windows.h>
#include <shlobj.h>

#include <fstream>
#include <iterator>

#include "harness.h"

namespace corvalinth::e2e {

namespace {

// Runs a program of the system under the rig (Wine starts native programs too).
void RunNative(const std::wstring& program, std::wstring commandLine)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info))
        return;
    UniqueHandle process(info.hProcess), thread(info.hThread);
    WaitForSingleObject(process.Get(), 30000);
}

// Whether a new file can be made in the folder (and removed again).
bool TakesNewFiles(const std::filesystem::path& folder)
{
    const std::wstring probe = (folder / L"corvalinth-probe.tmp").wstring();
    UniqueHandle file(
        CreateFileW(probe.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return file.Get() != INVALID_HANDLE_VALUE;
}

std::string UnixPathOf(const std::filesystem::path& path)
{
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    char* unix = toUnix ? toUnix(path.wstring().c_str()) : nullptr;
    std::string result = unix ? unix : "";
    if (unix) HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

void SetImmutable(const std::string& unixPath, bool on)
{
    const std::wstring path(unixPath.begin(), unixPath.end());
    RunNative(L"Z:\\usr\\bin\\chattr", std::wstring(L"chattr ") + (on ? L"+i" : L"-i") + L" \"" + path + L"\"");
}

}  // namespace

// The handle of a native program may signal before the program has run, so
// the flag is known by its effect.
RefusingFolder::RefusingFolder(const std::filesystem::path& folder) : folder_(folder), unixPath_(UnixPathOf(folder))
{
    if (unixPath_.empty()) return;
    SetImmutable(unixPath_, true);
    refusing_ = Eventually([&] { return !TakesNewFiles(folder_); });
}

RefusingFolder::~RefusingFolder()
{
    if (unixPath_.empty()) return;
    SetImmutable(unixPath_, false);  // whatever the first call did
    if (!Eventually([&] { return TakesNewFiles(folder_); }))
        ADD_FAILURE() << "could not clear the flag of " << unixPath_;
}

std::filesystem::path PerUserFolder()
{
    wchar_t* folder = nullptr;
    std::filesystem::path path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &folder)))
        path = std::filesystem::path(folder) / L"Corvalinth";
    CoTaskMemFree(folder);
    return path;
}

std::optional<std::string> FileBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace corvalinth::e2e
