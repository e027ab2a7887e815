// Paces the flies' steps to the X server's own speed.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "clFly/FlyTimers.h"

namespace quillop {

// A window whose newest step (place, picture) waits to be sent.
class PacedWindow {
  public:
    // Writes the requests of the window's newest step; false when the window cannot take one
    // yet, and the step waits for the next batch.
    virtual bool SendStep() = 0;

  protected:
    ~PacedWindow() = default;

  private:
    friend class XcbPacer;
    bool pending_ = false;
};

// Keeps at most one batch of steps in flight: the next batch goes out once the server has
// handled the one before, with each window's newest step that it can take. A server that falls
// behind (XWayland under a busy compositor) then gets fewer, later batches instead of a queue that
// grows until it gives up; one that keeps up gets every step.
class XcbPacer final : private TimerTarget {
  public:
    XcbPacer(xcb_connection_t* connection, FlyTimers& timers)
        : connection_(connection), timers_(timers) {}
    ~XcbPacer() override;
    XcbPacer(const XcbPacer&) = delete;
    XcbPacer& operator=(const XcbPacer&) = delete;

    // The window has a new step to send.
    void Mark(PacedWindow& window);
    // Forgets the window's step (the window is going).
    void Unmark(PacedWindow& window);
    // Sends every waiting step if the server has handled the batch before, or tries again in
    // a few milliseconds.
    void Send();

  private:
    void OnTimerExpiry() override;
    // Whether the server has handled every batch sent so far; asks nothing of it.
    bool Ready();

    xcb_connection_t* connection_;
    FlyTimers& timers_;
    std::vector<PacedWindow*> pending_;
    // The request whose reply says the last batch was handled.
    std::optional<unsigned int> waiting_;
    std::int64_t retryTimer_ = 0;
};

}  // namespace quillop
