// An unchanging shared-memory picture a Wayland compositor reads: one ARGB8888 wl_buffer, which
// any number of surfaces may show at once.
//
// Errors: a buffer that cannot be made throws Failure.
#pragma once

#include <wayland-client.h>

#include "clFly/FlyWindow.h"

namespace quillop {

class ShmPicture {
  public:
    // A buffer of `size` pixels that shows the premultiplied picture from its pixel `from` on,
    // transparent where the picture does not reach; all transparent without a picture.
    ShmPicture(wl_shm* shm, Size size, const Sprite* picture = nullptr, Point from = {});
    ~ShmPicture();
    ShmPicture(const ShmPicture&) = delete;
    ShmPicture& operator=(const ShmPicture&) = delete;

    wl_buffer* Buffer() const { return buffer_; }
    Size Extent() const { return size_; }

  private:
    Size size_;
    wl_buffer* buffer_ = nullptr;
};

}  // namespace quillop
