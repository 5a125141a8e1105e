#pragma once
#include <functional>

#include "analysis/analysis_engine.h"

namespace quillwave::test {

// Walks the frame units of both phases like the analysis does, without analysing anything,
// and lets a test act inside any unit. Each measured frame gets a level, so a written file
// can be told from an untouched one.
class SteppingEngine final : public AnalysisEngine {
public:
    std::function<void(const UnitPosition&)> atUnit;
    int units = 0;
    int analysisUnits = 0;
    int levelUnits = 0;

    void prepareJob(const FrameGeometry&) override {}

    bool runAnalysisPasses(const FrameGeometry& g, int passCount, SignalBuffer&, ComponentStore&,
                           UnitProgress& progress) override
    {
        for (int p = 0; p < passCount; ++p)
            for (int v = 0; v < kVoiceCount; ++v)
                for (std::int32_t f = 0; f < g.frameCount; ++f)
                    if (!step({Phase::Analysis, p, passCount, v, f, g.frameCount}, progress))
                        return false;
        return true;
    }

    bool runLevelPass(const FrameGeometry& g, const ComponentStore&, OutputRecords& records,
                      UnitProgress& progress) override
    {
        for (int v = 0; v < kVoiceCount; ++v)
            for (std::int32_t f = 0; f < g.frameCount; ++f) {
                records.setVoice(f, v, 1000 + f, 4400);
                if (!step({Phase::Levels, 0, 1, v, f, g.frameCount}, progress))
                    return false;
            }
        return true;
    }

private:
    bool step(const UnitPosition& at, UnitProgress& progress)
    {
        progress.startUnit();
        ++units;
        ++(at.phase == Phase::Analysis ? analysisUnits : levelUnits);
        if (atUnit)
            atUnit(at);
        return progress.finishUnit(at);
    }
};

} // namespace quillwave::test
