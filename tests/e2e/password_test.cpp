// Ending a full-screen run, with and without a password, driven by real input.
#include "harness.h"

namespace corvalinth::e2e {
namespace {

constexpr wchar_t kSaverCaption[] = L"Corvalinth_Main";
constexpr wchar_t kPromptCaption[] = L"Corvalinth_Pass";
constexpr wchar_t kHint[] = L"Input Your Password";

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
    for (int y = 0; y < now.Height(); ++y) clean += now.At(x, y) == reference.At(x, y);
    return static_cast<double>(clean) / now.Height();
}

class PasswordTest : public E2eTest {
protected:
    // Starts a run with this password in the settings file (UTF-16, so any text fits).
    HWND StartSaver(std::wstring_view password)
    {
        std::string bytes = "\xFF\xFE";
        for (wchar_t c : L"[Section]\r\nPassword=" + std::wstring(password) + L"\r\n")
            bytes += {static_cast<char>(c & 0xFF), static_cast<char>((c >> 8) & 0xFF)};
        WriteIniBytes(bytes);
        Launch(L"/s");
        saver_ = WaitForWindow(kSaverCaption);
        const auto state = Running() ? std::string("is still starting")
                                     : "ended with " + std::to_string(WaitForExit().value_or(0xFFFFFFFF));
        EXPECT_NE(saver_, nullptr) << "no saver window; the program " << state;
        EXPECT_TRUE(WaitForFocus(saver_)) << "the saver did not take the keyboard";
        // Drawing: its start-up is over.
        EXPECT_TRUE(WaitForChange(VirtualScreen())) << "the saver does not draw";
        return saver_;
    }

    static HWND Prompt()
    {
        const HWND prompt = FindWindowW(nullptr, kPromptCaption);
        return prompt != nullptr && IsWindowVisible(prompt) ? prompt : nullptr;
    }
    // The prompt once it is shown with its text box taking the keys.
    static HWND WaitForPrompt()
    {
        const HWND prompt = Eventually([] { return Prompt() != nullptr; }) ? Prompt() : nullptr;
        if (prompt != nullptr && !WaitForFocus(GetWindow(prompt, GW_CHILD))) ADD_FAILURE() << "the box has no keyboard";
        return prompt;
    }
    static std::wstring TextIn(HWND prompt) { return TextOf(GetWindow(prompt, GW_CHILD)); }

    // The run is still on after the input has had time to arrive.
    bool StillRunning() { return LetInputSettle(), Running(); }
    void ExpectEndedCleanly()
    {
        EXPECT_EQ(WaitForExit(), std::optional<DWORD>(0));
        EXPECT_EQ(SaverRunningMark(), std::optional<bool>(false));
    }
    // Every 1001 ticks the halves slide apart: the middle shows the clean
    // desktop while the sides still carry the trails. A key then; if the slide
    // is over before the prompt shows, try again at the next one. The prompt,
    // or nullptr.
    HWND OpenPromptMidSlide(const core::PixelSurface& desktop)
    {
        const int centre = GetSystemMetrics(SM_CXSCREEN) / 2, side = GetSystemMetrics(SM_CXSCREEN) / 8;
        for (int attempt = 0; attempt < 3; ++attempt) {
            const bool sliding = Eventually([&] {
                const core::PixelSurface now = CaptureScreen();
                return CleanShare(now, desktop, centre) == 1.0 && CleanShare(now, desktop, side) < 0.5;
            }, 30s);
            EXPECT_TRUE(sliding) << "no slide seen";
            PressKey('A');
            const HWND prompt = WaitForPrompt();
            EXPECT_NE(prompt, nullptr) << "a character key opens the prompt";
            if (!sliding || prompt == nullptr) return nullptr;
            if (CleanShare(CaptureScreen(), desktop, side) < 0.9) return prompt;
            PostMessageW(prompt, WM_CLOSE, 0, 0);
            if (!WaitForNoWindow(kPromptCaption, 5s) || !WaitForFocus(saver_)) return nullptr;
        }
        return nullptr;
    }
    static void Repeat(WORD key, int times) { while (times-- > 0) PressKey(key); }
    // Whether the text box shows this text, once what was typed has arrived.
    static bool Shows(HWND box, const std::wstring& text)
    {
        return Eventually([&] { return TextOf(box) == text; });
    }

