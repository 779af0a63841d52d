// Ending a full-screen run, with and without a password, driven by real input.
#include <string>
#include <vector>

#include "harness.h"

namespace corvalinth::e2e {
namespace {

constexpr wchar_t kSaverCaption[] = L"Corvalinth_Main";
constexpr wchar_t kPromptCaption[] = L"Corvalinth_Pass";
constexpr wchar_t kHint[] = L"Input Your Password";
std::string Utf16Bytes(std::wstring_view text)
{
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

std::wstring TextOf(HWND window)
{
    // WM_GETTEXT reaches the other process's text box; GetWindowText would not.
    std::wstring text(512, L'\0');
    const LRESULT n = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(n > 0 ? n : 0));
    return text;
}

// The share of a screen column that shows what `reference` shows there.
double CleanShare(const core::PixelSurface& now, const core::PixelSurface& reference, int x)
{
    int clean = 0;
    for (int y = 0; y < now.Height(); ++y) clean += now.View().At(x, y) == reference.View().At(x, y) ? 1 : 0;
    return now.Height() > 0 ? static_cast<double>(clean) / now.Height() : 0.0;
}

bool SameColumn(const core::PixelSurface& a, const core::PixelSurface& b, int x)
{
    return CleanShare(a, b, x) == 1.0;
}

class PasswordTest : public E2eTest {
protected:
    // Starts a full-screen (or other) run with this password in the settings file.
    HWND StartSaver(std::wstring_view password, std::wstring_view arguments = L"/s")
    {
        if (!password.empty())
            WriteIniBytes(Utf16Bytes(L"[Section]\r\nPassword=" + std::wstring(password) + L"\r\n"));
        Launch(arguments);
        const HWND saver = WaitForWindow(kSaverCaption);
        EXPECT_NE(saver, nullptr) << "no saver window";
        // Let the window take the keyboard and the animation get going.
        for (int i = 0; i < 100 && saver && GetForegroundWindow() != saver; ++i) PumpFor(50ms);
        PumpFor(300ms);
        return saver;
    }

    HWND Prompt() const
    {
        const HWND prompt = FindWindowW(nullptr, kPromptCaption);
        return prompt != nullptr && IsWindowVisible(prompt) ? prompt : nullptr;
    }
    HWND WaitForPrompt()
    {
        for (int i = 0; i < 100; ++i) {
            if (const HWND prompt = Prompt()) return prompt;
            PumpFor(50ms);
        }
        return nullptr;
    }
    static HWND TextBoxOf(HWND prompt) { return GetWindow(prompt, GW_CHILD); }

    // The run is still on after the input has had time to arrive.
    bool StillRunning()
    {
        LetInputSettle();
        return Running();
    }
    void ExpectEndedCleanly()
    {
        EXPECT_EQ(WaitForExit(), std::optional<DWORD>(0));
        EXPECT_EQ(SaverRunningMark(), std::optional<bool>(false));
    }
    static void Repeat(WORD key, int times)
    {
        for (int i = 0; i < times; ++i) PressKey(key);
    }
    static void AltF4()
    {
        KeyDown(VK_MENU);
        PressKey(VK_F4);
        KeyUp(VK_MENU);
    }
};

TEST_F(PasswordTest, WithoutAPasswordAClickEndsTheRunAndShowsTheCursor)
{
    const HWND saver = StartSaver(L"");
    ASSERT_NE(saver, nullptr);
    EXPECT_FALSE(CursorShowing());
    EXPECT_EQ(SaverRunningMark(), std::optional<bool>(true));
    const RECT r = FactsOf(saver).rect;
    ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ExpectEndedCleanly();
    EXPECT_TRUE(CursorShowing());
}

TEST_F(PasswordTest, OnlyTheExactPasswordEndsTheRunOnItsLastCharacter)
{
    const std::wstring password = L"Pw語 x";  // outside the ANSI code page, with a blank
    const HWND saver = StartSaver(password);
    ASSERT_NE(saver, nullptr);
    PressKey('A');
    const HWND prompt = WaitForPrompt();
    ASSERT_NE(prompt, nullptr) << "a character key opens the prompt";
    EXPECT_EQ(FactsOf(prompt).processId, ProcessId());
    const HWND box = TextBoxOf(prompt);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(TextOf(box), kHint);
    EXPECT_TRUE(CursorShowing());

    // Centred, cut down to its text box, above the saver.
    const WindowFacts facts = FactsOf(prompt);
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    EXPECT_EQ(facts.rect.right - facts.rect.left, 240);
    EXPECT_EQ(facts.rect.bottom - facts.rect.top, 54);
    EXPECT_EQ(facts.rect.left, (screen.right - 240) / 2);
    EXPECT_EQ(facts.rect.top, (screen.bottom - 54) / 2);
    EXPECT_TRUE(facts.topmost);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(prompt, region), SIMPLEREGION);
    RECT cut{};
    GetRgnBox(region, &cut);
    DeleteObject(region);
    EXPECT_EQ(cut.left, 16);
    EXPECT_EQ(cut.top, 16);
    EXPECT_EQ(cut.right, 217);
    EXPECT_EQ(cut.bottom, 35);
    EXPECT_EQ(WindowFromPoint({facts.rect.left + 100, facts.rect.top + 25}), box);
    EXPECT_EQ(WindowFromPoint({facts.rect.left + 5, facts.rect.top + 5}), saver);

