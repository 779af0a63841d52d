#pragma once
// What a screen reader learns about a window. It asks the window for an
// accessible object (WM_GETOBJECT); without an answer the system makes its
// standard one, which knows a custom control only as a nameless "client" and
// names an edit box or a scroll bar only from a label window beside it. These
// give a window an object of its own: the standard object, with the role, name,
// state and default action the window knows better.
#include <windows.h>

#include <optional>
#include <string>

namespace corvalinth::forms {

// Spelled out: the IID_IAccessible of mingw-w64's libuuid is not the one the
// system's accessibility functions answer to under every system.
inline constexpr IID kIidAccessible{0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// What a window tells about itself; nullopt leaves the standard object's answer.
class AccessibleFacts {
public:
    virtual std::optional<LONG> AccessibleRole() const { return std::nullopt; }
    virtual std::optional<std::wstring> AccessibleName() const { return std::nullopt; }
    virtual std::optional<LONG> AccessibleState() const { return std::nullopt; }
    // The default action's name; empty while there is none (a disabled button).
    virtual std::optional<std::wstring> AccessibleDefaultAction() const { return std::nullopt; }
    // Starts the default action named above. It must not run inside the
    // client's call (it may open a window or close this one): post it.
    virtual void StartAccessibleDefaultAction() {}
    // A window without parts: any child id but the window's own is invalid.
    virtual bool AccessibleHasChildren() const { return true; }

protected:
    ~AccessibleFacts() = default;
};

class AccessibleObject;

// Answers WM_GETOBJECT for one window with one object, made when first asked.
// Once disconnected (at the latest when this goes), an object a screen reader
// still holds answers "disconnected" and frees itself on its last release.
class AccessibleServer {
public:
    AccessibleServer() = default;
    ~AccessibleServer() { Disconnect(); }
    AccessibleServer(const AccessibleServer&) = delete;
    AccessibleServer& operator=(const AccessibleServer&) = delete;

    // The answer for the window's client object; nullopt for any other object,
    // which the default window procedure answers.
    std::optional<LRESULT> OnGetObject(HWND window, AccessibleFacts& facts, WPARAM wParam, LPARAM lParam);
    void Disconnect();

private:
    AccessibleObject* object_ = nullptr;  // one reference, ours
};

// Gives a window of a standard class (an edit box, a scroll bar) the name of
// its heading, which is drawn rather than a window of its own. The window
// answers WM_GETOBJECT itself while this lives.
class AccessibleLabel final : private AccessibleFacts {
public:
    AccessibleLabel(HWND window, std::wstring name);
    ~AccessibleLabel();
    AccessibleLabel(const AccessibleLabel&) = delete;
    AccessibleLabel& operator=(const AccessibleLabel&) = delete;

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    std::optional<std::wstring> AccessibleName() const override { return name_; }
    void Unhook();

    HWND window_;
    std::wstring name_;
    AccessibleServer server_;
};

}  // namespace corvalinth::forms
