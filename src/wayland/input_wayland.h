#pragma once
// The seat's input, and which of it ends the run: a left click (press and
// release on a surface of ours), a touch tap, or a key that types a character
// through the compositor's keymap. A modifier alone, a key already held when
// the focus came, and pointer motion do not.
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdint>
#include <vector>

namespace corvalinth::wayland {

class Input {
public:
    explicit Input(wl_seat* seat);
    ~Input();
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;

    bool Ended() const { return ended_; }

private:
    static const wl_seat_listener kSeatListener;
    static const wl_pointer_listener kPointerListener;
    static const wl_keyboard_listener kKeyboardListener;
    static const wl_touch_listener kTouchListener;

    void Capabilities(std::uint32_t capabilities);
    void Keymap(std::uint32_t format, int fd, std::uint32_t size);
    void Key(std::uint32_t key, std::uint32_t state);

    wl_seat* seat_;
    wl_pointer* pointer_ = nullptr;
    wl_keyboard* keyboard_ = nullptr;
    wl_touch* touch_ = nullptr;
    xkb_context* xkb_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* keyState_ = nullptr;
    std::vector<std::uint32_t> held_;  // keys down since before the focus came
    bool pointerIn_ = false, leftDown_ = false;
    std::vector<std::int32_t> touches_;
    bool ended_ = false;
};

}  // namespace corvalinth::wayland
