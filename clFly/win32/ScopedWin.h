// Small owners of GDI and user handles, each released with its owner; copies are refused.
#pragma once

#include <windows.h>

namespace quillop {

// The screen's device context, released when the owner goes.
class ScopedScreenDC {
  public:
    ScopedScreenDC() : dc_(GetDC(nullptr)) {}
    ~ScopedScreenDC() {
        if (dc_ != nullptr) {
            ReleaseDC(nullptr, dc_);
        }
    }
    ScopedScreenDC(const ScopedScreenDC&) = delete;
    ScopedScreenDC& operator=(const ScopedScreenDC&) = delete;

    HDC Get() const { return dc_; }

  private:
    HDC dc_;
};

// A memory device context compatible with another one, deleted when the owner goes.
class ScopedMemoryDC {
  public:
    explicit ScopedMemoryDC(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
    ~ScopedMemoryDC() {
        if (dc_ != nullptr) {
            DeleteDC(dc_);
        }
    }
    ScopedMemoryDC(const ScopedMemoryDC&) = delete;
    ScopedMemoryDC& operator=(const ScopedMemoryDC&) = delete;

    HDC Get() const { return dc_; }

  private:
    HDC dc_;
};

// Selects an object into a device context and puts the one it replaced back when the owner goes.
class ScopedSelectObject {
  public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), saved_(SelectObject(dc, object)) {}
    ~ScopedSelectObject() {
        if (saved_ != nullptr && saved_ != HGDI_ERROR) {
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

// An icon made with LoadImage or CreateIcon, destroyed when the owner goes.
class ScopedIcon {
  public:
    explicit ScopedIcon(HICON icon) : icon_(icon) {}
    ~ScopedIcon() {
        if (icon_ != nullptr) {
            DestroyIcon(icon_);
        }
    }
    ScopedIcon(const ScopedIcon&) = delete;
    ScopedIcon& operator=(const ScopedIcon&) = delete;

    HICON Get() const { return icon_; }

  private:
    HICON icon_;
};

}  // namespace quillop
