#include "clFly/x11/XcbFlyWindow.h"

#include <unistd.h>

#include <algorithm>
#include <string>

#include "clFly/ExternalNames.h"

namespace quillop {

namespace {

// Without a compositor, up to this many shown flies are cut to all their solid pixels, legs and
// all; more are cut to their bodies.
constexpr int kWholeCutLimit = 10;

// No exposures: the server repaints an uncovered fly itself from its background, the sprite.
constexpr std::uint32_t kFlyEventMask = XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_BUTTON_PRESS;
// A managed window also hears where the window manager put it.
constexpr std::uint32_t kManagedFlyEventMask = kFlyEventMask | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
// How long a managed fly waits for the window manager to answer a move before it asks again.
constexpr std::int64_t kMoveAnswerMs = 100;
// The least time between two flies' windows mapped as they are shown: 99 flies in 2 s.
constexpr std::int64_t kShowSpacingMs = 20;

}  // namespace

void XcbFlyWindow::OnTimerExpiry() {
    // The fly may destroy this window inside; nothing here touches it afterwards.
    events_.OnTimer();
}

XcbFlyWindow::XcbFlyWindow(XcbFlyDisplay& display, FlyTimers& timers, FlyEvents& events,
                           const std::string& name, const Rect& bounds)
    : display_(display),
      timers_(timers),
      events_(events),
      connection_(display.connection_),
      window_(xcb_generate_id(connection_)),
      bounds_(bounds),
      wanted_(bounds) {
    XcbSprites& sprites = display.sprites_;
    const std::uint32_t values[] = {XCB_BACK_PIXMAP_NONE, 0, 1, kFlyEventMask, sprites.Colormap()};
    xcb_create_window(connection_, 32, window_, sprites.Screen()->root,
                      static_cast<std::int16_t>(bounds.Left), static_cast<std::int16_t>(bounds.Top),
                      static_cast<std::uint16_t>(std::max(bounds.Width, 1)),
                      static_cast<std::uint16_t>(std::max(bounds.Height, 1)), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, sprites.Visual(),
                      XCB_CW_BACK_PIXMAP | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT |
                          XCB_CW_EVENT_MASK | XCB_CW_COLORMAP,
                      values);
    const xcb_atom_t* atoms = display.atoms_;
    auto property = [&](xcb_atom_t name, xcb_atom_t type, int format, std::size_t count,
                        const void* data) {
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, name, type,
                            static_cast<std::uint8_t>(format), static_cast<std::uint32_t>(count),
                            data);
    };
    property(XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, name.size(), name.data());
    property(atoms[XcbFlyDisplay::kNetWmName], atoms[XcbFlyDisplay::kUtf8String], 8, name.size(),
             name.data());
    const std::string wmClass = std::string(kFlyX11Instance) + '\0' + kX11Class + '\0';
    property(XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, wmClass.size(), wmClass.data());
    // WM_HINTS: the input field is set and false, so the window never takes the focus.
    const std::uint32_t wmHints[9] = {1, 0, 0, 0, 0, 0, 0, 0, 0};
    property(XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32, 9, wmHints);
    property(atoms[XcbFlyDisplay::kNetWmWindowType], XCB_ATOM_ATOM, 32, 1,
             &atoms[XcbFlyDisplay::kNetWmWindowTypeUtility]);
    property(atoms[XcbFlyDisplay::kWmProtocols], XCB_ATOM_ATOM, 32, 1,
             &atoms[XcbFlyDisplay::kWmDeleteWindow]);
    const std::uint32_t pid = static_cast<std::uint32_t>(getpid());
    property(atoms[XcbFlyDisplay::kNetWmPid], XCB_ATOM_CARDINAL, 32, 1, &pid);
    // For a window manager that manages the fly: the place is the program's (USPosition and
    // PPosition), and there is no frame (Motif's decorations flag with none).
    std::uint32_t sizeHints[18] = {1 | 4};
    property(XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32, 18, sizeHints);
    const std::uint32_t motifHints[5] = {2, 0, 0, 0, 0};
    property(atoms[XcbFlyDisplay::kMotifWmHints], atoms[XcbFlyDisplay::kMotifWmHints], 32, 5,
             motifHints);
    WriteStateProperty();
    display.windows_[window_] = this;
}

