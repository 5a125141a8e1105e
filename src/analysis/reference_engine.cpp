#include "analysis/reference_engine.h"

#include "analysis/analysis_passes.h"

namespace quillwave {

void ReferenceEngine::prepareJob(const FrameGeometry& geometry)
{
    buildOscillatorTable(table_);
    buildWindow(buffers_, geometry.frameLength);
}

bool ReferenceEngine::runAnalysisPasses(const FrameGeometry& geometry, int passCount, SignalBuffer& signal,
                                        ComponentStore& store, UnitProgress& progress)
{
    return quillwave::runAnalysisPasses(geometry, passCount, table_, buffers_, signal, store, progress);
}

bool ReferenceEngine::runLevelPass(const FrameGeometry& geometry, const ComponentStore& store,
                                   OutputRecords& records, UnitProgress& progress)
{
    return quillwave::runLevelPass(geometry, store, records, levelBuffer_, progress);
}

} // namespace quillwave
