#pragma once
#include <cstdint>

namespace quillwave {

enum class Phase { Analysis, Levels };

// Where a frame unit lies in its phase: pass p of P (analysis only), voice v, frame f of F.
struct UnitPosition {
    Phase phase = Phase::Analysis;
    int pass = 0;
    int passCount = 1;
    int voice = 0;
    std::int32_t frame = 0;
    std::int32_t frameCount = 1;
};

// What the engine reports its frame units to. A unit is one frame of one voice.
class UnitProgress {
public:
    virtual ~UnitProgress() = default;
    virtual void startUnit() = 0;
    // `units` units, ending with `last`, have finished since startUnit (more than one when
    // they ran as a parallel batch). Returns false when the job was aborted: stop at once.
    virtual bool finishUnit(const UnitPosition& last, int units = 1) = 0;
};

// Progress that is never shown and never aborts.
class NoProgress final : public UnitProgress {
public:
    void startUnit() override {}
    bool finishUnit(const UnitPosition&, int) override { return true; }
};

} // namespace quillwave