    HWND saver_ = nullptr;
};

// One run: a prompt that times out leaves the saver running and the next key
// asks afresh; close requests end nothing while a password is set; a log-off does.
TEST_F(PasswordTest, APromptTimesOutCloseRequestsEndNothingButALogOffDoes)
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
    EXPECT_LT(CleanShare(CaptureScreen(), before, column), 1.0) << "the animation stood still";
    ClickAt(20, 20);  // on the saver, which covers the screen
    EXPECT_TRUE(StillRunning());
    EXPECT_EQ(Prompt(), prompt);
    EXPECT_TRUE(Shows(GetWindow(prompt, GW_CHILD), std::wstring(L"p") + kHint));

    // Thirty seconds after it opened, typing or not, the prompt closes by itself.
    for (int i = 0; i < 20 && Prompt() != nullptr; ++i) {
        TypeText(L"q");
        PumpFor(1s);
    }
    ASSERT_TRUE(WaitForNoWindow(kPromptCaption, 20s)) << "the prompt did not time out";
    EXPECT_TRUE(StillRunning());
    const core::PixelSurface after = CaptureScreen();
    PumpFor(1s);
    EXPECT_LT(CleanShare(CaptureScreen(), after, column), 1.0) << "the animation stopped";

    ASSERT_TRUE(SendWhenFocused(saver, [] { PressKey('B'); }, [] { return Prompt() != nullptr; }))
        << "the next key opens no prompt";
    const HWND fresh = WaitForPrompt();
    ASSERT_NE(fresh, nullptr) << "the next key opens a new prompt";
    EXPECT_EQ(TextIn(fresh), kHint);
    PostMessageW(fresh, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitForNoWindow(kPromptCaption, 5s));

    // Alt+F4 counts as input: the prompt asks. Closing the prompt the same way
    // is not an accepted password.
    ASSERT_TRUE(SendWhenFocused(saver, AltF4, [] { return Prompt() != nullptr; })) << "Alt+F4 opened no prompt";
    const HWND asking = WaitForPrompt();
    ASSERT_NE(asking, nullptr);
    EXPECT_TRUE(CursorShowing());
    EXPECT_TRUE(SendWhenFocused(GetWindow(asking, GW_CHILD), AltF4, [] { return Prompt() == nullptr; }))
        << "Alt+F4 did not close the prompt";
    EXPECT_TRUE(StillRunning());
    EXPECT_TRUE(Eventually([] { return !CursorShowing(); }));
    EXPECT_TRUE(WaitForFocus(saver));

    // Requests from outside: another program, the system menu.
    PostMessageW(saver, WM_CLOSE, 0, 0);
    const HWND asked = WaitForPrompt();
    ASSERT_NE(asked, nullptr);
    PostMessageW(saver, WM_CLOSE, 0, 0);  // while the prompt is open: nothing more
    PostMessageW(saver, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(StillRunning());
    EXPECT_EQ(Prompt(), asked);
    PostMessageW(asked, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitForNoWindow(kPromptCaption, 5s));
    EXPECT_TRUE(StillRunning());
    EXPECT_EQ(SaverRunningMark(), std::optional<bool>(true));

    // A log-off ends the run, even with the prompt open.
    ASSERT_TRUE(SendWhenFocused(saver, [] { PressKey('A'); }, [] { return Prompt() != nullptr; }));
    ASSERT_NE(WaitForPrompt(), nullptr);
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutW(saver, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer));
    EXPECT_NE(answer, 0u) << "the log-off was refused";
    SendMessageTimeoutW(saver, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer);
    ExpectEndedCleanly();
}

