#include "clFly/StackingRules.h"

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

}  // namespace quillop
