// Ending a full-screen run, with and without a password, driven by real input.
#include <cstdlib>
#include <string>
#include <vector>

#include "harness.h"

namespace corvalinth::e2e {
namespace {

constexpr wchar_t kSaverCaption[] = L"Corvalinth_Main";
constexpr wchar_t kPromptCaption[] = L"Corvalinth_Pass";
constexpr wchar_t kHint[] = L"Input Your Password";
constexpr wchar_t kProbeVariable[] = L"CORVALINTH_SAVER_MARK_PROBE";

// Wine keeps this system setting per process once read, so only a fresh
// process sees what the program did to it: the probe below, run as a child.
TEST(SaverMarkProbe, Report)
{
    if (GetEnvironmentVariableW(kProbeVariable, nullptr, 0) == 0) GTEST_SKIP() << "run by the tests below";
    BOOL running = FALSE;
    SystemParametersInfoW(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    std::_Exit(running ? 20 : 21);
}

std::optional<bool> SaverRunningMark()
{
    std::wstring self(MAX_PATH, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    std::wstring commandLine = L"\"" + self + L"\" --gtest_filter=SaverMarkProbe.Report";
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

}  // namespace
}  // namespace corvalinth::e2e
