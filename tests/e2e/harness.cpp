#include "harness.h"

#include <shlobj.h>

#include <fstream>
#include <system_error>

namespace corvalinth::e2e {

namespace {

constexpr wchar_t kProbeVariable[] = L"CORVALINTH_SAVER_MARK_PROBE";

// Started as the probe of SaverRunningMark, the harness reports the mark in its
// exit code and leaves before any test runs.
const bool kRunAsProbe = [] {
    if (GetEnvironmentVariableW(kProbeVariable, nullptr, 0) == 0) return false;
    BOOL running = FALSE;
    SystemParametersInfoW(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    ExitProcess(running ? 20 : 21);
}();

std::filesystem::path OwnPath()
{
    std::wstring path(32768, L'\0');  // the longest path there is
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

BOOL CALLBACK Collect(HWND hwnd, LPARAM found)
{
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(hwnd);
    return TRUE;
}

// Starts a program with this command line; its process, or nothing. With
// CREATE_SUSPENDED its first thread goes to `thread`.
UniqueHandle Start(const std::wstring& program, std::wstring commandLine, DWORD flags, DWORD* processId = nullptr,
                   const wchar_t* folder = nullptr, UniqueHandle* thread = nullptr)
{
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr, folder,
                        &startup, &info))
        return {};
    UniqueHandle ownThread(info.hThread);
    if (thread != nullptr) *thread = std::move(ownThread);
    if (processId != nullptr) *processId = info.dwProcessId;
    return UniqueHandle(info.hProcess);
}

// Whether a new file can be made in the folder. Each probe has a name of its
// own: one made just before the folder turned immutable cannot be removed on
// close, and would otherwise make every later probe fail.
bool TakesNewFiles(const std::filesystem::path& folder)
{
    static unsigned probes = 0;
    const std::wstring probe = (folder / (L"corvalinth-probe-" + std::to_wstring(++probes) + L".tmp")).wstring();
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

// Wine starts native programs too. Their handle may signal before they have
// run, so the caller knows the flag by its effect.
void SetImmutable(const std::string& unixPath, bool on)
{
    const std::wstring path(unixPath.begin(), unixPath.end());
    const UniqueHandle chattr = Start(L"Z:\\usr\\bin\\chattr", std::wstring(L"chattr ") + (on ? L"+i" : L"-i") +
                                                                   L" \"" + path + L"\"", CREATE_NO_WINDOW);
    if (chattr) WaitForSingleObject(chattr.Get(), 30000);
}

}  // namespace

std::optional<bool> SaverRunningMark()
{
    const std::wstring self = OwnPath().wstring();
    SetEnvironmentVariableW(kProbeVariable, L"1");
    const UniqueHandle probe = Start(self, L"\"" + self + L"\"", CREATE_NO_WINDOW);
    SetEnvironmentVariableW(kProbeVariable, nullptr);
    DWORD code = 0;
    if (!probe || WaitForSingleObject(probe.Get(), 30000) != WAIT_OBJECT_0 || !GetExitCodeProcess(probe.Get(), &code) ||
        (code != 20 && code != 21))
        return std::nullopt;
    return code == 20;
}

core::PixelSurface SteadyCapture(const RECT& r, Milliseconds timeout)
{
    core::PixelSurface last = Capture(r);
    Eventually([&] {
        PumpFor(100ms);
        core::PixelSurface now = Capture(r);
        const bool same = now == last;
        last = std::move(now);
        return same;
    }, timeout);
    return last;
}

bool WaitForChange(const RECT& r, Milliseconds timeout)
{
    const core::PixelSurface first = Capture(r);
    return Eventually([&] { return Capture(r) != first; }, timeout);
}

bool CursorShowing()
{
    CURSORINFO info{sizeof info};
    return GetCursorInfo(&info) && (info.flags & CURSOR_SHOWING) != 0;
}

WindowFacts FactsOf(HWND hwnd)
{
    WindowFacts f;
    f.hwnd = hwnd;
    wchar_t text[512] = {}, kind[512] = {};
    GetWindowTextW(hwnd, text, 512);
    GetClassNameW(hwnd, kind, 512);
    f.caption = text;
    f.className = kind;
    f.style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    GetWindowRect(hwnd, &f.rect);
    GetClientRect(hwnd, &f.clientRect);
    if ((f.style & WS_CHILD) != 0) f.parent = GetAncestor(hwnd, GA_PARENT);
    f.topmost = (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    GetWindowThreadProcessId(hwnd, &f.processId);
    return f;
}

std::vector<HWND> TopLevelWindowsOf(DWORD processId)
{
    std::vector<HWND> found;
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&found));
    std::erase_if(found, [&](HWND hwnd) { return FactsOf(hwnd).processId != processId || !IsWindowVisible(hwnd); });
    return found;
}

std::vector<HWND> ChildWindowsOf(HWND parent)
{
    std::vector<HWND> found;
    EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND WaitForWindow(std::wstring_view caption, Milliseconds timeout)
{
    HWND hwnd = nullptr;
    Eventually([&] { return (hwnd = FindWindowW(nullptr, std::wstring(caption).c_str())) != nullptr; }, timeout);
    return hwnd;
}

bool WaitForNoWindow(std::wstring_view caption, Milliseconds timeout)
{
    return Eventually([&] { return FindWindowW(nullptr, std::wstring(caption).c_str()) == nullptr; }, timeout);
}

TestWindow TestWindow::TopLevel(std::wstring_view caption)
{
    TestWindow w;
    w.top_.Reset(CreateWindowExW(0, L"STATIC", std::wstring(caption).c_str(), WS_OVERLAPPEDWINDOW, 40, 40, 320, 200,
                                 nullptr, nullptr, nullptr, nullptr));
    EXPECT_TRUE(w.top_) << "could not make a test window";
    PumpFor(0ms);
    return w;
}

TestWindow TestWindow::PreviewBox(int width, int height)
{
    TestWindow w;
    w.top_.Reset(CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"Corvalinth e2e preview host", WS_POPUP | WS_VISIBLE,
                                 20, 20, width, height, nullptr, nullptr, nullptr, nullptr));
    w.box_ = CreateWindowExW(0, L"STATIC", L"Corvalinth e2e preview box", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                             0, width, height, w.top_.Get(), nullptr, nullptr, nullptr);
    EXPECT_NE(w.box_, nullptr) << "could not make a preview box";
    PumpFor(0ms);
    return w;
}

void TestWindow::Destroy()
{
    top_.Reset();
    box_ = nullptr;
    PumpFor(0ms);
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

void E2eTest::MakeProgramFolderRefuseWrites()
{
    refusingUnixPath_ = UnixPathOf(folder_);
    ASSERT_FALSE(refusingUnixPath_.empty());
    SetImmutable(refusingUnixPath_, true);
    ASSERT_TRUE(Eventually([&] { return !TakesNewFiles(folder_); }, kStartTimeout)) << "cannot make the folder refuse writes";
}

void E2eTest::SetUp()
{
    std::error_code error;
    std::filesystem::remove_all(PerUserFolder(), error);
    static unsigned counter = 0;
    folder_ = std::filesystem::temp_directory_path() /
              (L"corvalinth-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64()) +
               L"-" + std::to_wstring(counter++));
    std::filesystem::create_directories(folder_, error);
    ASSERT_FALSE(error) << "cannot make " << folder_.string();
    const auto program = OwnPath().parent_path() / L"Corvalinth.scr";
    std::filesystem::copy_file(program, folder_ / L"Corvalinth.scr", error);
    ASSERT_FALSE(error) << "cannot copy " << program.string() << ": " << error.message();
}

void E2eTest::TearDown()
{
    Kill();
    process_.Reset();
    if (second_) TerminateProcess(second_.Get(), 0xDEAD);
    if (!refusingUnixPath_.empty()) {
        SetImmutable(refusingUnixPath_, false);
        EXPECT_TRUE(Eventually([&] { return TakesNewFiles(folder_); }, kStartTimeout)) << "could not clear the folder's flag";
    }
    // The image of a process that has just ended may stay locked for a moment.
    std::error_code error;
    std::filesystem::remove_all(PerUserFolder(), error);
    EXPECT_TRUE(Eventually([&] { return std::filesystem::remove_all(folder_, error), !error; }))
        << "could not remove " << folder_.string();
}

void E2eTest::WriteIniBytes(std::string_view bytes) const
{
    std::ofstream out(IniPath(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write the settings file";
}

UniqueHandle E2eTest::StartCopy(std::wstring_view arguments, DWORD flags, DWORD* processId, UniqueHandle* thread)
{
    const std::wstring program = (folder_ / L"Corvalinth.scr").wstring();
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) commandLine += L" " + std::wstring(arguments);
    return Start(program, commandLine, flags, processId, folder_.wstring().c_str(), thread);
}

void E2eTest::Launch(std::wstring_view arguments)
{
    Kill();
    process_ = StartCopy(arguments, 0, &processId_);
    ASSERT_TRUE(process_) << "cannot start the program, error " << GetLastError();
}

HANDLE E2eTest::LaunchTwoAtOnce(std::wstring_view arguments)
{
    Kill();
    UniqueHandle threads[2];
    process_ = StartCopy(arguments, CREATE_SUSPENDED, &processId_, &threads[0]);
    second_ = StartCopy(arguments, CREATE_SUSPENDED, nullptr, &threads[1]);
    for (const UniqueHandle& thread : threads)
        if (thread) ResumeThread(thread.Get());
    EXPECT_TRUE(process_ && second_) << "cannot start the program twice, error " << GetLastError();
    return second_.Get();
}

std::optional<DWORD> WaitForExitOf(HANDLE process, Milliseconds timeout)
{
    DWORD code = 0;
    if (!PumpUntil([&] { return WaitForSingleObject(process, 0) != WAIT_TIMEOUT; }, timeout) ||
        !GetExitCodeProcess(process, &code))
        return std::nullopt;
    return code;
}

void E2eTest::Kill()
{
    if (!Running()) return;
    TerminateProcess(process_.Get(), 0xDEAD);
    PumpUntil([&] { return !Running(); }, 10s);
    // A saver killed mid-run cannot clear the system's mark; the next test must not inherit it.
    SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, FALSE, nullptr, 0);
}

}  // namespace corvalinth::e2e
