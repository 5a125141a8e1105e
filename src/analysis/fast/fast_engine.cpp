#include "analysis/fast/fast_engine.h"

#include <algorithm>
#include <chrono>

#include <oneapi/tbb/blocked_range.h>
#include <oneapi/tbb/enumerable_thread_specific.h>
#include <oneapi/tbb/parallel_for.h>

#include "analysis/analysis_passes.h"
#include "analysis/fast/batch_sizer.h"
#include "analysis/fast/voice_levels.h"
#include "analysis/frequency_grid.h"
#include "analysis/level_pass.h"

namespace quillwave {

// A worker thread's own buffers; the frames it handles never share them.
struct FastEngine::Worker {
    FrameSearcher searcher;
    LevelCounts levels;
    std::vector<std::int16_t> packed;
};

class FastEngine::Workers : public tbb::enumerable_thread_specific<FastEngine::Worker> {};

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Frames handed to one task at a time: the coarse scan reads each candidate row once for
// this many frames.
constexpr std::int32_t kCoarseGrain = kMaxCoarseFrames;
// Frames per task in the sweeps: each one is a handful of short syntheses.
constexpr std::int32_t kSweepGrain = 16;
// Units per task in the level pass, sorted so that lanes hold voices of alike length.
constexpr std::int32_t kLevelGrain = 32;

} // namespace

FastEngine::FastEngine(int threads, SimdWidth width)
    : width_(std::min(width, supportedSimdWidth())), kernels_(&kernelsFor(width_)),
      arena_(std::make_unique<tbb::task_arena>(threads > 0 ? threads : int{tbb::task_arena::automatic})),
      workers_(std::make_unique<Workers>())
{
}

FastEngine::~FastEngine() = default;

int FastEngine::threadCount() const { return arena_->max_concurrency(); }

FastEngine::Worker& FastEngine::worker()
{
    Worker& w = workers_->local();
    w.searcher.configure(job_);
    w.packed.resize(static_cast<std::size_t>(kMaxCoarseFrames) * static_cast<std::size_t>(coarse_.paddedLength()));
    return w;
}

LevelCounts FastEngine::levelCounts() const
{
    LevelCounts total;
    for (const Worker& w : *workers_) {
        total.estimated += w.levels.estimated;
        total.computed += w.levels.computed;
        total.silent += w.levels.silent;
    }
    return total;
}

ReuseCounts FastEngine::reuseCounts() const
{
    ReuseCounts total;
    for (const Worker& w : *workers_)
        total += w.searcher.counts;
    return total;
}

std::size_t FastEngine::tableBytes() const { return coarse_.bytes(); }

void FastEngine::prepareJob(const FrameGeometry& geometry)
{
    if (!tableBuilt_) {
        buildOscillatorTable(table_);
        tableBuilt_ = true;
    }
    // All of this depends on the sample rate and frame length only, and is kept from job to job.
    coarse_.build(table_, geometry.sampleRate, geometry.frameLength);

    job_.kernels = kernels_;
    job_.sampleRate = geometry.sampleRate;
    job_.frameLength = geometry.frameLength;
    for (std::size_t rank = 0; rank < job_.ratios.size(); ++rank)
        job_.ratios[rank] = gridRatio(kCoarseStepsPerSpan << (2 * rank));

    times_ = StageTimes{};
    for (Worker& w : *workers_) {
        w.searcher.counts = ReuseCounts{};
        w.levels = LevelCounts{};
    }
}

void FastEngine::synthesizeVoice(const FrameGeometry& geometry, const ComponentStore& store, std::int32_t* residual,
                                 int voice, int firstSlot, int lastSlot, bool add, const std::uint8_t* wholeChain)
{
    // The frames of one voice never overlap, so its frames can be worked on side by side.
    tbb::parallel_for(tbb::blocked_range<std::int32_t>(0, geometry.frameCount, kSweepGrain),
                      [&](const tbb::blocked_range<std::int32_t>& range) {
                          Worker& w = worker();
                          for (std::int32_t g = range.begin(); g != range.end(); ++g) {
                              const std::int32_t start = frameStart(geometry, g, voice);
                              const bool whole = wholeChain != nullptr && wholeChain[g] != 0;
                              for (int slot = whole ? 0 : firstSlot; slot <= lastSlot; ++slot) {
                                  const Component c = store.componentAt(g, voice, slot);
                                  if (c.amplitude == 0 && job_.shortcuts.skipSilentSyntheses) {
                                      ++w.searcher.counts.skippedSyntheses;
                                      continue;
                                  }
                                  const SynthesisAngles angles = subtractionAngles(c, geometry.sampleRate);
                                  kernels_->synthesize(residual + start, geometry.frameLength, c.amplitude,
                                                       angles.step, angles.start, add);
                                  ++w.searcher.counts.syntheses;
                              }
                          }
                      });
}

