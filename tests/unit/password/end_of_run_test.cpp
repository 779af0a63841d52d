#include "password/end_of_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvalinth::password {
namespace {

// Types a text into the check the way a text box reports it: one change per
// key, starting from the hint.
struct Typing {
    PasswordCheck check;
    std::wstring text{kPromptHint};
    int acceptedAt = -1;  // change number that accepted, -1 if none
    int changes = 0;

    void Change(std::wstring next)
    {
        text = std::move(next);
        if (check.OnChange(text)) acceptedAt = changes;
        ++changes;
    }
    void Type(std::wstring_view keys) { for (wchar_t c : keys) Change(text + c); }
    void ClearHint() { while (!text.empty()) Change(text.substr(0, text.size() - 1)); }
};

TEST(PasswordCheck, OnlyTheExactTextWithTheHintGoneMatchesOnItsLastChange)
{
    struct Case {
        const wchar_t* password;
        bool hintCleared;
        const wchar_t* typed;
        bool accepted;
    };
    for (const Case& c : {Case{L"secret", false, L"secret", false}, Case{L"secret", true, L"secret", true},
                          Case{L"Secret", true, L"secret", false},
                          Case{L"ｐａｓｓ", true, L"pass", false}, Case{L"", true, L"", true}}) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(c.password)) + " typed " +
                     ::testing::PrintToString(std::wstring(c.typed)));
        Typing t{PasswordCheck(c.password)};
        if (c.hintCleared) t.ClearHint();
        t.Type(c.typed);
        EXPECT_EQ(t.check.Accepted(), c.accepted);
        EXPECT_EQ(t.acceptedAt, c.accepted ? t.changes - 1 : -1);  // on the last change, no Enter
    }
}

// Records what EndSaver asks of the window and the platform.
class FakeHost : public EndSaverHost {
public:
    std::vector<std::string> calls;
    std::int32_t counter = -1;  // the platform's cursor display counter

    void DoEvents() override { calls.push_back("yield"); }
    bool Ending() const override { return false; }
    std::int32_t ShowCursor(std::int32_t flag) override
    {
        calls.push_back("cursor(" + std::to_string(flag) + ")");
        counter += flag != 0 ? 1 : -1;
        return counter;
    }
    void ShowPasswordPrompt() override { calls.push_back("prompt"); }
    void FocusDisplay() override { calls.push_back("focus"); }
    void StopTimer() override { calls.push_back("timer off"); }
    void UnloadSaver() override { calls.push_back("unload"); }
    void ClearSaverRunning() override { calls.push_back("saver mark off"); }
    void EndProgram() override { calls.push_back("end"); }
};

using Calls = std::vector<std::string>;

TEST(EndSaver, ACounterOfZeroStillShowsTheCursor)
{
    FakeHost host;
    CorvalinthB module;
    EndOfRun run;
    // Start-up's hiding left the counter at 0: passed on as the flag, it would hide.
    host.counter = 0;
    module.gCursorCount = 0;
    module.gPassword = L"pw";
    EXPECT_EQ(run.EndSaver(host, module, true), EndSaverOutcome::GoesOn);
    EXPECT_EQ(host.calls, (Calls{"yield", "cursor(1)", "prompt", "focus", "cursor(0)"}));
    EXPECT_EQ(module.gCursorCount, 0);  // back where it was, not drifting down
    host.calls.clear();
    EXPECT_EQ(run.EndSaver(host, module, true), EndSaverOutcome::GoesOn);
    EXPECT_EQ(host.calls, (Calls{"yield", "cursor(1)", "prompt", "focus", "cursor(0)"}));
}

}  // namespace
}  // namespace corvalinth::password
