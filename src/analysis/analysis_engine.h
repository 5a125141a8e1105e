#pragma once
#include <memory>

#include "analysis/component_store.h"
#include "analysis/frame_geometry.h"
#include "analysis/frame_record.h"
#include "analysis/signal_buffer.h"
#include "analysis/unit_progress.h"

namespace quillwave {

enum class EngineKind { Reference, Fast };

// The sinusoidal analysis of one job: the passes fill the store, the level pass the records.
class AnalysisEngine {
public:
    virtual ~AnalysisEngine() = default;
    // Builds what depends only on the frame geometry (oscillator table, window).
    virtual void prepareJob(const FrameGeometry& geometry) = 0;
    // Runs passCount passes over the six voices. False when aborted.
    virtual bool runAnalysisPasses(const FrameGeometry& geometry, int passCount,
                                   SignalBuffer& signal, ComponentStore& store,
                                   UnitProgress& progress) = 0;
    // Measures every voice's level and frequency in every frame. False when aborted.
    virtual bool runLevelPass(const FrameGeometry& geometry, const ComponentStore& store,
                              OutputRecords& records, UnitProgress& progress) = 0;
};

// threads: 0 = every core.
std::unique_ptr<AnalysisEngine> makeAnalysisEngine(EngineKind kind, int threads = 0);

} // namespace quillwave