void FastEngine::searchBatch(const FrameGeometry& geometry, std::int32_t* residual, ComponentStore& store, int voice,
                             int step, std::int32_t first, std::int32_t last)
{
    // A frame whose samples are what they were at its previous search keeps that result.
    searched_.clear();
    for (std::int32_t g = first; g < last; ++g) {
        const bool same = job_.shortcuts.skipUnchangedSearches && ledger_.unchangedSince(voice, g, step);
        skipped_[static_cast<std::size_t>(g)] = same ? 1 : 0;
        if (!same)
            searched_.push_back(g);
    }
    const auto searchedCount = static_cast<std::int32_t>(searched_.size());
    Worker& self = worker();
    self.searcher.counts.searches += searchedCount;
    self.searcher.counts.skippedSearches += (last - first) - searchedCount;

    // Every frame's coarse scan first: a frame's samples are untouched by the other frames'
    // searches, since the frames of one voice never overlap.
    Clock::time_point start = Clock::now();
    tbb::parallel_for(tbb::blocked_range<std::int32_t>(0, searchedCount, kCoarseGrain),
                      [&](const tbb::blocked_range<std::int32_t>& range) {
                          Worker& w = worker();
                          for (std::int32_t i = range.begin(); i < range.end(); i += kMaxCoarseFrames) {
                              const int count = static_cast<int>(std::min(range.end() - i, kMaxCoarseFrames));
                              const std::int16_t* frames[kMaxCoarseFrames];
                              std::int32_t indices[kMaxCoarseFrames];
                              for (int k = 0; k < count; ++k) {
                                  std::int16_t* packed =
                                      w.packed.data() + static_cast<std::size_t>(k) * coarse_.paddedLength();
                                  const std::int32_t g = searched_[static_cast<std::size_t>(i + k)];
                                  coarse_.packFrame(residual, frameStart(geometry, g, voice), packed);
                                  frames[k] = packed;
                              }
                              coarse_.scan(*kernels_, frames, count, indices);
                              for (int k = 0; k < count; ++k)
                                  coarseIndices_[static_cast<std::size_t>(searched_[static_cast<std::size_t>(i + k)])] =
                                      indices[k];
                          }
                      },
                      tbb::simple_partitioner());
    times_.coarseScan += secondsSince(start);

    start = Clock::now();
    tbb::parallel_for(tbb::blocked_range<std::int32_t>(0, searchedCount, 1),
                      [&](const tbb::blocked_range<std::int32_t>& range) {
                          Worker& w = worker();
                          for (std::int32_t i = range.begin(); i != range.end(); ++i) {
                              const std::int32_t g = searched_[static_cast<std::size_t>(i)];
                              Component before[kSlotsPerVoice];
                              Component after[kSlotsPerVoice];
                              for (int s = 0; s < kSlotsPerVoice; ++s)
                                  before[s] = store.componentAt(g, voice, s);
                              w.searcher.searchFrame(job_, residual, frameStart(geometry, g, voice),
                                                     coarseIndices_[static_cast<std::size_t>(g)], store, voice, g);
                              for (int s = 0; s < kSlotsPerVoice; ++s)
                                  after[s] = store.componentAt(g, voice, s);
                              ledger_.record(voice, g, step, before, after);
                          }
                      });
    times_.fineSearch += secondsSince(start);
}

bool FastEngine::runAnalysisPasses(const FrameGeometry& geometry, int passCount, SignalBuffer& signal,
                                   ComponentStore& store, UnitProgress& progress)
{
    bool finished = false;
    arena_->execute([&] { finished = runPasses(geometry, passCount, signal, store, progress); });
    return finished;
}

