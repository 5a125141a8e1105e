#include "analysis/analysis_engine.h"
#include "analysis/fast/fast_engine.h"
#include "analysis/reference_engine.h"

namespace quillwave {

std::unique_ptr<AnalysisEngine> makeAnalysisEngine(EngineKind kind, int threads)
{
    if (kind == EngineKind::Reference)
        return std::make_unique<ReferenceEngine>();
    // The fast engine writes the same bytes; QUILLWAVE_SIMD may force a narrower width.
    return std::make_unique<FastEngine>(threads, chooseSimdWidth());
}

} // namespace quillwave