XcbFlyWindow::~XcbFlyWindow() {
    StopTimer();
    display_.pacer_.Unmark(*this);
    display_.ForgetHandover(*this);
    if (mapped_) {
        --display_.shownCount_;
    }
    display_.windows_.erase(window_);
    xcb_destroy_window(connection_, window_);
    xcb_flush(connection_);
}

void XcbFlyWindow::StartTimer(int intervalMs) {
    StopTimer();
    timerId_ = timers_.Start(*this, intervalMs);
}

void XcbFlyWindow::StopTimer() {
    if (timerId_ != 0) {
        timers_.Stop(timerId_);
        timerId_ = 0;
    }
}

PresentResult XcbFlyWindow::Present(Point at, const CachedSprite* cached) {
    // NOTE: the window was made with an alpha channel, so there is no transparency to be
    // refused, and the shared pictures are copied at full opacity as they are.
    const XcbSprite* sprite = cached != nullptr ? &display_.sprites_.Get(*cached) : wantedSprite_;
    Rect wanted{at.Left, at.Top, wanted_.Width, wanted_.Height};
    if (sprite != nullptr) {
        wanted = {at.Left + sprite->Left, at.Top + sprite->Top, sprite->Width, sprite->Height};
    }
    // The step waits with the display, which sends each fly's newest at the server's pace.
    if (sprite != wantedSprite_ || wanted != wanted_) {
        const bool moved = wanted != wanted_;
        wanted_ = wanted;
        wantedSprite_ = sprite;
        display_.pacer_.Mark(*this);
        if (moved) {
            UpdateCover();
        }
    }
    return {};
}

bool XcbFlyWindow::SendStep() {
    // A window manager that is behind gets the next move once it has placed the window.
    const std::int64_t now = SteadyClockMs();
    if (awaitingMove_ && now - moveAskedAtMs_ < kMoveAnswerMs) {
        return false;
    }
    // One request for the whole move.
    std::uint16_t mask = 0;
    std::uint32_t values[4];
    int count = 0;
    auto change = [&](int Rect::*field, std::uint16_t bit) {
        if (wanted_.*field != bounds_.*field) {
            mask |= bit;
            values[count++] = static_cast<std::uint32_t>(wanted_.*field);
        }
    };
    change(&Rect::Left, XCB_CONFIG_WINDOW_X);
    change(&Rect::Top, XCB_CONFIG_WINDOW_Y);
    change(&Rect::Width, XCB_CONFIG_WINDOW_WIDTH);
    change(&Rect::Height, XCB_CONFIG_WINDOW_HEIGHT);
    if (mask != 0) {
        xcb_configure_window(connection_, window_, mask, values);
        bounds_ = wanted_;
        awaitingMove_ = managed_;
        moveAskedAtMs_ = now;
    }
    if (wantedSprite_ != nullptr && wantedSprite_ != shown_) {
        ShowPicture(*wantedSprite_);
    }
    if (mapWanted_) {
        // NOTE: each window mapped makes XWayland send its compositor a new surface and buffer.
        // 99 of them at once filled XWayland's connection while GNOME Shell, its window
        // manager, waited for an X reply: every X client stood still for seconds. Flies shown
        // at once come one every few milliseconds.
        if (now - display_.shownAtMs_ < kShowSpacingMs) {
            return false;
        }
        display_.shownAtMs_ = now;
        mapWanted_ = false;
        if (!covered_) {
            xcb_map_window(connection_, window_);
        }
    }
    return true;
}

bool XcbFlyWindow::HandOver() {
    handoverQueued_ = false;
    const bool managed = display_.managedBelow_ && !topMost_;
    if (managed == managed_) {
        return false;
    }
    managed_ = managed;
    awaitingMove_ = false;
    // NOTE: the server and the window manager take the override-redirect flag only when the
    // window is mapped, so a shown fly is unmapped (and withdrawn) and mapped again.
    const bool onScreen = mapped_ && !covered_ && !mapWanted_;
    if (onScreen) {
        xcb_unmap_window(connection_, window_);
    }
    const std::uint32_t values[] = {managed ? 0u : 1u,
                                    managed ? kManagedFlyEventMask : kFlyEventMask};
    xcb_change_window_attributes(connection_, window_, XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK,
                                 values);
    if (onScreen) {
        xcb_map_window(connection_, window_);
    }
    xcb_flush(connection_);
    return onScreen && managed;
}

