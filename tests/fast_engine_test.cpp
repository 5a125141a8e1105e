// The fast engine must leave exactly what the reference engine leaves: every component of
// the store and every record, for every option, thread count and vector width.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "analysis/coarse_scan.h"
#include "analysis/fast/coarse_candidates.h"
#include "analysis/fast/fast_engine.h"
#include "analysis/fast/frame_search.h"
#include "analysis/fine_estimator.h"
#include "analysis/frame_buffers.h"
#include "analysis/frequency_grid.h"
#include "analysis/reference_engine.h"
#include "analysis_test_signal.h"
#include "engine_test_job.h"

namespace quillwave {
namespace {

// What an engine leaves behind: every store cell of the job's frames and every record.
struct EngineOutput {
    bool finished = false;
    std::vector<Component> components;
    std::vector<std::vector<std::int32_t>> records;
};

EngineOutput runEngine(AnalysisEngine& engine, const FrameGeometry& geometry, int passCount,
                       const std::vector<std::int32_t>& samples, UnitProgress& progress)
{
    test::PaddedSignal signal(samples);
    auto store = std::make_unique<ComponentStore>();
    auto records = std::make_unique<OutputRecords>();
    engine.prepareJob(geometry);
    EngineOutput out;
    out.finished = engine.runAnalysisPasses(geometry, passCount, signal.buffer, *store, progress) &&
                   engine.runLevelPass(geometry, *store, *records, progress);
    for (std::int32_t g = 0; g < geometry.frameCount; ++g) {
        for (int v = 0; v < kVoiceCount; ++v)
            for (int s = 0; s < kSlotsPerVoice; ++s)
                out.components.push_back(store->componentAt(g, v, s));
        out.records.emplace_back(std::begin((*records)[g].words), std::end((*records)[g].words));
    }
    return out;
}

EngineOutput runEngine(AnalysisEngine& engine, const FrameGeometry& geometry, int passCount,
                       const std::vector<std::int32_t>& samples)
{
    NoProgress progress;
    return runEngine(engine, geometry, passCount, samples, progress);
}

// Where two outputs first differ, in words a reader can follow.
std::string firstDifference(const EngineOutput& expected, const EngineOutput& actual)
{
    if (expected.finished != actual.finished)
        return "one finished, the other did not";
    for (std::size_t i = 0; i < expected.components.size(); ++i) {
        const Component& e = expected.components[i];
        const Component& a = actual.components[i];
        if (!(e == a))
            return "frame " + std::to_string(i / 84) + " voice " + std::to_string(i % 84 / 14) + " slot " +
                   std::to_string(i % 14) + ": " + std::to_string(e.amplitude) + "/" + std::to_string(e.frequencyE4) +
                   "/" + std::to_string(e.phase16) + " expected, got " + std::to_string(a.amplitude) + "/" +
                   std::to_string(a.frequencyE4) + "/" + std::to_string(a.phase16);
    }
    for (std::size_t g = 0; g < expected.records.size(); ++g)
        if (expected.records[g] != actual.records[g])
            return "record " + std::to_string(g);
    return "";
}

enum class Signal { Mixed, Silent };

// Something for every path: steady tones, a chirp, a burst of noise, a stretch of silence
// (silent components), a stretch near full scale.
std::vector<std::int32_t> makeSignal(Signal kind, int count, int sampleRate)
{
    if (kind == Signal::Silent)
        return std::vector<std::int32_t>(static_cast<std::size_t>(count), 0);
    std::vector<std::int32_t> out =
        test::toneSignal(count, sampleRate, {{330, 1.2e6}, {1870, 6e5, 1}, {6100, 2e5}, {7990, 1e5}});
    std::uint32_t noise = 7;
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        const double part = static_cast<double>(i) / count;
        double x = out[static_cast<std::size_t>(i)] + 9e5 * std::sin(2 * M_PI * (150 * t + 0.5 * 15000 * t * t));
        if (part > 0.3 && part < 0.4) {
            noise = noise * 1664525u + 1013904223u;
            x += static_cast<double>(static_cast<std::int32_t>(noise) >> 9);
        }
        if (part > 0.55 && part < 0.7)
            x = 0;
        if (part > 0.8)
            x = x > 0 ? 8388352 - (i % 97) * 1000 : -8388608 + (i % 89) * 1000;
        out[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(x);
    }
    return out;
}

struct Case {
    const char* name;
    int sampleRate;
    int framesPerSecond;
    bool staggered;
    int passCount;
    int milliseconds;
    Signal signal;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

// Short enough for the reference to stay quick, long enough for several frames: every frame
// length, both rates, stagger on and off, one pass and four.
const Case kCases[] = {
    {"defaults_4_passes", 44100, 60, false, 4, 60, Signal::Mixed},
    {"rate48000_15fps_staggered", 48000, 15, true, 1, 250, Signal::Mixed},
    {"odd_frames_20fps_staggered", 44100, 20, true, 1, 120, Signal::Mixed},
    {"rate48000_30fps_4_passes_staggered", 48000, 30, true, 4, 45, Signal::Mixed},
    {"rate48000_60fps", 48000, 60, false, 1, 200, Signal::Mixed},
    {"rate44100_30fps", 44100, 30, false, 1, 150, Signal::Mixed},
    {"silence", 44100, 60, false, 4, 30, Signal::Silent},
    {"empty_input", 44100, 60, false, 4, 0, Signal::Mixed},
};

class FastEngineIdentity : public ::testing::TestWithParam<Case> {};

TEST_P(FastEngineIdentity, LeavesTheReferenceStoreAndRecordsAtEveryWidthAndThreadCount)
{
    const Case c = GetParam();
    const std::vector<std::int32_t> samples = makeSignal(c.signal, c.sampleRate * c.milliseconds / 1000, c.sampleRate);
    const FrameGeometry geometry =
        makeFrameGeometry(c.sampleRate, c.framesPerSecond, c.staggered, static_cast<std::int32_t>(samples.size()));
    ReferenceEngine reference;
    const EngineOutput expected = runEngine(reference, geometry, c.passCount, samples);
    ASSERT_TRUE(expected.finished);

    // Every width on two threads; the widest also on one thread, and again for a second job
    // on the same engine, whose kept tables must not sway it.
    for (const SimdWidth width : availableSimdWidths()) {
        FastEngine fast(2, width);
        EXPECT_EQ(firstDifference(expected, runEngine(fast, geometry, c.passCount, samples)), "")
            << simdWidthName(width) << ", 2 threads";
    }
    FastEngine single(1, supportedSimdWidth());
    EXPECT_EQ(firstDifference(expected, runEngine(single, geometry, c.passCount, samples)), "") << "one thread";
    EXPECT_EQ(firstDifference(expected, runEngine(single, geometry, c.passCount, samples)), "") << "second job";
}

INSTANTIATE_TEST_SUITE_P(Cases, FastEngineIdentity, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });


// Records what the engine reports, and can answer "aborted" at a chosen call.
// A search whose samples have not changed since the previous pass is skipped: silence settles
// after the first pass. With stagger a frame overlaps two of each other voice, so what a tone
// leaves behind travels on through the silence before it settles; there the engine with the
// skipping is held against itself without, which the other tests hold against the reference.
TEST(FastEngineReuse, SkipsOnlySearchesWhoseSamplesAreUnchanged)
{
    for (const bool staggered : {false, true}) {
        SCOPED_TRACE(staggered ? "staggered" : "not staggered");
        std::vector<std::int32_t> samples = test::toneSignal(44100 / 20, 44100, {{440, 2e6}, {2950, 5e5}});
        samples.resize(samples.size() + (staggered ? 44100 / 2 : 44100 / 20), 0);
        const FrameGeometry geometry = makeFrameGeometry(44100, 30, staggered, static_cast<std::int32_t>(samples.size()));
        FastEngine fast(2);
        const EngineOutput skipping = runEngine(fast, geometry, 4, samples);
        const ReuseCounts counts = fast.reuseCounts();
        EXPECT_EQ(counts.searches + counts.skippedSearches, 4 * kVoiceCount * geometry.frameCount);
        EXPECT_GT(counts.skippedSearches, 3 * kVoiceCount) << "silent frames in the last three passes";
        EXPECT_GT(counts.searches, kVoiceCount * geometry.frameCount + 3 * kVoiceCount) << "the tone's frames";

        EngineOutput expected;
        if (staggered) {
            Shortcuts noSkipping;
            noSkipping.skipUnchangedSearches = false;
            fast.setShortcuts(noSkipping);
            expected = runEngine(fast, geometry, 4, samples);
            EXPECT_EQ(fast.reuseCounts().skippedSearches, 0);
        } else {
            ReferenceEngine reference;
            expected = runEngine(reference, geometry, 4, samples);
        }
        EXPECT_EQ(firstDifference(expected, skipping), "");
    }
}

// Each shortcut can be switched off to measure it; none may change a bit.
TEST(FastEngineReuse, EveryShortcutIsExact)
{
    const std::vector<std::int32_t> samples = makeSignal(Signal::Mixed, 44100 / 8, 44100);
    const FrameGeometry geometry = makeFrameGeometry(44100, 60, false, static_cast<std::int32_t>(samples.size()));
    FastEngine fast(2);
    const EngineOutput expected = runEngine(fast, geometry, 4, samples);
    for (int off = 0; off < 4; ++off) {
        Shortcuts shortcuts;
        bool* switches[] = {&shortcuts.estimateCorrelations, &shortcuts.skipSilentSyntheses,
                            &shortcuts.skipUnchangedSearches, &shortcuts.estimateLevels};
        *switches[off] = false;
        fast.setShortcuts(shortcuts);
        EXPECT_EQ(firstDifference(expected, runEngine(fast, geometry, 4, samples)), "") << "shortcut " << off << " off";
    }
}

class RecordingProgress final : public UnitProgress {
public:
    explicit RecordingProgress(int abortAtCall = 0) : abortAtCall_(abortAtCall) {}

