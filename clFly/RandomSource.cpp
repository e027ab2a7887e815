#include "clFly/RandomSource.h"

namespace quillop {

std::int32_t RandomSource::Random(std::int32_t n) {
    state_ = state_ * 134775813u + 1u;
    const std::uint64_t product =
        static_cast<std::uint64_t>(state_) * static_cast<std::uint32_t>(n);
    return static_cast<std::int32_t>(product >> 32);
}

void RandomSource::Randomize(const Clock& clock) {
    if (const auto counter = clock.HighResolutionCounter()) {
        state_ = static_cast<std::uint32_t>(*counter);
    } else {
        state_ = clock.TickCount();
    }
}

RandomSource& ProcessRandom() {
    static RandomSource random;
    return random;
}

}  // namespace quillop
