#pragma once
// Corvalinth_R: the still picture shown inside the system's preview box.
#include <windows.h>

#include "forms/form_win.h"
#include "forms/handles_win.h"

namespace corvalinth::preview {

class Corvalinth_R : public forms::Form {
public:
    Corvalinth_R();

    // Img_Prev: the picture at its own size from the top-left corner; the rest
    // of the window shows the black background.
    HBITMAP Img_Prev() const { return picture_.Get(); }
    // Watches `parent`: when the preview box goes away by any means, the form
    // unloads (and with it the process ends). CheckParent runs about once a second.
    void WatchParent(HWND parent) { parent_ = parent; }
    void CheckParent();

protected:
    void Form_Unload(std::int16_t& cancel) override;
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();

    forms::Bitmap picture_;
    HWND parent_ = nullptr;
};

// The preview picture as a child of the system's preview box `parent`, which
// the caller has checked is a window. The size is the box's, in pixels. Returns
// when the preview window goes away (normally destroyed with its parent).
int RunPreviewWindow(HWND parent, int widthPixels, int heightPixels);

// Turns a freshly created top-level `window` into a child of `parent` filling its
// client area from 0, 0 with the given pixel size. Failures are ignored: a parent
// that vanishes meanwhile simply takes the preview with it.
void AdoptAsPreviewChild(HWND window, HWND parent, int widthPixels, int heightPixels);

}  // namespace corvalinth::preview
