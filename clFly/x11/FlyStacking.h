// Keeps the top-most fly windows above every window the window manager manages. Fly windows
// bypass the window manager (override-redirect), so nobody else keeps them on top.
#pragma once

#include <xcb/xcb.h>

#include <functional>
#include <vector>

#include "clFly/StackingRules.h"

namespace quillop {

// Watches the root window's children and raises the top-most flies again when a managed window
// or another fly came above them. Changes are gathered: one look at the stacking, and at most
// one restack, per burst of events.
class FlyStacking {
  public:
    // What a child of the root is to the flies.
    using Role = StackRole;
    using RoleOf = std::function<Role(xcb_window_t)>;

    // Watches on a connection of its own to the display: every step of every fly comes back as
    // an event, and on the program's main connection each would go through the whole toolkit.
    // Looks and restacks on the flies' connection, after the requests that made the flies.
    // With `watched` false nothing is watched or restacked: where the compositor draws the flies
    // above every window whatever their stacking, as XWayland's do.
    FlyStacking(xcb_connection_t* connection, xcb_window_t root, bool watched);
    ~FlyStacking();
    FlyStacking(const FlyStacking&) = delete;
    FlyStacking& operator=(const FlyStacking&) = delete;

    // The watching connection's socket, readable when events wait; -1 when nothing is watched.
    int FileDescriptor() const;
    // Something in the program changed the stacking; looked at by the next Update.
    void MarkChanged() { changed_ = true; }
    // Puts a fly that is not top-most at the top of the managed windows at the next Update, so
    // that the next window the window manager raises covers it.
    void Lower(xcb_window_t fly);
    // Takes the events that wait; when anything changed since the last call, places the flies
    // that were lowered, and puts the top-most flies back above every viewable managed window
    // and every other fly, keeping their order among themselves.
    void Update(const RoleOf& roleOf);

  private:
    // Takes the events that wait.
    void ReadEvents(const RoleOf& roleOf);
    void Restack(const RoleOf& roleOf);
    // Takes one event; marks a change when a window that is no fly was mapped or restacked.
    void HandleEvent(const xcb_generic_event_t* event, const RoleOf& roleOf);
    // The children of the root, bottom to top, with whether the windows that are no fly cover
    // what is beneath them: all of them when `all`, else those above the lowest top-most fly.
    std::vector<StackedWindow> Children(const RoleOf& roleOf, bool all);
    // Stacks the lowered flies just above the highest covering window, below which a window
    // manager raises the windows it manages.
    void PlaceLowered(const std::vector<StackedWindow>& windows, const RoleOf& roleOf);

    xcb_connection_t* connection_;
    xcb_window_t root_;
    xcb_connection_t* watch_ = nullptr;
    bool changed_ = false;
    std::vector<xcb_window_t> lowered_;
    RestackBudget budget_;
};

}  // namespace quillop
