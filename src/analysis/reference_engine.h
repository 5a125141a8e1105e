#pragma once
#include "analysis/analysis_engine.h"
#include "analysis/frame_buffers.h"
#include "analysis/level_pass.h"
#include "analysis/oscillator_table.h"

namespace quillwave {

// The analysis written out plainly: scalar, one frame unit at a time, on the job's thread.
// It is the oracle every faster engine must match byte for byte.
class ReferenceEngine final : public AnalysisEngine {
public:
    void prepareJob(const FrameGeometry& geometry) override;
    bool runAnalysisPasses(const FrameGeometry& geometry, int passCount, SignalBuffer& signal,
                           ComponentStore& store, UnitProgress& progress) override;
    bool runLevelPass(const FrameGeometry& geometry, const ComponentStore& store, OutputRecords& records,
                      UnitProgress& progress) override;

private:
    OscillatorTable table_;
    FrameBuffers buffers_;
    LevelBuffer levelBuffer_ = makeLevelBuffer();
};

} // namespace quillwave
