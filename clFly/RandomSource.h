// The one process-wide pseudo-random generator every fly draws from.
#pragma once

#include <cstdint>
#include <optional>

namespace quillop {

// The clocks the generator is restarted from; tests supply fixed ones.
class Clock {
  public:
    virtual ~Clock() = default;
    // The high-resolution performance counter, or nothing where the platform has none.
    virtual std::optional<std::uint64_t> HighResolutionCounter() const = 0;
    // Milliseconds since the system started, wrapping at 2^32.
    virtual std::uint32_t TickCount() const = 0;
};

// A linear congruential generator: state := state * 134775813 + 1 (mod 2^32); a draw of
// Random(n) is the upper 32 bits of the 64-bit product state * n.
class RandomSource {
  public:
    // A number in 0..n-1, for n >= 1.
    std::int32_t Random(std::int32_t n);
    // Restarts the sequence from the low 32 bits of the high-resolution counter, or from the
    // tick count where there is no such counter.
    void Randomize(const Clock& clock);

    std::uint32_t State() const { return state_; }
    void SetState(std::uint32_t state) { state_ = state; }

  private:
    std::uint32_t state_ = 0;
};

// The generator shared by all flies of the process.
RandomSource& ProcessRandom();

}  // namespace quillop
