// The harness's own tools, checked against windows of the test process, so a
// later failure of a program test is never the harness's.
#include <string>
#include <vector>

#include "harness.h"

#include <windowsx.h>

namespace corvalinth::e2e {
namespace {

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Received> gReceived;  // only this file's recording window writes it

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_RBUTTONDOWN: case WM_KEYDOWN: case WM_CHAR:
        gReceived.push_back({message, wParam, lParam});
        break;
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(hwnd, &r);
        HBRUSH brush = CreateSolidBrush(RGB(0x20, 0x80, 0xC0));
        FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
        DeleteObject(brush);
        return 1;
    }
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

class RecordingWindow {
public:
    explicit RecordingWindow(RECT at)
    {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = RecordingProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = L"CorvalinthE2eRecorder";
        RegisterClassExW(&wc);
        hwnd_ = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"recorder", WS_POPUP | WS_VISIBLE,
                                at.left, at.top, at.right - at.left, at.bottom - at.top, nullptr,
                                nullptr, wc.hInstance, nullptr);
        SetForegroundWindow(hwnd_);
        SetFocus(hwnd_);
        UpdateWindow(hwnd_);
        PumpFor(200ms);
        gReceived.clear();
    }
    ~RecordingWindow() { DestroyWindow(hwnd_); }
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;
    HWND Get() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

TEST(Harness, MouseLandsOnTheExactPixel)
{
    const RECT screen = VirtualScreen();
    const POINT targets[] = {{screen.left, screen.top},
                             {137, 59},
                             {(screen.left + screen.right) / 2 + 1, (screen.top + screen.bottom) / 2},
                             {screen.right - 1, screen.bottom - 1}};
    for (const POINT target : targets) {
        MoveMouseTo(target.x, target.y);
        PumpFor(50ms);
        const POINT at = CursorPosition();
        EXPECT_EQ(at.x, target.x);
        EXPECT_EQ(at.y, target.y);
    }
}

TEST(Harness, ClicksKeysAndTextReachTheWindowInFront)
{
    const RecordingWindow window({100, 120, 300, 260});
    ClickAt(150, 170);
    PressKey(VK_LEFT);
    TypeText(L"aあ");
    LetInputSettle();

    std::vector<UINT> order;
    std::wstring typed;
    for (const Received& r : gReceived) {
        order.push_back(r.message);
        if (r.message == WM_LBUTTONDOWN) {
            EXPECT_EQ(GET_X_LPARAM(r.lParam), 50);
            EXPECT_EQ(GET_Y_LPARAM(r.lParam), 50);
        }
        if (r.message == WM_KEYDOWN && r.wParam != VK_PACKET) {
            EXPECT_EQ(r.wParam, WPARAM{VK_LEFT});
        }
        if (r.message == WM_CHAR) typed += static_cast<wchar_t>(r.wParam);
    }
    ASSERT_GE(order.size(), 3u);
    EXPECT_EQ(order[0], UINT{WM_LBUTTONDOWN});
    EXPECT_EQ(order[1], UINT{WM_LBUTTONUP});
    EXPECT_EQ(order[2], UINT{WM_KEYDOWN});
    EXPECT_EQ(typed, L"aあ");
}

TEST(Harness, CaptureSeesWhatIsOnScreen)
{
    const RecordingWindow window({200, 100, 260, 140});
    PumpFor(200ms);
    const core::PixelSurface shot = CaptureScreen({190, 90, 270, 150});
    ASSERT_EQ(shot.Width(), 80);
    ASSERT_EQ(shot.Height(), 60);
    EXPECT_EQ(shot.At(10, 10), core::Rgb(0x20, 0x80, 0xC0));
    EXPECT_EQ(shot.At(69, 49), core::Rgb(0x20, 0x80, 0xC0));
    EXPECT_NE(shot.At(9, 9), core::Rgb(0x20, 0x80, 0xC0));
    EXPECT_NE(shot.At(70, 50), core::Rgb(0x20, 0x80, 0xC0));

    const core::PixelSurface whole = CaptureScreen();
    const RECT screen = VirtualScreen();
    EXPECT_EQ(whole.Width(), screen.right - screen.left);
    EXPECT_EQ(whole.Height(), screen.bottom - screen.top);
}

class HarnessFixture : public E2eTest {};

TEST_F(HarnessFixture, SettingsFileRoundTripsAndTheFolderIsPrivate)
{
    EXPECT_TRUE(std::filesystem::exists(ProgramPath()));
    EXPECT_FALSE(ReadIniBytes().has_value());
    EXPECT_FALSE(ReadIniValue(L"Section", L"Num").has_value());

    WriteIniBytes("[Section]\r\nNum= 1000\r\nPassword=a b\r\n");
    EXPECT_EQ(ReadIniValue(L"Section", L"Num"), L"1000");
    EXPECT_EQ(ReadIniValue(L"Section", L"Password"), L"a b");
    EXPECT_FALSE(ReadIniValue(L"Section", L"Color").has_value());

    WriteIniValue(L"Section", L"Color", L"1");
    const std::optional<std::string> bytes = ReadIniBytes();
    ASSERT_TRUE(bytes.has_value());
    EXPECT_NE(bytes->find("Color=1"), std::string::npos) << *bytes;
    EXPECT_NE(bytes->find("Password=a b"), std::string::npos) << *bytes;
}

}  // namespace
}  // namespace corvalinth::e2e
