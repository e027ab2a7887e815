// The fly pictures as the X server keeps them, shared by every fly window, and whether a
// compositing manager is blending the windows.
#pragma once

#include <xcb/xcb.h>

#include <array>
#include <deque>
#include <vector>

#include "clFly/SpriteCache.h"

namespace quillop {

// One sprite on the server: its 32-bit picture and two 1-bit masks.
struct XcbSprite {
    xcb_pixmap_t Picture = 0;
    // Where the picture stands in the fly's square: (0, 0) but for pictures cut down to their
    // visible pixels.
    int Left = 0;
    int Top = 0;
    // Pixels with alpha > 0: where the fly takes pointer input.
    xcb_pixmap_t InputMask = 0;
    // Pixels with alpha >= 128: what is drawn when nothing blends the soft edges.
    xcb_pixmap_t SolidMask = 0;
    // The two masks as server regions, which a shape takes without reading a bitmap again.
    std::uint32_t InputRegion = 0;
    std::uint32_t SolidRegion = 0;
    int Width = 0;
    int Height = 0;
    // The body cut of the picture's direction at its scale (an index of the cuts), 0 for a
    // picture outside the fly set.
    int Cut = 0;
};

// The body of a direction when nothing composites: the pixels solid in every picture of the
// direction seen so far, one cut for each direction at each scale. The legs move from frame to
// frame and the body does not, so a fly cut to it keeps one shape for a whole run, instead of
// changing it, and making the server repaint the desktop behind it piece by piece, at every step.
struct XcbCut {
    std::vector<std::uint8_t> Bits;
    xcb_pixmap_t Mask = 0;
    std::uint32_t Region = 0;
};

class XcbSprites {
  public:
    // Finds the 32-bit ARGB visual and starts to watch the compositing manager's selection.
    // With `trimmed`, every picture is cut down to a box of one size that holds its visible
    // pixels (VisibleBoxSide). Throws Failure when the server offers no such visual.
    XcbSprites(xcb_connection_t* connection, int screenNumber, bool trimmed);
    ~XcbSprites();
    XcbSprites(const XcbSprites&) = delete;
    XcbSprites& operator=(const XcbSprites&) = delete;

    // The server's copy of a sprite, uploaded at its first use.
    const XcbSprite& Get(const CachedSprite& sprite);

    xcb_connection_t* Connection() const { return connection_; }
    xcb_screen_t* Screen() const { return screen_; }
    xcb_visualid_t Visual() const { return visual_; }
    xcb_colormap_t Colormap() const { return colormap_; }

    // Sets a window's input shape to a sprite's pixels with alpha > 0.
    void SetInputShape(xcb_window_t window, const XcbSprite& sprite);
    // What a window showing the sprite is cut to when nothing composites: all its solid pixels
    // (`whole`), or the body of its direction. An id that changes whenever the shape does.
    std::uint32_t CutOf(const XcbSprite& sprite, bool whole) const;
    // Clips a window to a cut, or (with 0) not at all.
    void SetBoundingShape(xcb_window_t window, std::uint32_t cut);

    // Whether the windows' alpha is blended: a compositing manager owns the screen's
    // _NET_WM_CM_Sn selection, or the pictures are trimmed for a Wayland compositor, which
    // blends every window.
    bool Compositing() const { return compositing_ || trimmed_; }
    // Takes a change of the compositing manager's selection; true when it was one.
    bool HandleEvent(const xcb_generic_event_t* event);

  private:
    // Uploads 1-bit mask pixels (one byte a pixel, 0 or 1) as a server bitmap.
    xcb_pixmap_t UploadMask(const std::vector<std::uint8_t>& bits, int width, int height);
    // Reads who owns the compositing selection now.
    void ReadCompositorOwner();
    // Narrows a direction's cut to the solid pixels of one more of its pictures.
    void NarrowCut(int index, const std::vector<std::uint8_t>& solid, int width, int height);

    xcb_connection_t* connection_;
    xcb_screen_t* screen_ = nullptr;
    xcb_visualid_t visual_ = 0;
    xcb_colormap_t colormap_ = 0;
    xcb_gcontext_t pictureGc_ = 0;
    xcb_gcontext_t maskGc_ = 0;
    xcb_atom_t compositorSelection_ = 0;
    xcb_window_t watcher_ = 0;
    std::uint8_t xfixesEvent_ = 0;
    bool haveXfixes_ = false;
    bool compositing_ = false;
    bool trimmed_;
    // By CachedSprite::Id; Picture 0 while not uploaded. A deque, as windows keep pointers to
    // the sprites they show and more sprites are added later.
    std::deque<XcbSprite> sprites_;
    // By direction + 9 x scale index; those of direction 0 are unused.
    std::array<XcbCut, (kDirections + 1) * kFlyScaleCount> cuts_;
};

}  // namespace quillop