bool FastEngine::runPasses(const FrameGeometry& geometry, int passCount, SignalBuffer& signal,
                           ComponentStore& store, UnitProgress& progress)
{
    std::int32_t* residual = signal.residual;
    coarseIndices_.assign(static_cast<std::size_t>(geometry.frameCount), 0);
    skipped_.assign(static_cast<std::size_t>(geometry.frameCount), 0);
    ledger_.reset(geometry);

    // The residual voice 0 is searched on: the pristine signal minus every other voice.
    Clock::time_point start = Clock::now();
    restoreResidual(signal.pristine, residual, signal.sampleFrames);
    for (int u = 1; u < kVoiceCount; ++u)
        synthesizeVoice(geometry, store, residual, u, 0, kSlotsPerVoice - 1, false);
    times_.sweeps += secondsSince(start);

    UnitPosition position;
    position.phase = Phase::Analysis;
    position.passCount = passCount;
    position.frameCount = geometry.frameCount;
    BatchSizer batches(4 * arena_->max_concurrency());
    int searched = -1;
    for (int p = 0; p < passCount; ++p) {
        position.pass = p;
        for (int v = 0; v < kVoiceCount; ++v) {
            position.voice = v;
            if (searched >= 0) {
                // The search left the residual without slots 0..12 of the voice just found (a
                // skipped frame: with all of them), and with every component of voice v. Taking
                // the rest of the voice away and giving voice v's back yields the pristine signal
                // minus every voice but v, as a full sweep would.
                start = Clock::now();
                synthesizeVoice(geometry, store, residual, searched, kSlotsPerVoice - 1, kSlotsPerVoice - 1, false,
                                skipped_.data());
                synthesizeVoice(geometry, store, residual, v, 0, kSlotsPerVoice - 1, true);
                times_.sweeps += secondsSince(start);
            }
            for (std::int32_t first = 0; first < geometry.frameCount;) {
                const std::int32_t last = std::min(geometry.frameCount, first + batches.size());
                const Clock::time_point batchStart = Clock::now();
                progress.startUnit();
                searchBatch(geometry, residual, store, v, p * kVoiceCount + v, first, last);
                position.frame = last - 1;
                if (!progress.finishUnit(position, last - first))
                    return false;
                batches.record(last - first, secondsSince(batchStart));
                first = last;
            }
            searched = v;
        }
    }
    return true;
}

bool FastEngine::runLevelPass(const FrameGeometry& geometry, const ComponentStore& store, OutputRecords& records,
                              UnitProgress& progress)
{
    bool finished = false;
    arena_->execute([&] { finished = runLevels(geometry, store, records, progress); });
    return finished;
}

bool FastEngine::runLevels(const FrameGeometry& geometry, const ComponentStore& store, OutputRecords& records,
                           UnitProgress& progress)
{
    const int lanes = kernels_->levelLanes;
    UnitPosition position;
    position.phase = Phase::Levels;
    position.frameCount = geometry.frameCount;
    BatchSizer batches(4 * arena_->max_concurrency());
    const Clock::time_point passStart = Clock::now();
    for (int v = 0; v < kVoiceCount; ++v) {
        position.voice = v;
        for (std::int32_t first = 0; first < geometry.frameCount;) {
            const std::int32_t last = std::min(geometry.frameCount, first + batches.size());
            const Clock::time_point batchStart = Clock::now();
            progress.startUnit();
            tbb::parallel_for(
                tbb::blocked_range<std::int32_t>(first, last, kLevelGrain),
                [&](const tbb::blocked_range<std::int32_t>& range) {
                    // Each voice's non-silent components in slot order: a silent one adds only
                    // zeros to the synthesis, so leaving it out changes no bit.
                    struct Unit {
                        std::int32_t frame;
                        int count;
                        Component chain[kSlotsPerVoice];
                    };
                    Unit units[kLevelGrain];
                    int unitCount = 0;
                    for (std::int32_t g = range.begin(); g != range.end(); ++g) {
                        Unit& u = units[unitCount++];
                        u.frame = g;
                        u.count = 0;
                        for (int s = 0; s < kSlotsPerVoice; ++s) {
                            const Component c = store.componentAt(g, v, s);
                            if (c.amplitude != 0 || !job_.shortcuts.skipSilentSyntheses)
                                u.chain[u.count++] = c;
                        }
                    }
                    // Lanes of a vector take voices of alike length, so few lanes idle.
                    Unit* order[kLevelGrain];
                    for (int i = 0; i < unitCount; ++i)
                        order[i] = &units[i];
                    std::stable_sort(order, order + unitCount,
                                     [](const Unit* a, const Unit* b) { return a->count > b->count; });
                    Worker& w = worker();
                    for (int i = 0; i < unitCount; i += lanes) {
                        const int used = std::min(lanes, unitCount - i);
                        LevelChain chains[kLanePadding];
                        std::int32_t levels[kLanePadding];
                        for (int l = 0; l < used; ++l)
                            chains[l] = {order[i + l]->chain, order[i + l]->count};
                        measureLevels(*kernels_, job_.shortcuts, chains, used, levels, w.levels);
                        for (int l = 0; l < used; ++l) {
                            const std::int32_t frame = order[i + l]->frame;
                            records.setVoice(frame, v, levels[l],
                                             voiceFrequencyE1(store.componentAt(frame, v, 0).frequencyE4));
                        }
                    }
                },
                tbb::simple_partitioner());
            position.frame = last - 1;
            if (!progress.finishUnit(position, last - first)) {
                times_.levelPass += secondsSince(passStart);
                return false;
            }
            batches.record(last - first, secondsSince(batchStart));
            first = last;
        }
    }
    times_.levelPass += secondsSince(passStart);
    return true;
}

} // namespace quillwave
