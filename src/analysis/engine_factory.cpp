#include "analysis/analysis_engine.h"

namespace quillwave {
namespace {

// Stands in until the analysis exists: the store and the records stay cleared.
class PlaceholderEngine final : public AnalysisEngine {
public:
    void prepareJob(const FrameGeometry&) override {}
    bool runAnalysisPasses(const FrameGeometry&, int, SignalBuffer&, ComponentStore&,
                           UnitProgress&) override
    {
        return true;
    }
    bool runLevelPass(const FrameGeometry&, const ComponentStore&, OutputRecords&,
                      UnitProgress&) override
    {
        return true;
    }
};

} // namespace

std::unique_ptr<AnalysisEngine> makeAnalysisEngine(EngineKind, int)
{
    return std::make_unique<PlaceholderEngine>();
}

} // namespace quillwave
