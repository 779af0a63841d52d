#pragma once
// The base of every form: one top-level (or re-parented) window with the
// load / show / show-modal / unload life cycle, twips bookkeeping, and dispatch
// of window messages to the handlers of the derived form.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "forms/handles_win.h"

namespace corvalinth::forms {

struct TwipsSize {
    double width = 0;
    double height = 0;
};

struct FormDesign {
    std::wstring className;       // one window class per form kind
    std::wstring caption;
    DWORD style = WS_OVERLAPPEDWINDOW;
    DWORD exStyle = 0;
    int clientWidth = 0;          // pixels; the window is sized around it
    int clientHeight = 0;
    std::optional<COLORREF> background;  // erased with this colour when set
    HICON icon = nullptr;         // shared resource icon, not owned
    HCURSOR cursor = nullptr;     // arrow when null
    bool dialogKeys = false;      // Tab and arrow navigation between controls
    // A client area designed in twips instead: converted at the DPI of the form's
    // own window once it exists, which need not be the system's (that is the
    // primary monitor's as it was at sign-in).
    std::optional<TwipsSize> clientTwips;
};

class Form {
public:
    static constexpr wchar_t kWindowTie[] = L"Corvalinth.Form";
    explicit Form(FormDesign design);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Creates the window, hidden, and runs Form_Load. Loading twice does nothing.
    void Load();
    void Show();
    // Shows the form and returns when it has been unloaded (or the program ends).
    // Meanwhile the thread's other top-level windows take no input.
    void ShowModal();
    // Runs Form_Unload; unless it cancels, destroys the window. Returns whether
    // the form is gone.
    bool Unload();

    bool IsLoaded() const { return window_ != nullptr; }
    HWND hWnd() const { return window_; }
    const FormDesign& Design() const { return design_; }

    // The DPI of the monitor the form is on, as last told by the system.
    int Dpi() const;
    // Outer window geometry in twips, as a form measures itself.
    float TwipsPerPixelX() const;
    float TwipsPerPixelY() const;
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void Move(int leftTwips, int topTwips);
    void Move(int leftTwips, int topTwips, int widthTwips, int heightTwips);
    // Outer and client geometry in pixels.
    RECT WindowRectPixels() const;
    SIZE ClientSizePixels() const;
    void MovePixels(int left, int top, int width, int height);
    // Gives the client area this size with the window's top-left at (left, top),
    // whatever frame the window has at its DPI.
    void SetClientSizePixels(int width, int height, int left, int top);

protected:
    virtual void Form_Load() {}
    virtual void Form_Resize() {}
    virtual void Form_Unload(std::int16_t& /*cancel*/) {}
    // The form is now on a monitor of another DPI (Dpi() tells it); `suggested`
    // is the outer rectangle the system proposes. By default the form takes it.
    virtual void Form_DpiChanged(const RECT& suggested);
    // Everything else: a derived form answers the messages it handles.
    virtual std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void RegisterClassOnce() const;
    void EraseBackground(HDC dc) const;

    FormDesign design_;
    HWND window_ = nullptr;
    int dpi_ = 0;
    Brush backgroundBrush_;
    bool unloading_ = false;
    bool loadStarted_ = false;  // size changes before Form_Load are not the form's business
    bool shown_ = false;
};

}  // namespace corvalinth::forms