    void startUnit() override { ++started; }
    bool finishUnit(const UnitPosition& last, int units) override
    {
        EXPECT_EQ(started, static_cast<int>(calls.size()) + 1) << "every batch is started before it finishes";
        calls.push_back({last, units});
        return static_cast<int>(calls.size()) != abortAtCall_;
    }

    struct Call {
        UnitPosition last;
        int units;
    };
    std::vector<Call> calls;
    int started = 0;

private:
    int abortAtCall_;
};

std::int64_t unitsIn(const std::vector<RecordingProgress::Call>& calls, Phase phase)
{
    std::int64_t units = 0;
    for (const auto& c : calls)
        units += c.last.phase == phase ? c.units : 0;
    return units;
}

TEST(FastEngineProgress, ReportsEveryUnitOfBothPhasesInBatches)
{
    const std::vector<std::int32_t> samples = makeSignal(Signal::Mixed, 44100 / 4, 44100);
    const FrameGeometry geometry = makeFrameGeometry(44100, 60, false, static_cast<std::int32_t>(samples.size()));
    FastEngine fast(2);
    RecordingProgress progress;
    ASSERT_TRUE(runEngine(fast, geometry, 4, samples, progress).finished);

    const std::int32_t frames = geometry.frameCount;
    EXPECT_EQ(unitsIn(progress.calls, Phase::Analysis), 4 * kVoiceCount * frames);
    EXPECT_EQ(unitsIn(progress.calls, Phase::Levels), kVoiceCount * frames);
    // In order, each batch ending where the units so far end, and the remaining count of the
    // progress clock's estimate follows from it.
    std::int64_t done = 0;
    Phase phase = Phase::Analysis;
    for (const auto& c : progress.calls) {
        if (c.last.phase != phase) {
            phase = c.last.phase;
            done = 0;
        }
        done += c.units;
        const std::int64_t position =
            (static_cast<std::int64_t>(c.last.pass) * kVoiceCount + c.last.voice) * frames + c.last.frame + 1;
        EXPECT_EQ(position, done);
        EXPECT_EQ(c.last.frameCount, frames);
        EXPECT_EQ(c.last.passCount, phase == Phase::Analysis ? 4 : 1);
    }
    EXPECT_GE(progress.calls.size(), 5u * kVoiceCount) << "a check in every voice of every pass and of the levels";
}

TEST(FastEngineProgress, StopsAtOnceWhenAborted)
{
    const std::vector<std::int32_t> samples = makeSignal(Signal::Mixed, 44100 / 10, 44100);
    const FrameGeometry geometry = makeFrameGeometry(44100, 60, false, static_cast<std::int32_t>(samples.size()));
    test::PaddedSignal signal(samples);
    auto store = std::make_unique<ComponentStore>();
    auto records = std::make_unique<OutputRecords>();
    FastEngine fast(2);
    fast.prepareJob(geometry);

    RecordingProgress analysis(3);
    EXPECT_FALSE(fast.runAnalysisPasses(geometry, 4, signal.buffer, *store, analysis));
    EXPECT_EQ(analysis.calls.size(), 3u) << "no batch after the abort";

    RecordingProgress levels(2);
    EXPECT_FALSE(fast.runLevelPass(geometry, *store, *records, levels));
    EXPECT_EQ(levels.calls.size(), 2u);
}


// Frames that reach the corners of the fixed-point and floating-point paths: a tone at the
// frequency ceiling, full scale both ways, samples that pack beyond 16 bits (and wrap),
// noise, and silence.
std::vector<std::vector<std::int32_t>> edgeFrames(std::int32_t m, int sampleRate)
{
    std::vector<std::vector<std::int32_t>> frames;
    frames.push_back(test::toneSignal(m, sampleRate, {{7999.0, 3e6}, {61.0, 1e6}}));
    std::vector<std::int32_t> loud(static_cast<std::size_t>(m));
    std::vector<std::int32_t> wrapping(static_cast<std::size_t>(m));
    std::vector<std::int32_t> noise(static_cast<std::size_t>(m));
    std::uint32_t x = 99;
    for (std::int32_t i = 0; i < m; ++i) {
        loud[static_cast<std::size_t>(i)] = i % 3 == 0 ? 8388352 : -8388608;
        wrapping[static_cast<std::size_t>(i)] = (i % 5 - 2) * 16776960 + i;
        x = x * 1664525u + 1013904223u;
        noise[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(x) >> 8;
    }
    frames.push_back(loud);
    frames.push_back(wrapping);
    frames.push_back(noise);
    frames.push_back(std::vector<std::int32_t>(static_cast<std::size_t>(m), 0));
    return frames;
}

struct Frame {
    int sampleRate;
    std::int32_t length;
};

class FastStages : public ::testing::TestWithParam<Frame> {};

TEST_P(FastStages, CoarseScanFindsTheReferenceIndex)
{
    const auto [rate, m] = GetParam();
    OscillatorTable table;
    buildOscillatorTable(table);
    CoarseCandidates coarse;
    coarse.build(table, rate, m);
    const auto frames = edgeFrames(m, rate);
    std::vector<std::int16_t> packed(frames.size() * static_cast<std::size_t>(coarse.paddedLength()));
    std::vector<const std::int16_t*> pointers;
    std::vector<std::int32_t> expected;
    FrameBuffers buffers;
    buildWindow(buffers, m);
    for (std::size_t f = 0; f < frames.size(); ++f) {
        prepareFrame(buffers, frames[f].data(), 0, m);
        expected.push_back(coarseScan(buffers.packed.data(), pairCount(m), m, rate, table));
        coarse.packFrame(frames[f].data(), 0, packed.data() + f * static_cast<std::size_t>(coarse.paddedLength()));
        pointers.push_back(packed.data() + f * static_cast<std::size_t>(coarse.paddedLength()));
    }
    for (const SimdWidth width : availableSimdWidths()) {
        // In groups as the engine scans them: all frames of a group share each candidate row.
        for (std::size_t first = 0; first < frames.size(); first += kMaxCoarseFrames) {
            const int count = static_cast<int>(std::min<std::size_t>(kMaxCoarseFrames, frames.size() - first));
            std::int32_t indices[kMaxCoarseFrames];
            coarse.scan(kernelsFor(width), pointers.data() + first, count, indices);
            for (int k = 0; k < count; ++k)
                EXPECT_EQ(indices[k], expected[first + static_cast<std::size_t>(k)])
                    << simdWidthName(width) << ", frame " << first + static_cast<std::size_t>(k);
        }
    }
}

TEST_P(FastStages, RefinementGivesTheReferenceComponent)
{
    const auto [rate, m] = GetParam();
    FastJob estimated;
    for (std::size_t rank = 0; rank < estimated.ratios.size(); ++rank)
        estimated.ratios[rank] = gridRatio(kCoarseStepsPerSpan << (2 * rank));
    estimated.sampleRate = rate;
    estimated.frameLength = m;
    // And every level computed row by row.
    FastJob computed = estimated;
    computed.shortcuts.estimateCorrelations = false;

    FrameBuffers buffers;
    buildWindow(buffers, m);
    for (const SimdWidth width : availableSimdWidths()) {
        for (FastJob* job : {&estimated, &computed}) {
            job->kernels = &kernelsFor(width);
            FrameSearcher searcher;
            searcher.configure(*job);
            for (const auto& frame : edgeFrames(m, rate)) {
                prepareFrame(buffers, frame.data(), 0, m);
                searcher.loadSamples(frame.data(), 0, m);
                // The ends of the grid, where candidates are skipped, and its middle.
                for (const std::int32_t coarse : {0, 3, 517, 1047, 1050}) {
                    for (const Ladder* ladder : {&kSlot0Ladder, &kChainLadder}) {
                        EXPECT_EQ(searcher.refine(*job, coarse, *ladder),
                                  refineComponent(buffers.reversed.data(), m, rate, coarse, *ladder))
                            << simdWidthName(width) << ", coarse index " << coarse
                            << (job == &estimated ? ", estimated" : ", computed");
                    }
                }
            }
        }
    }
}

// An odd and an even frame, and the longest.
INSTANTIATE_TEST_SUITE_P(Lengths, FastStages, ::testing::Values(Frame{44100, 735}, Frame{48000, 800}, Frame{48000, 3200}),
                         [](const ::testing::TestParamInfo<Frame>& info) {
                             return std::to_string(info.param.sampleRate) + "_" + std::to_string(info.param.length);
                         });


// Through the whole job, as the command line runs it: the fast engine writes the committed
// golden files byte for byte.
TEST(FastEngineJob, WritesTheGoldenFiles)
{
    const struct {
        const char* name;
        test::JobOptionsUnderTest options;
    } goldens[] = {{"golden_44100_mono", {60, false, 4}}, {"golden_48000_stereo", {30, true, 1}}};
    for (const auto& g : goldens) {
        const std::filesystem::path data(QUILLWAVE_TEST_DATA);
        const auto expected = test::readFile(data / (std::string(g.name) + ".dat"));
        ASSERT_FALSE(expected.empty()) << g.name;
        test::TempDir dir;
        const auto out = test::convertFile(data / (std::string(g.name) + ".wav"), dir / "out.dat", g.options,
                                           EngineKind::Fast);
        EXPECT_EQ(out.messages, std::vector<std::string>{messages::kFinished});
        EXPECT_TRUE(out.file == expected) << g.name;
    }
}

} // namespace
} // namespace quillwave
