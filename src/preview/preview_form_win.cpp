#include "preview/preview_form_win.h"

#include <algorithm>

#include "forms/app_win.h"
#include "resources/resource_ids.h"

namespace corvalinth::preview {
namespace {

forms::FormDesign PreviewDesign()
{
    forms::FormDesign design;
    design.className = L"Corvalinth_R";
    design.caption = L"Preview Window";
    // No border, no caption, not in the task bar: it lives inside another window.
    design.style = WS_POPUP | WS_CLIPCHILDREN;
    design.exStyle = WS_EX_TOOLWINDOW;
    design.clientWidth = 168;
    design.clientHeight = 124;
    design.background = RGB(0, 0, 0);
    return design;
}

constexpr UINT kParentCheckMs = 1000;

}  // namespace

Corvalinth_R::Corvalinth_R()
    : Form(PreviewDesign()),
      picture_(static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_PREVIEW),
                                                 IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)))
{
}

void Corvalinth_R::CheckParent()
{
    // A box that vanished without destroying its children (its process was
    // killed, say) must not leave this process running invisibly.
    if (parent_ && !::IsWindow(parent_)) Unload();
}

void Corvalinth_R::Form_Unload(std::int16_t&)
{
    if (hWnd()) ::PostMessageW(hWnd(), WM_CLOSE, 0, 0);
}

std::optional<LRESULT> Corvalinth_R::OnMessage(UINT message, WPARAM, LPARAM)
{
    if (message != WM_PAINT) return std::nullopt;
    Paint();
    return 0;
}

void Corvalinth_R::Paint()
{
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hWnd(), &ps);
    if (picture_) {
        BITMAP info{};
        ::GetObjectW(picture_.Get(), sizeof(info), &info);
        forms::MemoryDC source = forms::CreateMemoryDC(dc);
        forms::ScopedSelectObject select(source.Get(), picture_.Get());
        ::BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, source.Get(), 0, 0, SRCCOPY);
    }
    ::EndPaint(hWnd(), &ps);
}

void AdoptAsPreviewChild(HWND window, HWND parent, int widthPixels, int heightPixels)
{
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    SetWindowLongPtrW(window, GWL_STYLE, style | WS_CHILD);
    // Sized before it enters the box, so it never shows there at its design size.
    SetWindowPos(window, nullptr, 0, 0, std::max(widthPixels, 0), std::max(heightPixels, 0),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SetParent(window, parent);
    // Pixels straight from the box, so a box of any size fits.
    SetWindowPos(window, nullptr, 0, 0, std::max(widthPixels, 0), std::max(heightPixels, 0),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

int RunPreviewWindow(HWND parent, int widthPixels, int heightPixels)
{
    Corvalinth_R preview;
    preview.Load();
    if (!preview.IsLoaded()) return 0;
    AdoptAsPreviewChild(preview.hWnd(), parent, widthPixels, heightPixels);
    preview.WatchParent(parent);
    preview.Show();
    // Not a timer: when the box's process destroys our window, the system may
    // deliver nothing at all to this thread.
    return forms::RunMessageLoopChecking([&] { return preview.IsLoaded(); }, kParentCheckMs,
                                         [&] { preview.CheckParent(); });
}

}  // namespace corvalinth::preview
