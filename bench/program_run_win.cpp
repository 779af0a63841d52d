#include "program_run_win.h"

#include <windows.h>
#include <psapi.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "bench_support_win.h"
#include "forms/app_win.h"
#include "forms/handles_win.h"
#include "saver/saver_form_win.h"

namespace corvalinth::bench {

namespace {
struct Launched {
    forms::KernelHandle process;
    DWORD id = 0;
};

Launched Launch(const std::wstring& commandLine)
{
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    std::wstring mutableLine = commandLine;
    Launched result;
    if (::CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        ::CloseHandle(pi.hThread);
        result.process.Reset(pi.hProcess);
        result.id = pi.dwProcessId;
    }
    return result;
}

HWND WaitForVisible(const wchar_t* caption, double timeoutMs)
{
    const double end = NowMs() + timeoutMs;
    while (NowMs() < end) {
        if (HWND w = ::FindWindowW(nullptr, caption); w && ::IsWindowVisible(w)) return w;
        Pump();
        ::Sleep(1);
    }
    return nullptr;
}

void Click(int x, int y)
{
    ::SetCursorPos(x, y);
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, in, sizeof(INPUT));
}


Memory MemoryOf(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    Memory m;
    if (::GetProcessMemoryInfo(process, &counters, sizeof(counters))) {
        m.peakWorkingSetMb = static_cast<double>(counters.PeakWorkingSetSize) / 1048576.0;
        m.peakCommitMb = static_cast<double>(counters.PeakPagefileUsage) / 1048576.0;
    }
    return m;
}


}  // namespace

RunFigures MeasureRun(const std::wstring& program, bool waitForTransition)
{
    RunFigures f;
    const double t0 = NowMs();
    Launched run = Launch(L"\"" + program + L"\" /s");
    if (!run.process) return f;
    const HWND window = WaitForVisible(L"Corvalinth_Main", 20000);
    if (!window) {
        ::TerminateProcess(run.process.Get(), 1);
        return f;
    }
    f.startToShownMs = NowMs() - t0;
    // Long enough for the 1001st tick and its whole transition to have run.
    const double settle = waitForTransition ? 30000 : 500;
    const double end = NowMs() + settle;
    while (NowMs() < end) {
        Pump();
        ::Sleep(20);
    }
    f.memory = MemoryOf(run.process.Get());
    RECT r{};
    ::GetWindowRect(window, &r);
    const double c0 = NowMs();
    Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    // The window going away is the program's part; the rest is the process's
    // teardown by the platform.
    while (NowMs() - c0 < 10000 && ::IsWindow(window) &&
           ::WaitForSingleObject(run.process.Get(), 0) == WAIT_TIMEOUT)
        ::Sleep(1);
    f.clickToWindowGoneMs = NowMs() - c0;
    if (::WaitForSingleObject(run.process.Get(), 10000) == WAIT_OBJECT_0) f.clickToExitMs = NowMs() - c0;
    else ::TerminateProcess(run.process.Get(), 1);
    return f;
}

Memory MeasureIdleWindow(const std::wstring& self)
{
    Launched run = Launch(L"\"" + self + L"\" --idle-window");
    Memory m;
    if (!run.process) return m;
    if (WaitForVisible(L"Corvalinth bench idle", 20000)) {
        ::Sleep(1000);
        m = MemoryOf(run.process.Get());
    }
    ::TerminateProcess(run.process.Get(), 0);
    ::WaitForSingleObject(run.process.Get(), 5000);
    return m;
}

int IdleWindow()
{
    // The platform's share of memory: a full-screen window that shows a black
    // screen and does nothing else.
    class Idle : public forms::Form {
    public:
        Idle()
            : Form(forms::FormDesign{L"CorvalinthBenchIdle", L"Corvalinth bench idle", WS_POPUP, WS_EX_TOPMOST,
                                   ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), RGB(0, 0, 0)})
        {
        }
    } idle;
    idle.Load();
    idle.MovePixels(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    idle.Show();
    return forms::RunMessageLoop([&] { return idle.IsLoaded(); });
}

namespace {
// Object counts

int GdiObjects()
{
    if (const DWORD n = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<int>(n);
    // Where the platform does not report it, count the live slots of the
    // process's handle table: a handle's low word names its slot.
    int count = 0;
    for (UINT_PTR slot = 1; slot < 0x10000; ++slot)
        count += ::GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0;
    return count;
}

int UserObjects()
{
    if (const DWORD n = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS)) return static_cast<int>(n);
    // Windows of this process, the user objects the saver makes.
    struct Walk {
        DWORD pid;
        int count;
    } walk{::GetCurrentProcessId(), 0};
    ::EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* walkState = reinterpret_cast<Walk*>(p);
            DWORD pid = 0;
            ::GetWindowThreadProcessId(w, &pid);
            if (pid == walkState->pid) ++walkState->count;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&walk));
    return walk.count;
}


}  // namespace

Counts CountAcrossTransitions()
{
    auto form = std::make_unique<saver::Corvalinth_S>(saver::SaverOptions{false, 0, 1000});
    form->Load();
    form->Timer1().SetEnabled(false);
    std::vector<core::Rect> changed;
    double now = 0;
    for (int i = 0; i < 5; ++i) {
        form->Model().Advance(now, changed);
        form->Present(changed);
    }
    Pump();
    Counts c{GdiObjects(), 0, 0, UserObjects(), 0, 0, 0};
    for (int t = 0; t < 11; ++t) {
        form->Model().SetFrameCount(1000);
        form->Model().Advance(now, changed);
        form->Present(changed);
        while (form->Model().InTransition()) {
            now += 20;
            form->Model().Advance(now, changed);
            form->Present(changed);
        }
        ++c.transitions;
        form->Model().Advance(now, changed);
        form->Present(changed);
        Pump();
        if (t == 0) {
            c.gdiAfterFirst = GdiObjects();
            c.userAfterFirst = UserObjects();
        }
    }
    c.gdiAfter = GdiObjects();
    c.userAfter = UserObjects();
    form->Unload();
    forms::ResetEndingForTests();
    return c;
}

std::wstring HereFolder()
{
    wchar_t path[MAX_PATH]{};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path().wstring();
}


}  // namespace corvalinth::bench
