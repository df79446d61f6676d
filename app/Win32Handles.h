// Owners of Win32 handles: each closes, destroys or deletes its handle when it goes, so nothing
// leaks on an early return or an error.
#pragma once

#include <windows.h>

#include <utility>

namespace tavo {

template <typename Handle, auto Release, Handle None = Handle{}> class OwnedHandle {
public:
    OwnedHandle() = default;
    explicit OwnedHandle(Handle handle) : handle_(handle) {}
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    OwnedHandle(OwnedHandle&& other) noexcept : handle_(std::exchange(other.handle_, None)) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        if (this != &other)
            Reset(std::exchange(other.handle_, None));
        return *this;
    }
    ~OwnedHandle() { Reset(); }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != None; }
    void Reset(Handle handle = None) {
        if (handle_ != None)
            Release(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = None;
};

inline void CloseKernelHandle(HANDLE handle) {
    CloseHandle(handle);
}
inline void DestroyMenuHandle(HMENU menu) {
    DestroyMenu(menu);
}
inline void DeleteFontHandle(HFONT font) {
    DeleteObject(font);
}
inline void DestroyWindowHandle(HWND hwnd) {
    DestroyWindow(hwnd);
}

using UniqueHandle = OwnedHandle<HANDLE, CloseKernelHandle>;
using UniqueMenu = OwnedHandle<HMENU, DestroyMenuHandle>;
using UniqueFont = OwnedHandle<HFONT, DeleteFontHandle>;

} // namespace tavo
