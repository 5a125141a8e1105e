// The fast engine must leave exactly what the reference engine leaves: every component of
// the store and every record, for every option, thread count and vector width.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "analysis/fast/fast_engine.h"
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

} // namespace
} // namespace quillwave
