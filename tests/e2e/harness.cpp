#include "harness.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <system_error>

namespace corvalinth::e2e {

namespace {

using Clock = std::chrono::steady_clock;

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

std::vector<HWND> Collect(const std::function<void(WNDENUMPROC, LPARAM)>& enumerate)
{
    std::vector<HWND> found;
    enumerate(
        [](HWND hwnd, LPARAM param) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

DWORD ProcessOf(HWND hwnd)
{
    DWORD id = 0;
    GetWindowThreadProcessId(hwnd, &id);
    return id;
}


void DispatchPending()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Waits for `object` (or just for time to pass when null) while pumping messages.
bool PumpUntilSignalled(HANDLE object, Milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        DispatchPending();
        const auto left = std::chrono::duration_cast<Milliseconds>(deadline - Clock::now()).count();
        const DWORD wait = MsgWaitForMultipleObjects(object != nullptr ? 1 : 0, &object, FALSE,
                                                     left > 0 ? static_cast<DWORD>(left) : 0, QS_ALLINPUT);
        if (object != nullptr && wait == WAIT_OBJECT_0) return true;
        if (wait == WAIT_TIMEOUT || wait == WAIT_FAILED || Clock::now() >= deadline) {
            DispatchPending();
            return object != nullptr && WaitForSingleObject(object, 0) == WAIT_OBJECT_0;
        }
    }
}

LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND) {
        // A plain, known colour, so screenshots can tell the box from the program.
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        return 1;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND MakeTestWindow(const wchar_t* caption, DWORD style, int x, int y, int width, int height,
                    HWND parent = nullptr)
{
    static const ATOM atom = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = TestWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = L"CorvalinthE2eTestWindow";
        return RegisterClassExW(&wc);
    }();
    const HWND hwnd = CreateWindowExW(0, reinterpret_cast<const wchar_t*>(static_cast<std::uintptr_t>(atom)),
                                      caption, style, x, y, width, height, parent, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(hwnd, nullptr) << "could not make a test window";
    return hwnd;
}

void Send(std::vector<INPUT> inputs)
{
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    EXPECT_EQ(sent, inputs.size()) << "SendInput refused input";
}

INPUT KeyInput(WORD virtualKey, bool up)
{
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = virtualKey;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    // The navigation keys share scan codes with the number pad; the flag tells them apart.
    for (int extended : {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_PRIOR, VK_NEXT,
                          VK_INSERT, VK_DELETE, VK_RCONTROL, VK_RMENU, VK_DIVIDE})
        if (virtualKey == extended) in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    if (up) in.ki.dwFlags |= KEYEVENTF_KEYUP;
    return in;
}

INPUT MouseInput(DWORD flags)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    return in;
}

// Normalised absolute coordinates chosen so that the system's scaling lands
// exactly on the wanted pixel.
LONG Normalise(int value, LONG origin, LONG extent)
{
    if (extent <= 0) return 0;
    const long long offset = static_cast<long long>(value) - origin;
    return static_cast<LONG>((offset * 65536 + extent - 1) / extent);
}

}  // namespace

std::optional<bool> SaverRunningMark()
{
    const std::wstring self = OwnPath().wstring();
    std::wstring commandLine = L"\"" + self + L"\"";
    SetEnvironmentVariableW(kProbeVariable, L"1");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const BOOL ok = CreateProcessW(self.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                                   CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
    SetEnvironmentVariableW(kProbeVariable, nullptr);
    if (!ok) return std::nullopt;
    UniqueHandle process(info.hProcess), thread(info.hThread);
    DWORD code = 0;
    if (WaitForSingleObject(process.Get(), 30000) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.Get(), &code) || (code != 20 && code != 21))
        return std::nullopt;
    return code == 20;
}

void PumpFor(Milliseconds duration) { PumpUntilSignalled(nullptr, duration); }

bool Eventually(const std::function<bool()>& done, Milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() >= deadline) return false;
        PumpUntilSignalled(nullptr, 10ms);
    }
    return true;
}

WindowFacts FactsOf(HWND hwnd)
{
    WindowFacts f;
    f.hwnd = hwnd;
    std::array<wchar_t, 512> text{};
    GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()));
    f.caption = text.data();
    text.fill(0);
    GetClassNameW(hwnd, text.data(), static_cast<int>(text.size()));
    f.className = text.data();
    f.style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    GetWindowRect(hwnd, &f.rect);
    GetClientRect(hwnd, &f.clientRect);
    if ((f.style & WS_CHILD) != 0) f.parent = GetAncestor(hwnd, GA_PARENT);
    f.visible = IsWindowVisible(hwnd) != FALSE;
    f.topmost = (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    f.processId = ProcessOf(hwnd);
    return f;
}

std::vector<HWND> TopLevelWindowsOf(DWORD processId, bool visibleOnly)
{
    std::vector<HWND> found = Collect([](WNDENUMPROC proc, LPARAM param) { EnumWindows(proc, param); });
    std::erase_if(found, [&](HWND hwnd) {
        return ProcessOf(hwnd) != processId || (visibleOnly && !IsWindowVisible(hwnd));
    });
    return found;
}

