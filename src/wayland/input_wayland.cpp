#include "wayland/input_wayland.h"

#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <span>
#include <utility>

namespace corvalinth::wayland {

namespace {
Input& Self(void* data) { return *static_cast<Input*>(data); }

std::span<const std::uint32_t> Keys(const wl_array* keys)
{
    return {static_cast<const std::uint32_t*>(keys->data), keys->size / sizeof(std::uint32_t)};
}

template <typename T>
void Erase(std::vector<T>& from, T value)
{
    from.erase(std::remove(from.begin(), from.end(), value), from.end());
}
}  // namespace

const wl_seat_listener Input::kSeatListener = {
    .capabilities = [](void* data, wl_seat*, std::uint32_t caps) { Self(data).Capabilities(caps); },
    .name = [](void*, wl_seat*, const char*) {},
};

const wl_pointer_listener Input::kPointerListener = {
    .enter = [](void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface*, wl_fixed_t, wl_fixed_t) {
        // No cursor over the saver.
        wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
        Self(data).pointerIn_ = true;
    },
    .leave = [](void* data, wl_pointer*, std::uint32_t, wl_surface*) {
        Self(data).pointerIn_ = false;
        Self(data).leftDown_ = false;
    },
    .motion = [](void*, wl_pointer*, std::uint32_t, wl_fixed_t, wl_fixed_t) {},
    .button = [](void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button, std::uint32_t state) {
        Input& self = Self(data);
        if (button != BTN_LEFT || !self.pointerIn_) return;
        if (state == WL_POINTER_BUTTON_STATE_PRESSED) self.leftDown_ = true;
        else if (std::exchange(self.leftDown_, false)) self.ended_ = true;
    },
    .axis = [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {},
    .frame = [](void*, wl_pointer*) {},
    .axis_source = [](void*, wl_pointer*, std::uint32_t) {},
    .axis_stop = [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {},
    .axis_discrete = [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
};

const wl_keyboard_listener Input::kKeyboardListener = {
    .keymap = [](void* data, wl_keyboard*, std::uint32_t format, std::int32_t fd, std::uint32_t size) {
        Self(data).Keymap(format, fd, size);
    },
    .enter = [](void* data, wl_keyboard*, std::uint32_t, wl_surface*, wl_array* keys) {
        const auto down = Keys(keys);
        Self(data).held_.assign(down.begin(), down.end());
    },
    .leave = [](void* data, wl_keyboard*, std::uint32_t, wl_surface*) { Self(data).held_.clear(); },
    .key = [](void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key, std::uint32_t state) {
        Self(data).Key(key, state);
    },
    .modifiers = [](void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed, std::uint32_t latched,
                    std::uint32_t locked, std::uint32_t group) {
        if (Self(data).keyState_) xkb_state_update_mask(Self(data).keyState_, depressed, latched, locked, 0, 0, group);
    },
    // The compositor only tells how keys repeat; a client repeats them itself, and this one does not.
    .repeat_info = [](void*, wl_keyboard*, std::int32_t, std::int32_t) {},
};

const wl_touch_listener Input::kTouchListener = {
    .down = [](void* data, wl_touch*, std::uint32_t, std::uint32_t, wl_surface*, std::int32_t id, wl_fixed_t,
               wl_fixed_t) { Self(data).touches_.push_back(id); },
    .up = [](void* data, wl_touch*, std::uint32_t, std::uint32_t, std::int32_t id) {
        Input& self = Self(data);
        if (std::find(self.touches_.begin(), self.touches_.end(), id) != self.touches_.end()) self.ended_ = true;
        Erase(self.touches_, id);
    },
    .motion = [](void*, wl_touch*, std::uint32_t, std::int32_t, wl_fixed_t, wl_fixed_t) {},
    .frame = [](void*, wl_touch*) {},
    .cancel = [](void* data, wl_touch*) { Self(data).touches_.clear(); },
    .shape = [](void*, wl_touch*, std::int32_t, wl_fixed_t, wl_fixed_t) {},
    .orientation = [](void*, wl_touch*, std::int32_t, wl_fixed_t) {},
};

Input::Input(wl_seat* seat) : seat_(seat), xkb_(xkb_context_new(XKB_CONTEXT_NO_FLAGS))
{
    wl_seat_add_listener(seat_, &kSeatListener, this);
}

Input::~Input()
{
    if (touch_) wl_touch_release(touch_);
    if (keyboard_) wl_keyboard_release(keyboard_);
    if (pointer_) wl_pointer_release(pointer_);
    if (keyState_) xkb_state_unref(keyState_);
    if (keymap_) xkb_keymap_unref(keymap_);
    if (xkb_) xkb_context_unref(xkb_);
}

void Input::Capabilities(std::uint32_t capabilities)
{
    // Each device is taken when it comes and let go when it goes.
    const auto follow = [capabilities](std::uint32_t bit, auto*& device, auto get, auto release) {
        const bool has = (capabilities & bit) != 0;
        if (has && !device) device = get();
        else if (!has && device) release(std::exchange(device, nullptr));
    };
    follow(WL_SEAT_CAPABILITY_POINTER, pointer_, [this] {
        wl_pointer* p = wl_seat_get_pointer(seat_);
        wl_pointer_add_listener(p, &kPointerListener, this);
        return p;
    }, wl_pointer_release);
    follow(WL_SEAT_CAPABILITY_KEYBOARD, keyboard_, [this] {
        wl_keyboard* k = wl_seat_get_keyboard(seat_);
        wl_keyboard_add_listener(k, &kKeyboardListener, this);
        return k;
    }, wl_keyboard_release);
    follow(WL_SEAT_CAPABILITY_TOUCH, touch_, [this] {
        wl_touch* t = wl_seat_get_touch(seat_);
        wl_touch_add_listener(t, &kTouchListener, this);
        return t;
    }, wl_touch_release);
}

void Input::Keymap(std::uint32_t format, int fd, std::uint32_t size)
{
    void* text = format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 ? ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0)
                                                             : MAP_FAILED;
    ::close(fd);
    if (text == MAP_FAILED) return;
    // The map ends with a NUL within `size`.
    xkb_keymap* keymap = xkb_keymap_new_from_buffer(xkb_, static_cast<const char*>(text), ::strnlen(static_cast<const char*>(text), size),
                                                    XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    ::munmap(text, size);
    if (!keymap) return;
    if (keyState_) xkb_state_unref(keyState_);
    if (keymap_) xkb_keymap_unref(keymap_);
    keymap_ = keymap;
    keyState_ = xkb_state_new(keymap_);
}

void Input::Key(std::uint32_t key, std::uint32_t state)
{
    const bool held = std::find(held_.begin(), held_.end(), key) != held_.end();
    if (state != WL_KEYBOARD_KEY_STATE_PRESSED) {
        Erase(held_, key);
        return;
    }
    if (held || !keyState_) return;
    // Evdev codes are the keymap's minus 8.
    if (xkb_state_key_get_utf8(keyState_, key + 8, nullptr, 0) > 0) ended_ = true;
}

}  // namespace corvalinth::wayland
