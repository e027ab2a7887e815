#include "clFly/wayland/WaylandShm.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "clFly/Failure.h"

namespace quillop {

ShmPicture::ShmPicture(wl_shm* shm, Size size, const Sprite* picture, Point from) : size_(size) {
    const int stride = size.Width * 4;
    const auto bytes = static_cast<std::size_t>(stride) * size.Height;
    const int fd = memfd_create("quillop-fly", MFD_CLOEXEC);
    void* mapped = MAP_FAILED;
    if (fd >= 0 && ftruncate(fd, static_cast<off_t>(bytes)) == 0) {
        mapped = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    }
    if (mapped == MAP_FAILED) {
        if (fd >= 0) {
            close(fd);
        }
        throw Failure("No shared memory for the flies' pictures");
    }
    // A new file reads as zeros: transparent wherever the picture does not reach.
    if (picture != nullptr) {
        const int width = std::min(picture->Width - from.Left, size.Width);
        for (int y = 0; y < std::min(picture->Height - from.Top, size.Height) && width > 0; ++y) {
            const std::size_t at =
                (static_cast<std::size_t>(y + from.Top) * picture->Width + from.Left) * 4;
            std::memcpy(static_cast<std::uint8_t*>(mapped) + static_cast<std::size_t>(y) * stride,
                        &picture->Pixels[at], static_cast<std::size_t>(width) * 4);
        }
    }
    munmap(mapped, bytes);
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(bytes));
    buffer_ =
        wl_shm_pool_create_buffer(pool, 0, size.Width, size.Height, stride, WL_SHM_FORMAT_ARGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
}

ShmPicture::~ShmPicture() {
    wl_buffer_destroy(buffer_);
}

}  // namespace quillop
