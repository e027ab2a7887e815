// The flies' pictures as a Wayland compositor shows them: for each picture and scale one buffer
// of its visible part and one input region of its visible pixels, shared by every fly.
//
// Errors: a buffer that cannot be made throws Failure.
#pragma once

#include <wayland-client.h>

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "clFly/SpriteCache.h"
#include "clFly/wayland/WaylandOverlay.h"

namespace quillop {

class WaylandPictures {
  public:
    // A picture on an overlay: its buffer (none when nothing of it is visible), where that
    // stands in the picture and its size, in logical pixels, and its visible pixels, where it
    // takes pointer input, as logical rectangles of the buffer and as a region.
    struct Picture {
        std::unique_ptr<ShmPicture> Buffer;
        Point Offset;
        Size Logical;
        std::vector<Rect> Visible;
        wl_region* Input = nullptr;
    };

    explicit WaylandPictures(const WaylandGlobals& globals);
    ~WaylandPictures();
    WaylandPictures(const WaylandPictures&) = delete;
    WaylandPictures& operator=(const WaylandPictures&) = delete;

    // A picture at the overlay's scale, made the first time it is shown there.
    const Picture& Get(const CachedSprite& sprite, const WaylandOverlay& overlay);
    // The input region of a fly that takes no input.
    wl_region* NoInput() const { return noInput_; }
    // A new region of a picture's visible pixels within the part `crop` of it, counted from
    // that part's corner; the caller destroys it.
    wl_region* CroppedInput(const Picture& picture, const Rect& crop) const;

  private:
    const WaylandGlobals& globals_;
    // By the picture's cache id and the scale (in 120ths) it is shown at.
    std::map<std::pair<int, long>, Picture> pictures_;
    wl_region* noInput_;
};

}  // namespace quillop
