// A shared-memory picture a Wayland compositor reads: one ARGB8888 wl_buffer, and the parts of
// it that lag behind the picture it copies.
//
// Errors: a buffer that cannot be made throws Failure.
#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <vector>

#include "clFly/FlyCanvas.h"

namespace quillop {

class ShmBuffer {
  public:
    // A buffer of that many pixels, all to be copied before its first use.
    ShmBuffer(wl_shm* shm, Size size);
    ~ShmBuffer();
    ShmBuffer(const ShmBuffer&) = delete;
    ShmBuffer& operator=(const ShmBuffer&) = delete;

    wl_buffer* Buffer() const { return buffer_; }
    // Whether the compositor still reads it (from its attachment until it releases it).
    bool Busy() const { return busy_; }
    void MarkBusy() { busy_ = true; }
    // Adds what changed in the canvas since the buffer was last brought up to date.
    void AddStale(const std::vector<Rect>& rects);
    // Copies the stale parts from the canvas, which has the buffer's size.
    void CopyStale(const FlyCanvas& canvas);

  private:
    static void OnRelease(void* data, wl_buffer* buffer);

    Size size_;
    std::uint8_t* pixels_ = nullptr;
    std::size_t bytes_ = 0;
    wl_buffer* buffer_ = nullptr;
    bool busy_ = false;
    std::vector<Rect> stale_;
};

}  // namespace quillop