    TypeText(L"wrong");
    EXPECT_TRUE(StillRunning());
    EXPECT_EQ(TextOf(box), std::wstring(L"wrong") + kHint);  // typed in clear, before the hint
    Repeat(VK_DELETE, 19);
    Repeat(VK_BACK, 5);
    TypeText(L"pW語 x");  // the case of letters counts
    EXPECT_TRUE(StillRunning());
    EXPECT_EQ(TextOf(box), L"pW語 x");
    Repeat(VK_BACK, 5);
    TypeText(L"Pw語 ");
    EXPECT_TRUE(StillRunning());
    EXPECT_EQ(Prompt(), prompt);
    TypeCharacter(L'x');  // no Enter needed
    ExpectEndedCleanly();
}

TEST_F(PasswordTest, MovementShiftArrowsAndFunctionKeysEndNothing)
{
    // No password, so anything that reached EndSaver would end the run at once.
    const HWND saver = StartSaver(L"");
    ASSERT_NE(saver, nullptr);
    const RECT r = FactsOf(saver).rect;
    MoveMouseTo(r.left + 50, r.top + 50);
    MoveMouseTo((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PressKey(VK_SHIFT);
    PressKey(VK_LEFT);
    PressKey(VK_DOWN);
    PressKey(VK_F5);
    PressKey(VK_CONTROL);
    EXPECT_TRUE(StillRunning());
    PressKey(VK_SPACE);
    ExpectEndedCleanly();
}

TEST_F(PasswordTest, WithoutTheFullScreenSwitchInputEndsAtOnceWithoutAPrompt)
{
    const HWND saver = StartSaver(L"secret", L"");
    ASSERT_NE(saver, nullptr);
    EXPECT_TRUE(CursorShowing());  // never hidden in this mode
    EXPECT_EQ(SaverRunningMark(), std::optional<bool>(false));
    PressKey('Q');
    const RunOutcome outcome = WaitForExitWatchingWindows();
    EXPECT_EQ(outcome.exitCode, std::optional<DWORD>(0));
    for (const WindowFacts& f : outcome.windowsSeen)
        EXPECT_NE(f.caption, kPromptCaption) << "a prompt was shown";
}

TEST_F(PasswordTest, CloseRequestsAndASecondInstanceEndNothingWhileAPasswordIsSet)
{
    const HWND saver = StartSaver(L"pw");
    ASSERT_NE(saver, nullptr);

    AltF4();
    EXPECT_TRUE(StillRunning());
    // Alt+F4 counts as input: the prompt asks. Closing the prompt the same way
    // is not an accepted password.
    HWND prompt = WaitForPrompt();
    ASSERT_NE(prompt, nullptr);
    EXPECT_TRUE(CursorShowing());
    AltF4();
    EXPECT_TRUE(WaitForNoWindow(kPromptCaption, 5s));
    EXPECT_TRUE(StillRunning());
    EXPECT_FALSE(CursorShowing());
    EXPECT_EQ(GetForegroundWindow(), saver);

    // Requests from outside: another program, the system menu.
    PostMessageW(saver, WM_CLOSE, 0, 0);
    EXPECT_TRUE(StillRunning());
    prompt = WaitForPrompt();
    ASSERT_NE(prompt, nullptr);
    PostMessageW(saver, WM_CLOSE, 0, 0);  // while the prompt is open: nothing more
    PostMessageW(saver, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(StillRunning());
    EXPECT_EQ(Prompt(), prompt);
    PostMessageW(prompt, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitForNoWindow(kPromptCaption, 5s));
    EXPECT_TRUE(StillRunning());

    // A second start finds the saver's window and leaves at once.
    const std::wstring program = ProgramPath().wstring();
    std::wstring commandLine = L"\"" + program + L"\" /s";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               Folder().wstring().c_str(), &startup, &info));
    UniqueHandle second(info.hProcess), secondThread(info.hThread);
    EXPECT_EQ(WaitForSingleObject(second.Get(), 15000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(StillRunning());
    EXPECT_EQ(FindWindowW(nullptr, kSaverCaption), saver);
    EXPECT_EQ(SaverRunningMark(), std::optional<bool>(true));
}

TEST_F(PasswordTest, ATimedOutPromptLeavesTheSaverRunningAndTheNextKeyAsksAfresh)
{
    const HWND saver = StartSaver(L"pw");
    ASSERT_NE(saver, nullptr);
    const int column = GetSystemMetrics(SM_CXSCREEN) / 8;  // clear of the prompt
    PressKey('A');
    const HWND prompt = WaitForPrompt();
    ASSERT_NE(prompt, nullptr);
    TypeText(L"p");

    // The animation goes on behind the prompt, and the saver takes no input meanwhile.
    const core::PixelSurface before = CaptureScreen();
    PumpFor(1s);
    EXPECT_FALSE(SameColumn(CaptureScreen(), before, column)) << "the animation stood still";
    const RECT r = FactsOf(saver).rect;
    ClickAt(r.left + 20, r.top + 20);
    EXPECT_TRUE(StillRunning());
    EXPECT_EQ(Prompt(), prompt);
    EXPECT_EQ(TextOf(TextBoxOf(prompt)), std::wstring(L"p") + kHint);

    // Thirty seconds after it opened, typing or not, the prompt closes by itself.
    for (int i = 0; i < 20 && Prompt() != nullptr; ++i) {
        TypeCharacter(L'q');
        PumpFor(1s);
    }
    ASSERT_TRUE(WaitForNoWindow(kPromptCaption, 20s)) << "the prompt did not time out";
    EXPECT_TRUE(StillRunning());
    EXPECT_FALSE(CursorShowing());
    EXPECT_EQ(GetForegroundWindow(), saver);
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    EXPECT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(saver, nullptr), &gui));
    EXPECT_EQ(gui.hwndFocus, saver);
    const core::PixelSurface after = CaptureScreen();
    PumpFor(1s);
    EXPECT_FALSE(SameColumn(CaptureScreen(), after, column)) << "the animation stopped";

    PressKey('B');
    const HWND fresh = WaitForPrompt();
    ASSERT_NE(fresh, nullptr) << "the next key opens a new prompt";
    EXPECT_EQ(TextOf(TextBoxOf(fresh)), kHint);
    EXPECT_TRUE(CursorShowing());
    Repeat(VK_DELETE, 19);
    TypeText(L"pw");
    ExpectEndedCleanly();
}

TEST_F(PasswordTest, APromptOpenedDuringTheSlideLetsTheSlideFinishBehindIt)
{
    const core::PixelSurface desktop = CaptureScreen();  // what the slide uncovers
    const HWND saver = StartSaver(L"pw");
    ASSERT_NE(saver, nullptr);
    const int centre = GetSystemMetrics(SM_CXSCREEN) / 2;
    const int side = GetSystemMetrics(SM_CXSCREEN) / 8;

    // Every 1001 ticks the halves slide apart: the middle shows the clean
    // desktop while the sides still carry the trails. A key then; if the slide
    // is over before the prompt shows, try again at the next one.
    bool openedMidSlide = false;
    for (int attempt = 0; attempt < 3 && !openedMidSlide; ++attempt) {
        bool sliding = false;
        for (int i = 0; i < 2000 && !sliding && Running(); ++i) {
            const core::PixelSurface now = CaptureScreen();
            sliding = CleanShare(now, desktop, centre) == 1.0 && CleanShare(now, desktop, side) < 0.5;
            if (!sliding) PumpFor(10ms);
        }
        ASSERT_TRUE(sliding) << "no slide seen";
        PressKey('A');
        const HWND prompt = WaitForPrompt();
        ASSERT_NE(prompt, nullptr);
        openedMidSlide = CleanShare(CaptureScreen(), desktop, side) < 0.9;
        if (!openedMidSlide) {
            PostMessageW(prompt, WM_CLOSE, 0, 0);
            ASSERT_TRUE(WaitForNoWindow(kPromptCaption, 5s));
        }
    }
    ASSERT_TRUE(openedMidSlide) << "the prompt never opened during a slide";

    bool finished = false;
    for (int i = 0; i < 500 && !finished && Prompt() != nullptr; ++i) {
        finished = CleanShare(CaptureScreen(), desktop, side) > 0.99;
        if (!finished) PumpFor(10ms);
    }
    EXPECT_TRUE(finished) << "the slide did not finish behind the prompt";
    EXPECT_NE(Prompt(), nullptr);
    EXPECT_TRUE(StillRunning());
}

TEST_F(PasswordTest, LogOffEndsTheRunEvenWithThePromptOpen)
{
    const HWND saver = StartSaver(L"pw");
    ASSERT_NE(saver, nullptr);
    PressKey('A');
    ASSERT_NE(WaitForPrompt(), nullptr);
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutW(saver, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                                    &answer));
    EXPECT_NE(answer, 0u) << "the log-off was refused";
    SendMessageTimeoutW(saver, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer);
    ExpectEndedCleanly();
}

}  // namespace
}  // namespace corvalinth::e2e