// A prompt opened during the slide lets the slide finish behind it; then only
// the exact password, typed in it, ends the run, on its last character.
TEST_F(PasswordTest, APromptOpenedDuringTheSlideLetsItFinishAndOnlyTheExactPasswordEnds)
{
    const core::PixelSurface desktop = CaptureScreen();  // what the slide uncovers
    // Outside the ANSI code page, with a blank, and wider than the box: the text scrolls.
    const std::wstring start = std::wstring(40, L'w') + L"Pw語 ", password = start + L"x";
    const HWND saver = StartSaver(password);
    ASSERT_NE(saver, nullptr);
    const int side = GetSystemMetrics(SM_CXSCREEN) / 8;
    const HWND prompt = OpenPromptMidSlide(desktop);
    ASSERT_NE(prompt, nullptr) << "the prompt never opened during a slide";

    EXPECT_TRUE(Eventually([&] { return CleanShare(CaptureScreen(), desktop, side) > 0.99; }, 10s))
        << "the slide did not finish behind the prompt";
    ASSERT_EQ(Prompt(), prompt);
    EXPECT_TRUE(StillRunning());

    // Above the saver (centred on the primary: the dual-monitor run) and cut down
    // to its text box: the rest of the prompt's rectangle shows (and clicks) the saver.
    const WindowFacts facts = FactsOf(prompt);
    const HWND box = GetWindow(prompt, GW_CHILD);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(facts.topmost);
    RECT boxRect{};
    GetWindowRect(box, &boxRect);
    EXPECT_EQ(WindowFromPoint({(boxRect.left + boxRect.right) / 2, (boxRect.top + boxRect.bottom) / 2}), box);
    EXPECT_EQ(WindowFromPoint({facts.rect.left + 4, facts.rect.top + 4}), saver);
    EXPECT_EQ(WindowFromPoint({facts.rect.right - 4, facts.rect.bottom - 4}), saver);

    TypeText(L"wrong");
    EXPECT_TRUE(Shows(box, std::wstring(L"wrong") + kHint));  // typed in clear, before the hint
    EXPECT_TRUE(StillRunning());
    Repeat(VK_DELETE, 19);
    Repeat(VK_BACK, 5);
    TypeText(start);
    EXPECT_TRUE(StillRunning());
    EXPECT_EQ(Prompt(), prompt);
    TypeText(L"x");  // no Enter needed
    ExpectEndedCleanly();
}

// Another program's window takes the foreground during a run (a notification,
// Alt+Tab): with a password the run takes it back, to the saver or to its open
// prompt, so typed keys reach the prompt; without one the run ends.
TEST_F(PasswordTest, AnotherProgramTakingTheForegroundIsTakenBackWithAPasswordAndEndsARunWithout)
{
    const TestWindow other = TestWindow::TopLevel(L"Another program");
    SetWindowPos(other.Get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    const HWND saver = StartSaver(L"pw");
    ASSERT_NE(saver, nullptr);
    ASSERT_TRUE(SetForegroundWindow(other.Get()));
    ASSERT_TRUE(SendWhenFocused(saver, [] { PressKey('A'); }, [] { return Prompt() != nullptr; }))
        << "the saver did not take the keyboard back";
    const HWND prompt = WaitForPrompt();
    ASSERT_NE(prompt, nullptr);
    ASSERT_TRUE(SetForegroundWindow(other.Get()));
    const HWND box = GetWindow(prompt, GW_CHILD);
    ASSERT_TRUE(SendWhenFocused(box, [] { TypeText(L"p"); }, [&] { return TextOf(box) == std::wstring(L"p") + kHint; }))
        << "the prompt did not take the keyboard back";
    // All of it selected and typed over: the password ends the run.
    PressKey(VK_HOME);
    KeyDown(VK_SHIFT);
    PressKey(VK_END);
    KeyUp(VK_SHIFT);
    TypeText(L"pw");
    ExpectEndedCleanly();

    StartSaver(L"");
    ASSERT_NE(saver_, nullptr);
    ASSERT_TRUE(SetForegroundWindow(other.Get()));
    EXPECT_EQ(WaitForExit(), std::optional<DWORD>(0)) << "the run went on without the keyboard";
    EXPECT_TRUE(CursorShowing());
    EXPECT_EQ(SaverRunningMark(), std::optional<bool>(false));
}

}  // namespace
}  // namespace corvalinth::e2e
