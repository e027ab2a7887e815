#include "clFly/wayland/WaylandPictures.h"

#include <cmath>

#include "clFly/PictureRegions.h"

namespace quillop {

WaylandPictures::WaylandPictures(const WaylandGlobals& globals)
    : globals_(globals), noInput_(wl_compositor_create_region(globals.Compositor)) {}

WaylandPictures::~WaylandPictures() {
    for (auto& [key, picture] : pictures_) {
        if (picture.Input != nullptr) {
            wl_region_destroy(picture.Input);
        }
    }
    wl_region_destroy(noInput_);
}

const WaylandPictures::Picture& WaylandPictures::Get(const CachedSprite& sprite,
                                                     const WaylandOverlay& overlay) {
    const double scale = overlay.Scale();
    const bool fractional = overlay.Fractional();
    auto [found, made] = pictures_.try_emplace({sprite.Id, std::lround(scale * 120)});
    Picture& picture = found->second;
    if (!made) {
        return picture;
    }
    // The buffer holds the picture's visible part only, so that the compositor blends fewer
    // transparent pixels. NOTE: its size and its place in logical pixels must be whole, and
    // fall on whole device pixels: it is widened to whole cells of the logical grid (the
    // pictures made for the output's scale need nothing more). A viewport, or the buffer scale
    // where the output's scale is whole, shows it at the logical size.
    const double factor = fractional ? scale : overlay.BufferScale();
    const int cell = static_cast<int>(std::lround(LogicalGrid(factor) * factor));
    const std::vector<Rect> visible = VisibleRects(sprite.Picture);
    const Rect part = CellBounds(visible, cell);
    const auto logical = [factor](int device) {
        return static_cast<int>(std::lround(device / factor));
    };
    picture.Offset = {logical(part.Left), logical(part.Top)};
    picture.Logical = {logical(part.Width), logical(part.Height)};
    if (part.Width == 0) {
        return picture;
    }
    picture.Buffer = std::make_unique<ShmPicture>(globals_.Shm, Size{part.Width, part.Height},
                                                  &sprite.Picture, Point{part.Left, part.Top});
    // A region of the visible pixels themselves: set only when a fly's picture changes, it
    // lets a click beside a fly or on its transparent corners reach the window below.
    picture.Input = wl_compositor_create_region(globals_.Compositor);
    for (const Rect& rect : visible) {
        const Rect& shown = picture.Visible.emplace_back(LogicalCover(
            {rect.Left - part.Left, rect.Top - part.Top, rect.Width, rect.Height}, factor));
        wl_region_add(picture.Input, shown.Left, shown.Top, shown.Width, shown.Height);
    }
    return picture;
}

wl_region* WaylandPictures::CroppedInput(const Picture& picture, const Rect& crop) const {
    wl_region* input = wl_compositor_create_region(globals_.Compositor);
    for (const Rect& rect : picture.Visible) {
        wl_region_add(input, rect.Left - crop.Left, rect.Top - crop.Top, rect.Width, rect.Height);
    }
    return input;
}

}  // namespace quillop
