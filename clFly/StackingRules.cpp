#include "clFly/StackingRules.h"

#include <algorithm>

namespace quillop {

bool RestackBudget::Take(std::int64_t nowMs) {
    while (!recent_.empty() && nowMs - recent_.front() >= 1000) {
        recent_.pop_front();
    }
    if (static_cast<int>(recent_.size()) >= kMaxPerSecond) {
        return false;
    }
    recent_.push_back(nowMs);
    return true;
}

std::int64_t RestackBudget::FreeAt() const {
    return static_cast<int>(recent_.size()) < kMaxPerSecond ? 0 : recent_.front() + 1000;
}

std::vector<std::uint32_t> FliesToRaise(std::span<const StackedWindow> bottomToTop) {
    std::vector<std::uint32_t> topMost;
    bool covered = false;
    for (const StackedWindow& window : bottomToTop) {
        switch (window.Role) {
            case StackRole::TopMostFly:
                topMost.push_back(window.Id);
                break;
            case StackRole::LowerFly:
                covered = covered || !topMost.empty();
                break;
            case StackRole::Other:
                covered = covered || (!topMost.empty() && window.Covers);
                break;
            case StackRole::HiddenFly:
                break;
        }
    }
    if (!covered) {
        topMost.clear();
    }
    return topMost;
}

std::uint32_t LowerFliesAnchor(std::span<const StackedWindow> bottomToTop) {
    std::uint32_t anchor = 0;
    for (const StackedWindow& window : bottomToTop) {
        if (window.Role == StackRole::Other && window.Covers) {
            anchor = window.Id;
        }
    }
    return anchor;
}

bool IsCoveredFly(const Rect& fly, std::int64_t loweredAtMs,
                  std::span<const RaisedWindow> windows) {
    return std::any_of(windows.begin(), windows.end(), [&](const RaisedWindow& window) {
        const Rect& w = window.Area;
        return window.RaisedAtMs > loweredAtMs && fly.Left < w.Left + w.Width &&
               w.Left < fly.Left + fly.Width && fly.Top < w.Top + w.Height &&
               w.Top < fly.Top + fly.Height;
    });
}

}  // namespace quillop
