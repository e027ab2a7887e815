#include "clFly/x11/XcbPacer.h"

#include <xcb/xcbext.h>

#include <algorithm>

#include "clFly/x11/XcbReply.h"

namespace quillop {

namespace {

// How soon a batch held back is tried again: a server that answers within a step's 10 ms
// misses no step.
constexpr int kRetryMs = 4;

}  // namespace

XcbPacer::~XcbPacer() {
    if (retryTimer_ != 0) {
        timers_.Stop(retryTimer_);
    }
    if (waiting_) {
        xcb_discard_reply(connection_, *waiting_);
    }
}

void XcbPacer::Mark(PacedWindow& window) {
    if (!window.pending_) {
        window.pending_ = true;
        pending_.push_back(&window);
    }
}

void XcbPacer::Unmark(PacedWindow& window) {
    if (window.pending_) {
        window.pending_ = false;
        pending_.erase(std::find(pending_.begin(), pending_.end(), &window));
    }
}

void XcbPacer::Send() {
    if (pending_.empty()) {
        return;
    }
    if (!Ready()) {
        if (retryTimer_ == 0) {
            retryTimer_ = timers_.Start(*this, kRetryMs);
        }
        return;
    }
    std::erase_if(pending_, [](PacedWindow* window) {
        window->pending_ = !window->SendStep();
        return !window->pending_;
    });
    // The server answers requests in order: this reply comes after everything before it.
    waiting_ = xcb_get_input_focus(connection_).sequence;
    xcb_flush(connection_);
    if (!pending_.empty() && retryTimer_ == 0) {
        retryTimer_ = timers_.Start(*this, kRetryMs);
    }
}

void XcbPacer::OnTimerExpiry() {
    timers_.Stop(retryTimer_);
    retryTimer_ = 0;
    Send();
}

bool XcbPacer::Ready() {
    if (!waiting_) {
        return true;
    }
    void* reply = nullptr;
    xcb_generic_error_t* error = nullptr;
    // A broken connection never answers; the program learns of it elsewhere and ends.
    if (xcb_poll_for_reply(connection_, *waiting_, &reply, &error) == 0 &&
        xcb_connection_has_error(connection_) == 0) {
        return false;
    }
    const XcbReply<void> answer(reply);
    const XcbReply<xcb_generic_error_t> refusal(error);
    waiting_.reset();
    return true;
}

}  // namespace quillop
