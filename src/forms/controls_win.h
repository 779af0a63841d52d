#pragma once
// The standard child-window controls the forms place: option buttons, a
// horizontal scroll bar, a text box, and picture boxes that show a retained
// surface and may hold other controls.
//
// A control tells its parent about itself (clicks, scrolling, colours); the
// parent's window procedure hands those messages back with ReflectToControl, so
// each control keeps its own behaviour and a form only listens to its events.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "forms/accessible_win.h"
#include "forms/dib_surface_win.h"
#include "forms/handles_win.h"
#include "forms/scroll_rules.h"

namespace corvalinth::forms {

struct PixelPlace {
    int left = 0, top = 0, width = 0, height = 0;
};

class ChildControl {
public:
    virtual ~ChildControl();
    ChildControl(const ChildControl&) = delete;
    ChildControl& operator=(const ChildControl&) = delete;

    HWND hWnd() const { return window_.Get(); }
    // The font is the form's; the control only uses it.
    void SetFont(HFONT font);
    void Move(const PixelPlace& place);
    void SetBackColor(COLORREF color);
    // No colour: the text colour the control draws with by itself.
    void SetForeColor(std::optional<COLORREF> color);
    std::optional<COLORREF> BackColor() const { return back_; }
    bool Enabled() const;
    void SetEnabled(bool enabled);
    bool TabStop() const;
    void SetTabStop(bool tabStop);
    // What a screen reader calls the control, where its heading is drawn rather
    // than a window the system could take the name from.
    void SetAccessibleName(std::wstring name);

    // The control that made this window, or null for any other window.
    static ChildControl* FromWindow(HWND window);
    static constexpr wchar_t kWindowTie[] = L"Corvalinth.Control";

protected:
    ChildControl(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style, DWORD exStyle,
                 const PixelPlace& place);
    // Notifications the control sent its parent, handed back. WM_CTLCOLOR*
    // messages get the control's colours unless a control answers them itself.
    virtual std::optional<LRESULT> OnReflected(UINT message, WPARAM wParam, LPARAM lParam);

private:
    friend std::optional<LRESULT> ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam);
    std::optional<LRESULT> Colors(HDC dc);

    UniqueWindow window_;
    std::optional<COLORREF> back_, fore_;
    Brush backBrush_;
    std::unique_ptr<AccessibleLabel> accessibleName_;  // let go before the window
};

// For a parent's window procedure: hands a control's own notification back to
// it. nullopt when the message is not one, or the control does not answer it.
std::optional<LRESULT> ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam);

// One of a set of choices: the option buttons with the same parent exclude each
// other. Only the selected one is a tab stop, so the keyboard reaches the set
// through its current choice.
class OptionButton final : public ChildControl {
public:
    // The first of a group starts it; the group's options are made one after
    // another, so the arrow keys move between them and Tab lands on the chosen one.
    OptionButton(HWND parent, const std::wstring& caption, const PixelPlace& place, bool firstOfGroup);

    bool Value() const;
    // Selecting clears the others of the set and raises Click; so does a click by
    // the user, even on the button already selected.
    void SetValue(bool value);
    std::function<void()> onClick;

protected:
    std::optional<LRESULT> OnReflected(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Check(bool value);
};

// A horizontal scroll bar with a value in a range. Change comes after every
// step that moved the value and after the thumb is let go; Scroll while the
// thumb is dragged.
class HScrollBar final : public ChildControl {
public:
    HScrollBar(HWND parent, const ScrollRange& range, const PixelPlace& place);

    int Value() const { return value_; }
    // A value outside the range is brought to its nearest end. Raises Change
    // when the value moves.
    void SetValue(int value);
    const ScrollRange& Range() const { return range_; }
    std::function<void()> onChange;
    std::function<void()> onScroll;

protected:
    std::optional<LRESULT> OnReflected(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    ScrollRange range_;
    int value_;
};

class TextBox final : public ChildControl {
public:
    TextBox(HWND parent, const std::wstring& text, const PixelPlace& place);
    std::wstring Text() const;
    void SetText(const std::wstring& text);
    // Shown instead of every character; 0 shows the text itself.
    void SetPasswordChar(wchar_t c);
    wchar_t PasswordChar() const;
};

// A box that shows a retained surface, so what is drawn there survives being
// covered. As a container it holds other controls and passes their
// notifications on (to them, or else to its own parent).
class PictureBox final : public ChildControl {
public:
    PictureBox(HWND parent, const PixelPlace& place, COLORREF background, bool container);

    const DibSurface& Surface() const { return surface_; }
    // Moves the box; a new size gives it a fresh surface filled with `background`.
    void Move(const PixelPlace& place, COLORREF background);
    // Shows what was drawn into the surface in that area (all of it by default).
    void Refresh(const RECT* area = nullptr) const;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    DibSurface surface_;
};

}  // namespace corvalinth::forms
