#include "platform/clock.h"

#include <chrono>

namespace quillwave {
namespace {

class SteadyClock final : public Clock {
public:
    std::int64_t counterFrequency() const override { return 1'000'000'000; }
    std::int64_t counter() const override
    {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    std::int32_t ticks() const override
    {
        // Wraps after 24 days of uptime; only differences of a few seconds are ever taken.
        return static_cast<std::int32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                             std::chrono::steady_clock::now().time_since_epoch())
                                             .count());
    }
};

} // namespace

Clock& systemClock()
{
    static SteadyClock clock;
    return clock;
}

} // namespace quillwave
