// Keeps the top-most fly windows above every window the window manager manages. Fly windows
// bypass the window manager (override-redirect), so nobody else keeps them on top.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

namespace quillop {

// How often the flies may take the top back. Two programs that both want to be on top would
// otherwise raise their windows over each other forever; past the limit the flies give way and
// try again once the oldest restack of the last second has aged out.
class RestackBudget {
  public:
    static constexpr int kMaxPerSecond = 5;

    // Whether a restack may run at `nowMs`; counts it when it may.
    bool Take(std::int64_t nowMs);
    // When the next restack may run; 0 while one may run now.
    std::int64_t FreeAt() const;

  private:
    std::deque<std::int64_t> recent_;
};

// Watches the root window's children and raises the top-most flies again when a managed window
// or another fly came above them. Changes are gathered: one look at the stacking, and at most
// one restack, per burst of events.
class FlyStacking {
  public:
    // What a child of the root is to the flies.
    enum class Role {
        Other,       // another program's window, or one of ours that is no fly
        TopMostFly,  // a shown fly that stays on top
        LowerFly,    // a shown fly that is not top-most
        HiddenFly,   // a fly that will not be seen again
    };
    using RoleOf = std::function<Role(xcb_window_t)>;

    // Watches on a connection of its own to the display: every step of every fly comes back as
    // an event, and on the program's main connection each would go through the whole toolkit.
    // Looks and restacks on the flies' connection, after the requests that made the flies.
    FlyStacking(xcb_connection_t* connection, xcb_window_t root);
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
    // Stacks the lowered flies just above the highest viewable managed window, below which a
    // window manager raises the windows it manages.
    void PlaceLowered(const xcb_window_t* children, int count, const RoleOf& roleOf);

    xcb_connection_t* connection_;
    xcb_window_t root_;
    xcb_connection_t* watch_ = nullptr;
    bool changed_ = false;
    std::vector<xcb_window_t> lowered_;
    RestackBudget budget_;
};

}  // namespace quillop
