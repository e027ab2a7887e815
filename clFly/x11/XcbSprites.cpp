#include "clFly/x11/XcbSprites.h"

#include <xcb/shape.h>
#include <xcb/xfixes.h>

#include <string>
#include <utility>

#include "clFly/Failure.h"
#include "clFly/ShapeMask.h"
#include "clFly/x11/XcbAtoms.h"
#include "clFly/x11/XcbReply.h"

namespace quillop {

namespace {

// The screen of the given number, or nothing.
xcb_screen_t* ScreenOf(xcb_connection_t* connection, int number) {
    auto it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (; it.rem > 0; --number, xcb_screen_next(&it)) {
        if (number == 0) {
            return it.data;
        }
    }
    return nullptr;
}

// A 32-bit TrueColor visual with an alpha channel (the masks leave the top byte free).
xcb_visualid_t FindArgbVisual(xcb_screen_t* screen) {
    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem > 0;
         xcb_depth_next(&depths)) {
        if (depths.data->depth != 32) {
            continue;
        }
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem > 0;
             xcb_visualtype_next(&visuals)) {
            const xcb_visualtype_t* v = visuals.data;
            if (v->_class == XCB_VISUAL_CLASS_TRUE_COLOR && v->red_mask == 0xFF0000 &&
                v->green_mask == 0xFF00 && v->blue_mask == 0xFF) {
                return v->visual_id;
            }
        }
    }
    return 0;
}

}  // namespace

