#pragma once
#include <cstdint>

namespace quillwave {

// The two time sources a job measures itself with: a high-resolution counter for the
// duration of each frame unit, and a millisecond tick that paces the progress checks.
// Tests substitute a scripted clock.
class Clock {
public:
    virtual ~Clock() = default;
    // Counts per second of counter(); 0 when no high-resolution counter exists.
    virtual std::int64_t counterFrequency() const = 0;
    virtual std::int64_t counter() const = 0;
    // Milliseconds from an arbitrary origin.
    virtual std::int32_t ticks() const = 0;
};

// The steady clock of the standard library, in nanoseconds and milliseconds.
Clock& systemClock();

} // namespace quillwave
