#pragma once
// Tells the saver window when nobody can see it: the display has powered off or
// the session is locked. The notifications are asked for at run time, so on a
// system without them the saver simply never pauses.
#include <windows.h>

namespace corvalinth::saver {

class ScreenWatch {
public:
    // Registers `window` for the display-state and session notifications. The
    // system reports the display's current state at once.
    explicit ScreenWatch(HWND window);
    ~ScreenWatch();
    ScreenWatch(const ScreenWatch&) = delete;
    ScreenWatch& operator=(const ScreenWatch&) = delete;

    // Reads a message the window received. Returns whether it was one of the
    // notifications (the caller then answers it with TRUE / 0 as handled).
    bool Read(UINT message, WPARAM wParam, LPARAM lParam);

    bool DisplayOff() const { return displayOff_; }
    bool Locked() const { return locked_; }
    bool Unseen() const { return displayOff_ || locked_; }

private:
    HWND window_;
    HPOWERNOTIFY power_ = nullptr;
    HMODULE wtsapi_ = nullptr;
    bool session_ = false;
    bool displayOff_ = false;
    bool locked_ = false;
};

}  // namespace corvalinth::saver