std::vector<HWND> ChildWindowsOf(HWND parent)
{
    return Collect([parent](WNDENUMPROC proc, LPARAM param) { EnumChildWindows(parent, proc, param); });
}

HWND WaitForWindow(std::wstring_view caption, Milliseconds timeout)
{
    const std::wstring name(caption);
    HWND hwnd = nullptr;
    Eventually([&] { return (hwnd = FindWindowW(nullptr, name.c_str())) != nullptr; }, timeout);
    return hwnd;
}

bool WaitForNoWindow(std::wstring_view caption, Milliseconds timeout)
{
    const std::wstring name(caption);
    return Eventually([&] { return FindWindowW(nullptr, name.c_str()) == nullptr; }, timeout);
}

TestWindow TestWindow::TopLevel(std::wstring_view caption, bool visible)
{
    TestWindow w;
    w.top_.Reset(MakeTestWindow(std::wstring(caption).c_str(), WS_OVERLAPPEDWINDOW, 40, 40, 320, 200));
    if (visible && w.top_) ShowWindow(w.top_.Get(), SW_SHOWNOACTIVATE);
    PumpFor(0ms);
    return w;
}

TestWindow TestWindow::PreviewBox(int width, int height)
{
    TestWindow w;
    w.top_.Reset(MakeTestWindow(L"Corvalinth e2e preview host", WS_POPUP | WS_VISIBLE, 20, 20, width, height));
    if (w.top_) {
        w.box_ = MakeTestWindow(L"Corvalinth e2e preview box", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                width, height, w.top_.Get());
    }
    PumpFor(0ms);
    return w;
}

std::wstring TestWindow::HandleText() const
{
    // Written unsigned, as the display settings do.
    return std::to_wstring(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(Get())));
}

void TestWindow::Destroy()
{
    top_.Reset();
    box_ = nullptr;
    DispatchPending();
}

void MoveMouseTo(int x, int y)
{
    const RECT screen = VirtualScreen();
    INPUT in = MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK);
    in.mi.dx = Normalise(x, screen.left, screen.right - screen.left);
    in.mi.dy = Normalise(y, screen.top, screen.bottom - screen.top);
    Send({in});
}

void ClickAt(int x, int y, MouseButton button)
{
    MoveMouseTo(x, y);
    const DWORD down = button == MouseButton::Right    ? MOUSEEVENTF_RIGHTDOWN
                       : button == MouseButton::Middle ? MOUSEEVENTF_MIDDLEDOWN
                                                       : MOUSEEVENTF_LEFTDOWN;
    Send({MouseInput(down), MouseInput(down << 1)});  // each button's up flag follows its down flag
}

void KeyDown(WORD virtualKey) { Send({KeyInput(virtualKey, false)}); }
void KeyUp(WORD virtualKey) { Send({KeyInput(virtualKey, true)}); }
void PressKey(WORD virtualKey) { Send({KeyInput(virtualKey, false), KeyInput(virtualKey, true)}); }

void TypeCharacter(wchar_t c)
{
    INPUT down{};
    down.type = INPUT_KEYBOARD;
    down.ki.wScan = static_cast<WORD>(c);
    down.ki.dwFlags = KEYEVENTF_UNICODE;
    INPUT up = down;
    up.ki.dwFlags |= KEYEVENTF_KEYUP;
    Send({down, up});
}

void TypeText(std::wstring_view text)
{
    for (wchar_t c : text) TypeCharacter(c);
}

void LetInputSettle() { PumpFor(300ms); }

bool CursorShowing()
{
    CURSORINFO info{};
    info.cbSize = sizeof info;
    return GetCursorInfo(&info) && (info.flags & CURSOR_SHOWING) != 0;
}

RECT VirtualScreen()
{
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
            top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

core::PixelSurface CaptureScreen() { return CaptureScreen(VirtualScreen()); }

core::PixelSurface CaptureScreen(const RECT& area)
{
    const int width = std::max(0, static_cast<int>(area.right - area.left));
    const int height = std::max(0, static_cast<int>(area.bottom - area.top));
    core::PixelSurface result(width, height);
    if (width == 0 || height == 0) return result;

    forms::ScopedGetDC screen(nullptr);
    const forms::MemoryDC memory = forms::CreateMemoryDC(screen.Get());
    const forms::Bitmap bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
    {
        forms::ScopedSelectObject select(memory.Get(), bitmap.Get());
        BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), area.left, area.top, SRCCOPY | CAPTUREBLT);
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down, like a PixelSurface
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    const core::SurfaceView view = result.View();
    EXPECT_EQ(GetDIBits(memory.Get(), bitmap.Get(), 0, static_cast<UINT>(height), view.Row(0), &info, DIB_RGB_COLORS),
              height)
        << "could not read the screen";
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) view.Row(y)[x] &= 0x00FFFFFFu;
    return result;
}

namespace {

void RemoveAll(const std::filesystem::path& path)
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

}  // namespace

