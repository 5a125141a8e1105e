#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "analysis/analysis_engine.h"
#include "analysis/fast/coarse_candidates.h"
#include "analysis/fast/fast_job.h"
#include "analysis/fast/frame_search.h"
#include "analysis/fast/search_ledger.h"
#include "analysis/fast/simd_width.h"
#include "analysis/fast/voice_levels.h"
#include "analysis/oscillator_table.h"

#include <oneapi/tbb/task_arena.h>

namespace quillwave {

// Wall time of each stage of the last job, in seconds.
struct StageTimes {
    double coarseScan = 0;
    double fineSearch = 0;
    double sweeps = 0;
    double levelPass = 0;
};

// The analysis of the reference engine, byte for byte, made fast:
// - every core: the frames of a voice (their coarse scans and searches), the sweeps between
//   voices and the level pass's units run as oneTBB batches, with the progress check between
//   batches on the job's thread;
// - the vector units: the kernels run at the CPU's widest width (or a forced one);
// - exact shortcuts: what depends only on a coarse candidate is computed once per job;
//   amplitudes and levels are settled by estimates wherever a bound shows that the integer
//   cannot come out otherwise (and computed exactly where it can); silent components are
//   never synthesised; a frame whose samples have not changed keeps its result; and a voice's
//   residual is reached from the previous one by subtracting and adding back only what
//   changed (integer sums wrap and commute, so the order does not matter).
class FastEngine final : public AnalysisEngine {
public:
    // threads: 0 = every core.
    explicit FastEngine(int threads = 0, SimdWidth width = chooseSimdWidth());
    ~FastEngine() override;

    void prepareJob(const FrameGeometry& geometry) override;
    bool runAnalysisPasses(const FrameGeometry& geometry, int passCount, SignalBuffer& signal,
                           ComponentStore& store, UnitProgress& progress) override;
    bool runLevelPass(const FrameGeometry& geometry, const ComponentStore& store, OutputRecords& records,
                      UnitProgress& progress) override;

    SimdWidth width() const { return width_; }
    // Switches shortcuts off (or on again) for the jobs that follow; only the speed changes.
    void setShortcuts(const Shortcuts& shortcuts) { job_.shortcuts = shortcuts; }
    int threadCount() const;
    const StageTimes& stageTimes() const { return times_; }
    // What the reuse saved over the last job (all workers together).
    ReuseCounts reuseCounts() const;
    // How the last job's levels were found.
    LevelCounts levelCounts() const;
    // Bytes of the coarse scan's candidate rows kept for the job.
    std::size_t tableBytes() const;

private:
    struct Worker;
    class Workers;

    bool runPasses(const FrameGeometry& geometry, int passCount, SignalBuffer& signal, ComponentStore& store,
                   UnitProgress& progress);
    bool runLevels(const FrameGeometry& geometry, const ComponentStore& store, OutputRecords& records,
                   UnitProgress& progress);
    void searchBatch(const FrameGeometry& geometry, std::int32_t* residual, ComponentStore& store, int voice,
                     int step, std::int32_t first, std::int32_t last);
    // Adds (or subtracts) slots first..last of `voice` in every frame, at that voice's starts;
    // in the frames marked in `wholeChain`, slots 0..last.
    void synthesizeVoice(const FrameGeometry& geometry, const ComponentStore& store, std::int32_t* residual,
                         int voice, int firstSlot, int lastSlot, bool add, const std::uint8_t* wholeChain = nullptr);
    Worker& worker();

    SimdWidth width_;
    const KernelSet* kernels_;
    std::unique_ptr<tbb::task_arena> arena_;
    std::unique_ptr<Workers> workers_;
    OscillatorTable table_;
    bool tableBuilt_ = false;
    CoarseCandidates coarse_;
    FastJob job_;
    std::vector<std::int32_t> coarseIndices_;
    SearchLedger ledger_;
    // Per frame of the voice searched last: 1 where the search was skipped, so the residual
    // still holds the voice's whole chain there.
    std::vector<std::uint8_t> skipped_;
    // The frames of the current batch that are searched.
    std::vector<std::int32_t> searched_;
    StageTimes times_;
};

} // namespace quillwave
