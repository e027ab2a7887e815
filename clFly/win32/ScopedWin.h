// Small owners of Win32 handles, each released with its owner; copies are refused, moves hand
// the handle on.
#pragma once

#include <windows.h>

#include <utility>

namespace quillop {

// Owns one handle of type Handle and gives it to Close when the owner goes; a null handle is
// never given to Close.
template <typename Handle, void (*Close)(Handle)>
class ScopedHandle {
  public:
    ScopedHandle() = default;
    explicit ScopedHandle(Handle handle) : handle_(handle) {}
    ~ScopedHandle() { Reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }

    // The handle, still owned.
    Handle Get() const { return handle_; }
    // Gives up the handle without closing it.
    Handle Release() { return std::exchange(handle_, Handle{}); }
    // Closes the handle held and takes another one.
    void Reset(Handle handle = Handle{}) {
        if (handle_ != Handle{}) {
            Close(handle_);
        }
        handle_ = handle;
    }
    explicit operator bool() const { return handle_ != Handle{}; }

  private:
    Handle handle_{};
};

namespace scoped_close {

// The release functions, as plain functions of the handle alone.
inline void ReleaseScreenDC(HDC dc) {
    ReleaseDC(nullptr, dc);
}
inline void DeleteMemoryDC(HDC dc) {
    DeleteDC(dc);
}
template <typename Object>
void DeleteGdiObject(Object object) {
    DeleteObject(object);
}
inline void DestroyIconHandle(HICON icon) {
    DestroyIcon(icon);
}
inline void DestroyMenuHandle(HMENU menu) {
    DestroyMenu(menu);
}
inline void CloseRegistryKey(HKEY key) {
    RegCloseKey(key);
}
inline void CloseKernelHandle(HANDLE handle) {
    CloseHandle(handle);
}

}  // namespace scoped_close

// A font, brush, bitmap or other GDI object, deleted when the owner goes.
template <typename Object>
using ScopedGdiObject = ScopedHandle<Object, scoped_close::DeleteGdiObject<Object>>;
using ScopedFont = ScopedGdiObject<HFONT>;
using ScopedBitmap = ScopedGdiObject<HBITMAP>;
// An icon made with LoadImage or CreateIcon (not a shared one), destroyed when the owner goes.
using ScopedIcon = ScopedHandle<HICON, scoped_close::DestroyIconHandle>;
// A menu that no window holds, destroyed when the owner goes.
using ScopedMenu = ScopedHandle<HMENU, scoped_close::DestroyMenuHandle>;
// An open registry key, closed when the owner goes.
using ScopedKey = ScopedHandle<HKEY, scoped_close::CloseRegistryKey>;
// A process, thread or event handle (null when invalid, not INVALID_HANDLE_VALUE).
using ScopedKernelHandle = ScopedHandle<HANDLE, scoped_close::CloseKernelHandle>;

// The screen's device context, released when the owner goes.
class ScopedScreenDC : public ScopedHandle<HDC, scoped_close::ReleaseScreenDC> {
  public:
    ScopedScreenDC() : ScopedHandle(GetDC(nullptr)) {}
};

// A memory device context compatible with another one, deleted when the owner goes.
class ScopedMemoryDC : public ScopedHandle<HDC, scoped_close::DeleteMemoryDC> {
  public:
    explicit ScopedMemoryDC(HDC compatibleWith)
        : ScopedHandle(CreateCompatibleDC(compatibleWith)) {}
};

// Selects an object into a device context and puts the one it replaced back when the owner goes.
class ScopedSelectObject {
  public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), saved_(SelectObject(dc, object)) {}
    ~ScopedSelectObject() {
        if (Selected()) {
            SelectObject(dc_, saved_);
        }
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

    bool Selected() const { return saved_ != nullptr && saved_ != HGDI_ERROR; }

  private:
    HDC dc_;
    HGDIOBJ saved_;
};

}  // namespace quillop