void E2eTest::MakeProgramFolderRefuseWrites()
{
    refusing_ = std::make_unique<RefusingFolder>(folder_);
    ASSERT_TRUE(refusing_->Refusing()) << "cannot make " << folder_.string() << " refuse writes";
}

void E2eTest::SetUp()
{
    RemoveAll(PerUserFolder());
    static unsigned counter = 0;
    folder_ = std::filesystem::temp_directory_path() /
              (L"corvalinth-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(counter++));
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    ASSERT_FALSE(error) << "cannot make " << folder_.string();
    const auto program = OwnPath().parent_path() / L"Corvalinth.scr";
    std::filesystem::copy_file(program, ProgramPath(), error);
    ASSERT_FALSE(error) << "cannot copy " << program.string() << ": " << error.message();
}

void E2eTest::TearDown()
{
    Kill();
    process_.Reset();
    refusing_.reset();
    RemoveAll(PerUserFolder());
    if (folder_.empty()) return;
    // The image of a process that has just ended may stay locked for a moment.
    for (int attempt = 0; attempt < 50; ++attempt) {
        std::error_code error;
        std::filesystem::remove_all(folder_, error);
        if (!error && !std::filesystem::exists(folder_, error)) return;
        PumpFor(100ms);
    }
    ADD_FAILURE() << "could not remove " << folder_.string();
}

void E2eTest::WriteIniBytes(std::string_view bytes) const
{
    std::ofstream out(IniPath(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write the settings file";
}

std::optional<std::string> E2eTest::ReadIniBytes() const { return FileBytes(IniPath()); }

void E2eTest::WriteIniValue(std::wstring_view section, std::wstring_view key,
                            std::wstring_view value) const
{
    const std::wstring s(section), k(key), v(value), path = IniPath().wstring();
    ASSERT_TRUE(WritePrivateProfileStringW(s.c_str(), k.c_str(), v.c_str(), path.c_str()));
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());  // write it out now
}

std::optional<std::wstring> E2eTest::ReadIniValue(std::wstring_view section, std::wstring_view key,
                                                  const std::filesystem::path& file)
{
    const std::wstring path = file.wstring();
    if (!std::filesystem::exists(file)) return std::nullopt;
    // Drop any cached copy: the program may have rewritten the file.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());
    const std::wstring s(section), k(key);
    const wchar_t* const absent = L"\x01absent\x01";
    std::wstring buffer(4096, L'\0');
    buffer.resize(GetPrivateProfileStringW(s.c_str(), k.c_str(), absent, buffer.data(),
                                           static_cast<DWORD>(buffer.size()), path.c_str()));
    if (buffer == absent) return std::nullopt;
    return buffer;
}

void E2eTest::Launch(std::wstring_view arguments)
{
    Kill();
    process_.Reset();
    processId_ = 0;

    const std::wstring program = ProgramPath().wstring();
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) commandLine += L" " + std::wstring(arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const BOOL ok = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                   nullptr, folder_.wstring().c_str(), &startup, &info);
    ASSERT_TRUE(ok) << "cannot start the program, error " << GetLastError();
    UniqueHandle thread(info.hThread);
    process_.Reset(info.hProcess);
    processId_ = info.dwProcessId;
}

bool E2eTest::Running() const
{
    return process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> E2eTest::WaitForExit(Milliseconds timeout)
{
    DWORD code = 0;
    if (!process_ || !PumpUntilSignalled(process_.Get(), timeout) ||
        !GetExitCodeProcess(process_.Get(), &code))
        return std::nullopt;
    return code;
}

E2eTest::RunOutcome E2eTest::WaitForExitWatchingWindows(Milliseconds timeout, HWND watched)
{
    RunOutcome outcome;
    if (!process_) return outcome;
    const auto note = [&](HWND hwnd) {
        const bool known = std::any_of(outcome.windowsSeen.begin(), outcome.windowsSeen.end(),
                                       [&](const WindowFacts& f) { return f.hwnd == hwnd; });
        if (!known) outcome.windowsSeen.push_back(FactsOf(hwnd));
    };
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        for (HWND hwnd : TopLevelWindowsOf(processId_, true)) note(hwnd);
        if (watched != nullptr && IsWindow(watched))
            for (HWND hwnd : ChildWindowsOf(watched))
                if (ProcessOf(hwnd) == processId_) note(hwnd);
        if (WaitForSingleObject(process_.Get(), 0) == WAIT_OBJECT_0) break;
        if (Clock::now() >= deadline) return outcome;
        PumpUntilSignalled(process_.Get(), 5ms);
    }
    DWORD code = 0;
    if (GetExitCodeProcess(process_.Get(), &code)) outcome.exitCode = code;
    return outcome;
}

void E2eTest::Kill()
{
    if (!Running()) return;
    TerminateProcess(process_.Get(), 0xDEAD);
    PumpUntilSignalled(process_.Get(), 10s);
    // A saver killed mid-run cannot clear the system's mark; the next test must not inherit it.
    SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, FALSE, nullptr, 0);
}

}  // namespace corvalinth::e2e
