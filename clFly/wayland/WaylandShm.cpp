#include "clFly/wayland/WaylandShm.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "clFly/Failure.h"

namespace quillop {

namespace {

// More stale rectangles than this are copied as the one that bounds them. A buffer gathers two
// frames' damage, and a frame may bring up to the canvas's limit of rectangles (500 flies bring
// about 125): a lower limit copied the whole screen at every frame.
constexpr std::size_t kMaxStale = 2048;

}  // namespace

ShmBuffer::ShmBuffer(wl_shm* shm, Size size)
    : size_(size), bytes_(static_cast<std::size_t>(size.Width) * size.Height * 4) {
    const int fd = memfd_create("quillop-flies", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, static_cast<off_t>(bytes_)) != 0) {
        if (fd >= 0) {
            close(fd);
        }
        throw Failure("No shared memory for the flies' picture");
    }
    void* mapped = mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (mapped == MAP_FAILED) {
        close(fd);
        throw Failure("No shared memory for the flies' picture");
    }
    pixels_ = static_cast<std::uint8_t*>(mapped);
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(bytes_));
    buffer_ = wl_shm_pool_create_buffer(pool, 0, size.Width, size.Height, size.Width * 4,
                                        WL_SHM_FORMAT_ARGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    static const wl_buffer_listener listener = {.release = &ShmBuffer::OnRelease};
    wl_buffer_add_listener(buffer_, &listener, this);
    stale_.push_back({0, 0, size.Width, size.Height});
}

ShmBuffer::~ShmBuffer() {
    wl_buffer_destroy(buffer_);
    munmap(pixels_, bytes_);
}

void ShmBuffer::OnRelease(void* data, wl_buffer*) {
    static_cast<ShmBuffer*>(data)->busy_ = false;
}

void ShmBuffer::AddStale(const std::vector<Rect>& rects) {
    stale_.insert(stale_.end(), rects.begin(), rects.end());
    if (stale_.size() > kMaxStale) {
        stale_.assign(1, {0, 0, size_.Width, size_.Height});
    }
}

void ShmBuffer::CopyStale(const FlyCanvas& canvas) {
    const int stride = size_.Width * 4;
    for (const Rect& rect : stale_) {
        for (int y = rect.Top; y < rect.Top + rect.Height; ++y) {
            const std::size_t at = static_cast<std::size_t>(y) * stride + rect.Left * 4;
            std::memcpy(pixels_ + at, canvas.Pixels() + at,
                        static_cast<std::size_t>(rect.Width) * 4);
        }
    }
    stale_.clear();
}

}  // namespace quillop
