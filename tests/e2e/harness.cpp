#include "harness.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <fstream>
#include <iterator>
#include <sstream>
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

}  // namespace

std::optional<bool> SaverRunningMark()
{
    std::wstring self(MAX_PATH, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
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
    if (WaitForSingleObject(process.Get(), 30000) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process.Get(), &code);
    if (code == 20) return true;
    if (code == 21) return false;
    return std::nullopt;
}
namespace {

using Clock = std::chrono::steady_clock;

class ScreenDc {
public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc()
    {
        if (dc_ != nullptr) ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

class MemoryDc {
public:
    explicit MemoryDc(HDC like) : dc_(CreateCompatibleDC(like)) {}
    ~MemoryDc()
    {
        if (dc_ != nullptr) DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selected() { SelectObject(dc_, previous_); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

class GdiBitmap {
public:
    explicit GdiBitmap(HBITMAP b) : bitmap_(b) {}
    ~GdiBitmap()
    {
        if (bitmap_ != nullptr) DeleteObject(bitmap_);
    }
    GdiBitmap(const GdiBitmap&) = delete;
    GdiBitmap& operator=(const GdiBitmap&) = delete;
    HBITMAP Get() const { return bitmap_; }

private:
    HBITMAP bitmap_;
};

DWORD RemainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<Milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<DWORD>(left) : 0;
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
        const DWORD count = object != nullptr ? 1 : 0;
        const DWORD wait = MsgWaitForMultipleObjects(count, object != nullptr ? &object : nullptr,
                                                     FALSE, RemainingMs(deadline), QS_ALLINPUT);
        if (object != nullptr && wait == WAIT_OBJECT_0) return true;
        if (wait == WAIT_TIMEOUT || wait == WAIT_FAILED) {
            DispatchPending();
            return false;
        }
        if (RemainingMs(deadline) == 0) {
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

const wchar_t* TestWindowClass()
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
    return reinterpret_cast<const wchar_t*>(static_cast<std::uintptr_t>(atom));
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
    switch (virtualKey) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_HOME: case VK_END:
    case VK_PRIOR: case VK_NEXT: case VK_INSERT: case VK_DELETE: case VK_RCONTROL:
    case VK_RMENU: case VK_DIVIDE:
        in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
        break;
    default:
        break;
    }
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

std::filesystem::path UniqueFolder()
{
    static std::atomic<unsigned> counter{0};
    std::wostringstream name;
    name << L"corvalinth-e2e-" << GetCurrentProcessId() << L'-' << GetTickCount64() << L'-'
         << counter++;
    return std::filesystem::temp_directory_path() / name.str();
}

}  // namespace

UniqueHandle& UniqueHandle::operator=(UniqueHandle&& other) noexcept
{
    if (this != &other) Reset(other.Release());
    return *this;
}

HANDLE UniqueHandle::Release()
{
    HANDLE h = handle_;
    handle_ = nullptr;
    return h;
}

void UniqueHandle::Reset(HANDLE h)
{
    if (*this) CloseHandle(handle_);
    handle_ = h;
}

void PumpFor(Milliseconds duration) { PumpUntilSignalled(nullptr, duration); }

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
    f.exStyle = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    GetWindowRect(hwnd, &f.rect);
    GetClientRect(hwnd, &f.clientRect);
    f.owner = GetWindow(hwnd, GW_OWNER);
    if ((f.style & WS_CHILD) != 0) f.parent = GetAncestor(hwnd, GA_PARENT);
    f.visible = IsWindowVisible(hwnd) != FALSE;
    f.topmost = (f.exStyle & WS_EX_TOPMOST) != 0;
    GetWindowThreadProcessId(hwnd, &f.processId);
    return f;
}

std::vector<HWND> TopLevelWindowsOf(DWORD processId, bool visibleOnly)
{
    struct Search {
        DWORD processId;
        bool visibleOnly;
        std::vector<HWND> found;
    } search{processId, visibleOnly, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            if (owner == s.processId && (!s.visibleOnly || IsWindowVisible(hwnd))) {
                s.found.push_back(hwnd);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> ChildWindowsOf(HWND parent)
{
    std::vector<HWND> found;
    EnumChildWindows(
        parent,
        [](HWND hwnd, LPARAM param) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND WaitForWindow(std::wstring_view caption, Milliseconds timeout)
{
    const std::wstring name(caption);
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (HWND hwnd = FindWindowW(nullptr, name.c_str())) return hwnd;
        if (Clock::now() >= deadline) return nullptr;
        PumpFor(10ms);
    }
}

bool WaitForNoWindow(std::wstring_view caption, Milliseconds timeout)
{
    const std::wstring name(caption);
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (FindWindowW(nullptr, name.c_str()) == nullptr) return true;
        if (Clock::now() >= deadline) return false;
        PumpFor(10ms);
    }
}

TestWindow TestWindow::TopLevel(std::wstring_view caption, bool visible)
{
    TestWindow w;
    const std::wstring text(caption);
    w.top_ = CreateWindowExW(0, TestWindowClass(), text.c_str(), WS_OVERLAPPEDWINDOW, 40, 40, 320,
                             200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(w.top_, nullptr) << "could not make the test window";
    if (visible && w.top_ != nullptr) ShowWindow(w.top_, SW_SHOWNOACTIVATE);
    PumpFor(0ms);
    return w;
}

TestWindow TestWindow::PreviewBox(int width, int height)
{
    TestWindow w;
    w.top_ = CreateWindowExW(0, TestWindowClass(), L"Corvalinth e2e preview host",
                             WS_POPUP | WS_VISIBLE, 20, 20, width, height, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(w.top_, nullptr) << "could not make the preview host";
    if (w.top_ != nullptr) {
        w.box_ = CreateWindowExW(0, TestWindowClass(), L"Corvalinth e2e preview box",
                                 WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width, height,
                                 w.top_, nullptr, GetModuleHandleW(nullptr), nullptr);
        EXPECT_NE(w.box_, nullptr) << "could not make the preview box";
    }
    PumpFor(0ms);
    return w;
}

TestWindow::TestWindow(TestWindow&& other) noexcept : top_(other.top_), box_(other.box_)
{
    other.top_ = nullptr;
    other.box_ = nullptr;
}

TestWindow& TestWindow::operator=(TestWindow&& other) noexcept
{
    if (this != &other) {
        Destroy();
        std::swap(top_, other.top_);
        std::swap(box_, other.box_);
    }
    return *this;
}

TestWindow::~TestWindow() { Destroy(); }

std::wstring TestWindow::HandleText() const
{
    // Written unsigned, as the display settings do.
    const auto value = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(Get()));
    return std::to_wstring(value);
}

void TestWindow::Destroy()
{
    if (top_ != nullptr && IsWindow(top_)) DestroyWindow(top_);
    top_ = nullptr;
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
    DWORD down = MOUSEEVENTF_LEFTDOWN, up = MOUSEEVENTF_LEFTUP;
    if (button == MouseButton::Right) {
        down = MOUSEEVENTF_RIGHTDOWN;
        up = MOUSEEVENTF_RIGHTUP;
    } else if (button == MouseButton::Middle) {
        down = MOUSEEVENTF_MIDDLEDOWN;
        up = MOUSEEVENTF_MIDDLEUP;
    }
    Send({MouseInput(down), MouseInput(up)});
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

POINT CursorPosition()
{
    POINT p{};
    GetCursorPos(&p);
    return p;
}

bool CursorShowing()
{
    CURSORINFO info{};
    info.cbSize = sizeof info;
    if (!GetCursorInfo(&info)) return false;
    return (info.flags & CURSOR_SHOWING) != 0;
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

    ScreenDc screen;
    MemoryDc memory(screen.Get());
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down, like a PixelSurface
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiBitmap dib(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    EXPECT_NE(dib.Get(), nullptr) << "could not make the capture bitmap";
    if (dib.Get() == nullptr || bits == nullptr) return result;
    {
        Selected select(memory.Get(), dib.Get());
        BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), area.left, area.top,
               SRCCOPY | CAPTUREBLT);
        GdiFlush();
    }
    const auto* source = static_cast<const core::Pixel*>(bits);
    const core::SurfaceView view = result.View();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            view.Row(y)[x] = source[static_cast<std::size_t>(y) * width + x] & 0x00FFFFFFu;
        }
    }
    return result;
}

std::filesystem::path HarnessFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return std::filesystem::path(path).parent_path();
}

void E2eTest::SetUp()
{
    folder_ = UniqueFolder();
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    ASSERT_FALSE(error) << "cannot make " << folder_.string();
    const auto program = HarnessFolder() / L"Corvalinth.scr";
    std::filesystem::copy_file(program, ProgramPath(), error);
    ASSERT_FALSE(error) << "cannot copy " << program.string() << ": " << error.message();
}

void E2eTest::TearDown()
{
    Kill();
    process_.Reset();
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

std::optional<std::string> E2eTest::ReadIniBytes() const
{
    std::ifstream in(IniPath(), std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void E2eTest::WriteIniValue(std::wstring_view section, std::wstring_view key,
                            std::wstring_view value) const
{
    const std::wstring s(section), k(key), v(value), path = IniPath().wstring();
    ASSERT_TRUE(WritePrivateProfileStringW(s.c_str(), k.c_str(), v.c_str(), path.c_str()));
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());  // write it out now
}

std::optional<std::wstring> E2eTest::ReadIniValue(std::wstring_view section,
                                                  std::wstring_view key) const
{
    const std::wstring path = IniPath().wstring();
    if (!std::filesystem::exists(IniPath())) return std::nullopt;
    // Drop any cached copy: the program may have rewritten the file.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());
    const std::wstring s(section), k(key);
    const wchar_t* const absent = L"\x01absent\x01";
    std::wstring buffer(4096, L'\0');
    const DWORD length = GetPrivateProfileStringW(s.c_str(), k.c_str(), absent, buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), path.c_str());
    buffer.resize(length);
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
    const std::wstring folder = folder_.wstring();

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const BOOL ok = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                   nullptr, folder.c_str(), &startup, &info);
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
    if (!process_) return std::nullopt;
    if (!PumpUntilSignalled(process_.Get(), timeout)) return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(process_.Get(), &code)) return std::nullopt;
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
        if (watched != nullptr && IsWindow(watched)) {
            for (HWND hwnd : ChildWindowsOf(watched)) {
                DWORD owner = 0;
                GetWindowThreadProcessId(hwnd, &owner);
                if (owner == processId_) note(hwnd);
            }
        }
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
