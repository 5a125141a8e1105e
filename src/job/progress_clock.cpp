#include "job/progress_clock.h"

#include <cmath>
#include <limits>

#include "analysis/frame_geometry.h"

namespace quillwave {

ProgressClock::ProgressClock(JobState& state, JobHost& host, const Clock& clock)
    : state_(state), host_(host), clock_(clock)
{
}

bool ProgressClock::readFrequency()
{
    frequency_ = clock_.counterFrequency();
    return frequency_ > 0;
}

void ProgressClock::restartPhase() { lastCheck_ = clock_.ticks(); }

void ProgressClock::startUnit() { unitStart_ = clock_.counter(); }

std::int64_t ProgressClock::remainingUnits(const UnitPosition& u)
{
    const std::int64_t frames = u.frameCount;
    if (u.phase == Phase::Analysis)
        return (static_cast<std::int64_t>(u.passCount - 1 - u.pass) * kVoiceCount + (kVoiceCount - 1 - u.voice)) *
                   frames +
               (frames - u.frame);
    return static_cast<std::int64_t>(kVoiceCount - 1 - u.voice) * frames + (frames - 1 - u.frame);
}

double ProgressClock::remainingSeconds(std::int64_t remainingUnits, double unitMicroseconds)
{
    return (static_cast<double>(remainingUnits) * unitMicroseconds + 999999.0) / 1000000.0;
}

bool ProgressClock::finishUnit(const UnitPosition& last, int units)
{
    // A batch of units run together is timed as a whole and shared out evenly.
    const std::int64_t elapsed = clock_.counter() - unitStart_;
    std::int64_t micros =
        frequency_ > 0 ? static_cast<std::int64_t>(static_cast<__int128>(elapsed) * 1000000 / frequency_) : 0;
    if (units > 1)
        micros /= units;
    unitMicroseconds_ = static_cast<double>(micros);

    // Differences, not sums, so a wrapping tick still compares correctly.
    if (static_cast<std::int32_t>(static_cast<std::uint32_t>(clock_.ticks()) -
                                  static_cast<std::uint32_t>(lastCheck_)) <= kCheckIntervalTicks)
        return true;
    if (state_.abortRequested)
        return false;
    state_.remainingSeconds = remainingSeconds(remainingUnits(last), unitMicroseconds_);
    if (state_.progressWindow)
        host_.refreshProgressWindow();
    host_.pumpMessages();
    lastCheck_ = clock_.ticks();
    return true;
}

std::string progressText(double remainingSeconds, bool firstPhase)
{
    // Clamped first: a cast of a value outside the 32-bit range (or of NaN) is undefined.
    constexpr double kLow = std::numeric_limits<std::int32_t>::min();
    constexpr double kHigh = std::numeric_limits<std::int32_t>::max();
    std::int32_t seconds = 0;
    if (!std::isnan(remainingSeconds))
        seconds = static_cast<std::int32_t>(std::fmax(kLow, std::fmin(kHigh, remainingSeconds)));
    return "残り時間約" + std::to_string(seconds) + (firstPhase ? "＋α" : "") + "秒";
}

} // namespace quillwave
