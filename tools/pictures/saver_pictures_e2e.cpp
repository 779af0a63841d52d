// Not a test: writes the README's pictures of the saver (scripts/saver-pictures.sh).
// Built into the end-to-end binary for its harness, and left out of ctest.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <numeric>

#include "harness.h"
#include "resources/product_pictures.h"

namespace corvalinth::e2e {
namespace {

// The shared sample desktop on a window over the whole screen, for the saver to
// take its picture of.
class SampleDesktop {
public:
    SampleDesktop() : picture_(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN))
    {
        resources::DrawSampleDesktop(picture_.View());
        WNDCLASSEXW wc{sizeof wc};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"CorvalinthSampleDesktop";
        RegisterClassExW(&wc);
        window_.Reset(CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, picture_.Width(),
                                      picture_.Height(), nullptr, nullptr, wc.hInstance, &picture_));
        PumpFor(500ms);
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE)
            SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        const auto* picture = reinterpret_cast<const core::PixelSurface*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message == WM_ERASEBKGND) return 1;
        if (message != WM_PAINT || !picture) return DefWindowProcW(hwnd, message, wParam, lParam);
        PAINTSTRUCT ps;
        const HDC dc = BeginPaint(hwnd, &ps);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof info.bmiHeader, picture->Width(), -picture->Height(), 1, 32, BI_RGB};
        SetDIBitsToDevice(dc, 0, 0, picture->Width(), picture->Height(), 0, 0, 0, picture->Height(),
                          picture->Pixels().data(), &info, DIB_RGB_COLORS);
        EndPaint(hwnd, &ps);
        return 0;
    }

    core::PixelSurface picture_;
    forms::UniqueWindow window_;
};

// The README's pictures (scripts/saver-pictures.sh), written into the folder
// CORVALINTH_SAVER_PICTURES names: trails after two seconds and the halves
// sliding apart, as BMP files. A tool run by its script, not part of the test command.
using SaverPictures = E2eTest;
TEST_F(SaverPictures, Write)
{
    const wchar_t* folder = _wgetenv(L"CORVALINTH_SAVER_PICTURES");
    ASSERT_NE(folder, nullptr) << "CORVALINTH_SAVER_PICTURES names no folder";
    const std::filesystem::path out(folder);
    const SampleDesktop desktop;
    MoveMouseTo(0, 0);
    const core::PixelSurface clean = CaptureScreen();
    Launch(L"/s");
    ASSERT_NE(WaitForWindow(L"Corvalinth_Main"), nullptr);
    PumpFor(2s);
    const core::PixelSurface trails = CaptureScreen();
    EXPECT_TRUE(WriteBmp(out / L"saver-trails.bmp", trails));

    // Mid-transition: trails only grow until the halves slide apart, so the first
    // frame that shows much of the clean desktop again is one of the slide.
    const auto differing = [&](const core::PixelSurface& now) {
        return std::inner_product(now.Pixels().begin(), now.Pixels().end(), clean.Pixels().begin(), 0, std::plus<>(),
                                  std::not_equal_to<>());
    };
    int peak = differing(trails);
    const auto deadline = std::chrono::steady_clock::now() + 90s;
    bool written = false;
    while (!written && std::chrono::steady_clock::now() < deadline && Running()) {
        const core::PixelSurface now = CaptureScreen();
        const int changed = differing(now);
        peak = std::max(peak, changed);
        if (changed < peak * 6 / 10)
            written = WriteBmp(out / L"saver-transition.bmp", now);
    }
    EXPECT_TRUE(written);
}

}  // namespace
}  // namespace corvalinth::e2e