void XcbFlyWindow::WriteStateProperty() {
    const xcb_atom_t* atoms = display_.atoms_;
    xcb_atom_t state[3] = {atoms[XcbFlyDisplay::kNetWmStateSkipTaskbar],
                           atoms[XcbFlyDisplay::kNetWmStateSkipPager],
                           atoms[XcbFlyDisplay::kNetWmStateAbove]};
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_,
                        atoms[XcbFlyDisplay::kNetWmState], XCB_ATOM_ATOM, 32, topMost_ ? 3 : 2,
                        state);
}

void XcbFlyWindow::Show() {
    if (mapped_) {
        return;
    }
    mapped_ = true;
    ++display_.shownCount_;
    covered_ = false;
    // The window is mapped with the fly's next step, where and as it was last put.
    mapWanted_ = true;
    UpdateCover();
    display_.pacer_.Mark(*this);
    display_.stacking_.MarkChanged();
}

void XcbFlyWindow::Hide() {
    if (!mapped_) {
        return;
    }
    mapped_ = false;
    --display_.shownCount_;
    covered_ = false;
    if (mapWanted_) {
        mapWanted_ = false;
        return;
    }
    xcb_unmap_window(connection_, window_);
    xcb_flush(connection_);
}

void XcbFlyWindow::SetTopMost(bool topMost) {
    if (topMost != topMost_) {
        topMost_ = topMost;
        WriteStateProperty();
    }
    if (!topMost) {
        loweredAtMs_ = SteadyClockMs();
    }
    if (display_.managedBelow_ && !handoverQueued_ && topMost_ == managed_) {
        handoverQueued_ = true;
        display_.QueueHandover(*this);
    }
    UpdateCover();
    if (!mapped_) {
        return;
    }
    // Raised within its group: a top-most fly to the top now, and so a managed one, whose
    // window manager stacks it among its windows; else to the top of the managed windows at
    // the next flush.
    if (topMost || managed_) {
        const std::uint32_t above[] = {XCB_STACK_MODE_ABOVE};
        xcb_configure_window(connection_, window_, XCB_CONFIG_WINDOW_STACK_MODE, above);
        display_.stacking_.MarkChanged();
        xcb_flush(connection_);
    } else {
        display_.stacking_.Lower(window_);
    }
}

void XcbFlyWindow::UpdateCover() {
    const bool covered =
        mapped_ && !topMost_ && IsCoveredFly(wanted_, loweredAtMs_, display_.raised_);
    if (covered == covered_) {
        return;
    }
    covered_ = covered;
    // A window still to be mapped is mapped then only if it is not covered.
    if (mapWanted_) {
        return;
    }
    if (covered) {
        xcb_unmap_window(connection_, window_);
    } else {
        xcb_map_window(connection_, window_);
    }
    xcb_flush(connection_);
}

void XcbFlyWindow::ShowPicture(const XcbSprite& sprite) {
    shown_ = &sprite;
    // The sprite becomes the window's background, which the server paints wherever the window
    // is uncovered, and is painted now over the whole window.
    const std::uint32_t background[] = {sprite.Picture};
    xcb_change_window_attributes(connection_, window_, XCB_CW_BACK_PIXMAP, background);
    display_.sprites_.SetInputShape(window_, sprite);
    if (!display_.sprites_.Compositing() || cut_ != 0) {
        ApplyBoundingShape();
    }
    xcb_clear_area(connection_, 0, window_, 0, 0, 0, 0);
}

void XcbFlyWindow::ApplyBoundingShape() {
    std::uint32_t cut = 0;
    if (!display_.sprites_.Compositing() && shown_ != nullptr) {
        // A few flies keep their legs; many are cut to their bodies, whose shape does not
        // change while they walk (the server's repainting grows with flies times shapes).
        cut = display_.sprites_.CutOf(*shown_, display_.shownCount_ <= kWholeCutLimit);
    }
    if (cut != cut_) {
        display_.sprites_.SetBoundingShape(window_, cut);
        cut_ = cut;
    }
}

}  // namespace quillop
