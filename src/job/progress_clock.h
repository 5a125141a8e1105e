#pragma once
#include <cstdint>
#include <string>

#include "analysis/unit_progress.h"
#include "job/job_host.h"
#include "job/job_state.h"
#include "platform/clock.h"

namespace quillwave {

inline constexpr std::int32_t kCheckIntervalTicks = 100;

// Times every frame unit and, at most about ten times a second, runs a progress check: it
// looks for an abort request, estimates the remaining time, refreshes the progress window
// and lets the window system handle what is pending.
class ProgressClock final : public UnitProgress {
public:
    ProgressClock(JobState& state, JobHost& host, const Clock& clock);

    // Reads the counter frequency; false when there is no high-resolution counter.
    bool readFrequency();
    // A phase begins: no check for the next 100 ticks.
    void restartPhase();

    void startUnit() override;
    bool finishUnit(const UnitPosition& last, int units = 1) override;

    double unitMicroseconds() const { return unitMicroseconds_; }

    // Units still to do after `last` has finished (the analysis count includes `last`).
    static std::int64_t remainingUnits(const UnitPosition& last);
    static double remainingSeconds(std::int64_t remainingUnits, double unitMicroseconds);

private:
    JobState& state_;
    JobHost& host_;
    const Clock& clock_;
    std::int64_t frequency_ = 0;
    std::int64_t unitStart_ = 0;
    double unitMicroseconds_ = 0.0;
    std::int32_t lastCheck_ = 0;
};

// The line the progress window and the command line show: "残り時間約" N "＋α" "秒", with N the
// remaining seconds truncated (the estimate already rounds up) and "＋α" while the level pass,
// which the estimate does not cover yet, is still to come.
std::string progressText(double remainingSeconds, bool firstPhase);

} // namespace quillwave
