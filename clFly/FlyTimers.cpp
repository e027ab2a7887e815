#include "clFly/FlyTimers.h"

#include <algorithm>
#include <limits>

namespace quillop {

namespace {

// Expiries fall on multiples of this many milliseconds. The step period (10 ms) is a multiple,
// so a walking fly keeps its exact period once started.
constexpr std::int64_t kSlotMs = 10;

// The slot nearest to a time, but never at or before now: a timer started just after a slot
// began (as the step timer is, inside the tick that ends a rest) still gets its full period
// give or take half a slot, rather than waiting for the slot after.
std::int64_t NearestSlotAfter(std::int64_t ms, std::int64_t now) {
    const std::int64_t slot = (ms + kSlotMs / 2) / kSlotMs * kSlotMs;
    return slot > now ? slot : slot + kSlotMs;
}

}  // namespace

FlyTimers::FlyTimers(TimerWake& wake) : wake_(wake) {
    wake_.SetHandler([this] { Expire(); });
}

std::int64_t FlyTimers::Start(TimerTarget& target, int intervalMs) {
    const std::int64_t id = ++lastId_;
    const int interval = std::max(intervalMs, 1);
    const std::int64_t now = wake_.NowMs();
    entries_.push_back(Entry{id, &target, interval, NearestSlotAfter(now + interval, now)});
    Arm();
    return id;
}

void FlyTimers::Stop(std::int64_t id) {
    // A wake-up left for a stopped timer finds nothing due and sets the next one.
    if (const Entry* entry = Find(id)) {
        entries_.erase(entries_.begin() + (entry - entries_.data()));
    }
}

FlyTimers::Entry* FlyTimers::Find(std::int64_t id) {
    const auto found =
        std::lower_bound(entries_.begin(), entries_.end(), id,
                         [](const Entry& entry, std::int64_t key) { return entry.Id < key; });
    return found != entries_.end() && found->Id == id ? &*found : nullptr;
}

void FlyTimers::Arm() {
    std::int64_t earliest = std::numeric_limits<std::int64_t>::max();
    for (const Entry& entry : entries_) {
        earliest = std::min(earliest, entry.Due);
    }
    if (entries_.empty()) {
        wake_.Stop();
        return;
    }
    // A wake-up already set for that time or earlier stays: one that comes early finds nothing
    // due and sets the next. Restarting the wake-up for every fly that starts a run costs more.
    if (wake_.IsActive() && armedFor_ <= earliest) {
        return;
    }
    armedFor_ = earliest;
    wake_.Start(std::clamp<std::int64_t>(earliest - wake_.NowMs(), 0, 1 << 30));
}

void FlyTimers::Expire() {
    const std::int64_t now = wake_.NowMs();
    // All due timers get their next expiry before any target runs, and the wake-up is set,
    // so that a message box opened by one target lets every timer tick on inside it.
    struct Due {
        std::int64_t When;
        std::int64_t Id;
        std::int64_t Next;
    };
    std::vector<Due> due;
    due.reserve(entries_.size());
    for (Entry& entry : entries_) {
        if (entry.Due <= now) {
            const std::int64_t when = entry.Due;
            // Expiries that piled up count once: one that fell a period behind or more is next
            // due a period from now.
            std::int64_t next = when + entry.Interval;
            if (next <= now) {
                next = now + entry.Interval;
            }
            entry.Due = NearestSlotAfter(next, now);
            due.push_back({when, entry.Id, entry.Due});
        }
    }
    std::sort(due.begin(), due.end(), [](const Due& a, const Due& b) {
        return a.When != b.When ? a.When < b.When : a.Id < b.Id;
    });
    Arm();
    for (const Due& expiry : due) {
        // A target may have stopped or restarted this timer, or destroyed another meanwhile;
        // one that already expired again inside a message box is not run twice.
        const Entry* entry = Find(expiry.Id);
        if (entry != nullptr && entry->Due == expiry.Next) {
            entry->Target->OnTimerExpiry();
        }
    }
}

}  // namespace quillop
