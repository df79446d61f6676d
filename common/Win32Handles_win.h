// Owners of Win32 handles and COM objects: each closes, destroys, deletes or releases what it
// holds when it goes, so nothing leaks on an early return or an error. Used by the station's
// window code and by the simulator alike.
#pragma once

#include <windows.h>

#include <unknwn.h>

#include <utility>

namespace tavo {

// The value that means "no handle": zero for most kinds.
template <typename Handle> constexpr Handle NoHandle() {
    return Handle{};
}
// Kernel calls such as FindFirstFileW say "none" with INVALID_HANDLE_VALUE.
inline HANDLE InvalidHandleValue() {
    return INVALID_HANDLE_VALUE;
}

template <typename Handle, auto Release, auto None = NoHandle<Handle>> class OwnedHandle {
public:
    OwnedHandle() = default;
    explicit OwnedHandle(Handle handle) : handle_(handle) {}
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    OwnedHandle(OwnedHandle&& other) noexcept : handle_(std::exchange(other.handle_, None())) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        if (this != &other)
            Reset(std::exchange(other.handle_, None()));
        return *this;
    }
    ~OwnedHandle() { Reset(); }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != None(); }
    void Reset(Handle handle = None()) {
        if (handle_ != None())
            Release(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = None();
};

inline void CloseKernelHandle(HANDLE handle) {
    CloseHandle(handle);
}
inline void CloseFindHandle(HANDLE search) {
    FindClose(search);
}
inline void DestroyMenuHandle(HMENU menu) {
    DestroyMenu(menu);
}
template <typename Object> void DeleteGdiObject(Object object) {
    DeleteObject(object);
}
inline void DeleteDcHandle(HDC dc) {
    DeleteDC(dc);
}

using UniqueHandle = OwnedHandle<HANDLE, CloseKernelHandle>;
// A search of FindFirstFileW.
using UniqueFind = OwnedHandle<HANDLE, CloseFindHandle, InvalidHandleValue>;
using UniqueMenu = OwnedHandle<HMENU, DestroyMenuHandle>;
using UniqueFont = OwnedHandle<HFONT, DeleteGdiObject<HFONT>>;
using UniqueBitmap = OwnedHandle<HBITMAP, DeleteGdiObject<HBITMAP>>;
using UniqueBrush = OwnedHandle<HBRUSH, DeleteGdiObject<HBRUSH>>;
// A memory device context of CreateCompatibleDC.
using UniqueDc = OwnedHandle<HDC, DeleteDcHandle>;

// The device context of a window's client area (GetDC), released when it goes.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// A GDI object selected into a DC for one scope; the previous one is selected back when it
// goes. Declare it after the owner of the object, so the object is deselected before it is
// deleted.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() { SelectObject(dc_, previous_); }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A COM interface pointer, released when it goes.
template <typename Interface> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { Reset(); }

    Interface* Get() const { return object_; }
    Interface* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    // Releases the object held, if any, and gives the place a creating call fills.
    Interface** Receive() {
        Reset();
        return &object_;
    }
    void Reset() {
        if (object_)
            object_->Release();
        object_ = nullptr;
    }

private:
    Interface* object_ = nullptr;
};

} // namespace tavo