XcbSprites::XcbSprites(xcb_connection_t* connection, int screenNumber, bool trimmed)
    : connection_(connection), trimmed_(trimmed) {
    screen_ = ScreenOf(connection, screenNumber);
    visual_ = screen_ != nullptr ? FindArgbVisual(screen_) : 0;
    if (visual_ == 0) {
        throw Failure("The X server offers no 32-bit visual for windows with per-pixel alpha");
    }
    colormap_ = xcb_generate_id(connection);
    xcb_create_colormap(connection, XCB_COLORMAP_ALLOC_NONE, colormap_, screen_->root, visual_);

    // Graphics contexts need a drawable of their depth; these two pixmaps only serve that.
    const std::uint32_t noExposures[] = {0};
    const xcb_pixmap_t deep = xcb_generate_id(connection);
    xcb_create_pixmap(connection, 32, deep, screen_->root, 1, 1);
    pictureGc_ = xcb_generate_id(connection);
    xcb_create_gc(connection, pictureGc_, deep, XCB_GC_GRAPHICS_EXPOSURES, noExposures);
    xcb_free_pixmap(connection, deep);
    const xcb_pixmap_t flat = xcb_generate_id(connection);
    xcb_create_pixmap(connection, 1, flat, screen_->root, 1, 1);
    maskGc_ = xcb_generate_id(connection);
    xcb_create_gc(connection, maskGc_, flat, XCB_GC_GRAPHICS_EXPOSURES, noExposures);
    xcb_free_pixmap(connection, flat);

    compositorSelection_ = InternAtom(connection, "_NET_WM_CM_S" + std::to_string(screenNumber));
    // NOTE: the selection is watched on a window of our own: XFixes keeps one selection mask
    // per client and window, and Qt watches the same selection on the root window.
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(connection, &xcb_xfixes_id);
    if (xfixes != nullptr && xfixes->present) {
        // NOTE: XFixes takes no other request from a client that has not asked for its version.
        [[maybe_unused]] const XcbReply<xcb_xfixes_query_version_reply_t> version(
            xcb_xfixes_query_version_reply(connection, xcb_xfixes_query_version(connection, 5, 0),
                                           nullptr));
        haveXfixes_ = true;
        xfixesEvent_ = xfixes->first_event;
        watcher_ = xcb_generate_id(connection);
        xcb_create_window(connection, 0, watcher_, screen_->root, -1, -1, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_xfixes_select_selection_input(
            connection, watcher_, compositorSelection_,
            XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    }
    ReadCompositorOwner();
}

XcbSprites::~XcbSprites() {
    for (const XcbSprite& sprite : sprites_) {
        if (sprite.InputRegion != 0) {
            xcb_xfixes_destroy_region(connection_, sprite.InputRegion);
            xcb_xfixes_destroy_region(connection_, sprite.SolidRegion);
        }
        if (sprite.Picture != 0) {
            xcb_free_pixmap(connection_, sprite.Picture);
            xcb_free_pixmap(connection_, sprite.InputMask);
            xcb_free_pixmap(connection_, sprite.SolidMask);
        }
    }
    for (const XcbCut& cut : cuts_) {
        if (cut.Region != 0) {
            xcb_xfixes_destroy_region(connection_, cut.Region);
        }
        if (cut.Mask != 0) {
            xcb_free_pixmap(connection_, cut.Mask);
        }
    }
    if (watcher_ != 0) {
        xcb_destroy_window(connection_, watcher_);
    }
    xcb_free_gc(connection_, pictureGc_);
    xcb_free_gc(connection_, maskGc_);
    xcb_free_colormap(connection_, colormap_);
    xcb_flush(connection_);
}

void XcbSprites::ReadCompositorOwner() {
    const XcbReply<xcb_get_selection_owner_reply_t> reply(xcb_get_selection_owner_reply(
        connection_, xcb_get_selection_owner(connection_, compositorSelection_), nullptr));
    compositing_ = reply != nullptr && reply->owner != XCB_WINDOW_NONE;
}

bool XcbSprites::HandleEvent(const xcb_generic_event_t* event) {
    if (!haveXfixes_ ||
        (event->response_type & 0x7F) != xfixesEvent_ + XCB_XFIXES_SELECTION_NOTIFY) {
        return false;
    }
    const auto* notice = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
    if (notice->window != watcher_) {
        return false;
    }
    compositing_ = notice->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER &&
                   notice->owner != XCB_WINDOW_NONE;
    return true;
}

const XcbSprite& XcbSprites::Get(const CachedSprite& cached) {
    if (cached.Id >= static_cast<int>(sprites_.size())) {
        sprites_.resize(cached.Id + 1);
    }
    XcbSprite& sprite = sprites_[cached.Id];
    if (sprite.Picture != 0) {
        return sprite;
    }
    const Sprite& picture = cached.Picture;
    TrimmedPicture trimmed{0, 0, picture.Width, picture.Height, {}};
    if (trimmed_) {
        // NOTE: every resize of a window makes XWayland hand the compositor a new buffer and
        // a file descriptor with it; at every step of 99 flies that overran its connection and
        // took it down. All pictures of a size are cut to one box, so a fly window keeps its
        // size and only moves.
        trimmed =
            CutToBox(picture.Pixels, picture.Width, picture.Height, VisibleBoxSide(picture.Width));
    }
    const std::vector<std::uint8_t>& bgra = trimmed_ ? trimmed.Bgra : picture.Pixels;
    const int width = trimmed.Width;
    const int height = trimmed.Height;
    // Decoded pixels are blue, green, red, alpha in memory: a little-endian premultiplied
    // ARGB word, which is what the 32-bit visual takes. A big-endian server gets them turned.
    const std::vector<std::uint8_t>* data = &bgra;
    std::vector<std::uint8_t> turned;
    if (xcb_get_setup(connection_)->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST) {
        turned = bgra;
        for (std::size_t i = 0; i + 3 < turned.size(); i += 4) {
            std::swap(turned[i], turned[i + 3]);
            std::swap(turned[i + 1], turned[i + 2]);
        }
        data = &turned;
    }
    const std::vector<std::uint8_t> input = AlphaMask(bgra, 1);
    const std::vector<std::uint8_t> solid = AlphaMask(bgra, 128);
    sprite.Left = trimmed.Left;
    sprite.Top = trimmed.Top;
    sprite.Width = width;
    sprite.Height = height;
    sprite.Picture = xcb_generate_id(connection_);
    xcb_create_pixmap(connection_, 32, sprite.Picture, screen_->root, width, height);
    xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, sprite.Picture, pictureGc_, width, height,
                  0, 0, 0, 32, static_cast<std::uint32_t>(data->size()), data->data());
    sprite.InputMask = UploadMask(input, width, height);
    sprite.SolidMask = UploadMask(solid, width, height);
    if (haveXfixes_) {
        sprite.InputRegion = xcb_generate_id(connection_);
        xcb_xfixes_create_region_from_bitmap(connection_, sprite.InputRegion, sprite.InputMask);
        sprite.SolidRegion = xcb_generate_id(connection_);
        xcb_xfixes_create_region_from_bitmap(connection_, sprite.SolidRegion, sprite.SolidMask);
    }
    // Trimmed pictures differ in size, and are blended anyway: they need no body cuts.
    if (cached.Direction != 0 && !trimmed_) {
        sprite.Cut = cached.Direction + (kDirections + 1) * FlyScaleIndex(cached.Scale);
        NarrowCut(sprite.Cut, solid, width, height);
    }
    return sprite;
}

void XcbSprites::NarrowCut(int index, const std::vector<std::uint8_t>& solid, int width,
                           int height) {
    XcbCut& cut = cuts_[index];
    if (!NarrowBodyCut(cut.Bits, solid, width, height)) {
        return;
    }
    if (cut.Region != 0) {
        xcb_xfixes_destroy_region(connection_, cut.Region);
        cut.Region = 0;
    }
    if (cut.Mask != 0) {
        xcb_free_pixmap(connection_, cut.Mask);
    }
    cut.Mask = UploadMask(cut.Bits, width, height);
    if (haveXfixes_) {
        cut.Region = xcb_generate_id(connection_);
        xcb_xfixes_create_region_from_bitmap(connection_, cut.Region, cut.Mask);
    }
}

std::uint32_t XcbSprites::CutOf(const XcbSprite& sprite, bool whole) const {
    if (whole || sprite.Cut == 0) {
        return sprite.SolidRegion != 0 ? sprite.SolidRegion : sprite.SolidMask;
    }
    const XcbCut& cut = cuts_[sprite.Cut];
    return cut.Region != 0 ? cut.Region : cut.Mask;
}

void XcbSprites::SetInputShape(xcb_window_t window, const XcbSprite& sprite) {
    if (sprite.InputRegion != 0) {
        xcb_xfixes_set_window_shape_region(connection_, window, XCB_SHAPE_SK_INPUT, 0, 0,
                                           sprite.InputRegion);
    } else {
        xcb_shape_mask(connection_, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, window, 0, 0,
                       sprite.InputMask);
    }
}

void XcbSprites::SetBoundingShape(xcb_window_t window, std::uint32_t cut) {
    if (cut != 0 && haveXfixes_) {
        xcb_xfixes_set_window_shape_region(connection_, window, XCB_SHAPE_SK_BOUNDING, 0, 0, cut);
    } else {
        xcb_shape_mask(connection_, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, window, 0, 0, cut);
    }
}

xcb_pixmap_t XcbSprites::UploadMask(const std::vector<std::uint8_t>& bits, int width, int height) {
    // Bitmap rows in the server's own layout: scanline unit and pad, bit and byte order.
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    const BitmapLayout layout{setup->bitmap_format_scanline_unit, setup->bitmap_format_scanline_pad,
                              setup->bitmap_format_bit_order == XCB_IMAGE_ORDER_LSB_FIRST,
                              setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST};
    const std::vector<std::uint8_t> rows = PackBitmap(bits, width, height, layout);
    const xcb_pixmap_t mask = xcb_generate_id(connection_);
    xcb_create_pixmap(connection_, 1, mask, screen_->root, width, height);
    xcb_put_image(connection_, XCB_IMAGE_FORMAT_XY_PIXMAP, mask, maskGc_, width, height, 0, 0, 0, 1,
                  static_cast<std::uint32_t>(rows.size()), rows.data());
    return mask;
}

}  // namespace quillop
