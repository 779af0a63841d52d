#include "saver/screen_watch_win.h"

#include <cstddef>
#include <cstring>

namespace corvalinth::saver {

namespace {

// The console display's power state: 0 off, 1 on, 2 dimmed (still seen).
constexpr GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr DWORD kNotifyForThisSession = 0;  // NOTIFY_FOR_THIS_SESSION
constexpr WPARAM kSessionLock = 0x7;        // WTS_SESSION_LOCK
constexpr WPARAM kSessionUnlock = 0x8;      // WTS_SESSION_UNLOCK

template <class Fn>
Fn Lookup(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

using RegisterPowerFn = HPOWERNOTIFY(WINAPI*)(HANDLE, LPCGUID, DWORD);
using UnregisterPowerFn = BOOL(WINAPI*)(HPOWERNOTIFY);
using RegisterSessionFn = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterSessionFn = BOOL(WINAPI*)(HWND);

}  // namespace

ScreenWatch::ScreenWatch(HWND window) : window_(window)
{
    if (!window_) return;
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    if (const auto registerPower = Lookup<RegisterPowerFn>(user32, "RegisterPowerSettingNotification"))
        power_ = registerPower(window_, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
    wtsapi_ = ::LoadLibraryW(L"wtsapi32.dll");
    if (const auto registerSession = Lookup<RegisterSessionFn>(wtsapi_, "WTSRegisterSessionNotification"))
        session_ = registerSession(window_, kNotifyForThisSession) != FALSE;
}

ScreenWatch::~ScreenWatch()
{
    if (power_) {
        if (const auto unregister = Lookup<UnregisterPowerFn>(::GetModuleHandleW(L"user32.dll"),
                                                                "UnregisterPowerSettingNotification"))
            unregister(power_);
    }
    if (session_ && ::IsWindow(window_)) {
        if (const auto unregister = Lookup<UnregisterSessionFn>(wtsapi_, "WTSUnRegisterSessionNotification"))
            unregister(window_);
    }
    if (wtsapi_) ::FreeLibrary(wtsapi_);
}

bool ScreenWatch::Read(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_WTSSESSION_CHANGE) {
        if (wParam == kSessionLock) locked_ = true;
        else if (wParam == kSessionUnlock) locked_ = false;
        return true;
    }
    if (message != WM_POWERBROADCAST || wParam != PBT_POWERSETTINGCHANGE || !lParam) return false;
    // The setting's data follows its header; a short record is ignored.
    const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
    if (setting->PowerSetting != kConsoleDisplayState || setting->DataLength < sizeof(DWORD)) return true;
    DWORD state = 0;
    std::memcpy(&state, setting->Data, sizeof(state));
    displayOff_ = state == 0;
    return true;
}

}  // namespace corvalinth::saver
