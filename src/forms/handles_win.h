#pragma once
// Scoped owners for Win32 handles, so that every acquire and its release stand
// together in one line at the place of use.
#include <windows.h>

#include <utility>

namespace corvalinth::forms {

// Owns one handle and releases it with Close(handle) when it goes out of scope.
template <class Handle, class Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : handle_(h) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != Handle{}; }
    Handle Release() { return std::exchange(handle_, Handle{}); }
    void Reset(Handle h = Handle{})
    {
        if (handle_ != Handle{}) Traits::Close(handle_);
        handle_ = h;
    }

private:
    Handle handle_{};
};

struct GdiObjectTraits {
    static void Close(HGDIOBJ h) { ::DeleteObject(h); }
};
template <class T>
using GdiObject = UniqueHandle<T, GdiObjectTraits>;
using Bitmap = GdiObject<HBITMAP>;
using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;
using Region = GdiObject<HRGN>;
using Palette = GdiObject<HPALETTE>;

struct DcTraits {
    static void Close(HDC h) { ::DeleteDC(h); }
};
using MemoryDC = UniqueHandle<HDC, DcTraits>;
inline MemoryDC CreateMemoryDC(HDC compatibleWith = nullptr)
{
    return MemoryDC(::CreateCompatibleDC(compatibleWith));
}

struct WindowTraits {
    static void Close(HWND h)
    {
        if (::IsWindow(h)) ::DestroyWindow(h);
    }
};
using UniqueWindow = UniqueHandle<HWND, WindowTraits>;

struct IconTraits {
    static void Close(HICON h) { ::DestroyIcon(h); }
};
using UniqueIcon = UniqueHandle<HICON, IconTraits>;

struct KernelHandleTraits {
    static void Close(HANDLE h)
    {
        if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    }
};
using KernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;

// Ties a window to the C++ object that handles its messages. The tie is a window
// property named by the object's kind (T::kWindowTie), so a lookup never takes
// another kind's window, or a foreign control, for one of its own. Untie before
// the window is destroyed.
template <class T>
void TieWindow(HWND window, T* object)
{
    if (object) ::SetPropW(window, T::kWindowTie, object);
    else ::RemovePropW(window, T::kWindowTie);
}
template <class T>
T* TiedObject(HWND window)
{
    return static_cast<T*>(::GetPropW(window, T::kWindowTie));
}

// GetDC / GetWindowDC paired with ReleaseDC.
class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND window, bool wholeWindow = false)
        : window_(window), dc_(wholeWindow ? ::GetWindowDC(window) : ::GetDC(window))
    {
    }
    ~ScopedGetDC()
    {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;
    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// SelectObject paired with selecting the earlier object back.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~ScopedSelectObject()
    {
        if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// SelectPalette paired with selecting the earlier palette back.
class ScopedSelectPalette {
public:
    ScopedSelectPalette(HDC dc, HPALETTE palette, BOOL background = FALSE)
        : dc_(dc), previous_(::SelectPalette(dc, palette, background))
    {
    }
    ~ScopedSelectPalette()
    {
        if (previous_) ::SelectPalette(dc_, previous_, FALSE);
    }
    ScopedSelectPalette(const ScopedSelectPalette&) = delete;
    ScopedSelectPalette& operator=(const ScopedSelectPalette&) = delete;

private:
    HDC dc_;
    HPALETTE previous_;
};

}  // namespace corvalinth::forms
