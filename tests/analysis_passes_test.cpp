#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "analysis/analysis_passes.h"
#include "analysis/reference_engine.h"
#include "analysis_test_signal.h"

namespace quillwave {
namespace {

TEST(SubtractComponent, SubtractsTheSineOverOneFrameOnly)
{
    const Component c{1000000, 12345678, 16384}; // 1234.5678 Hz, starting at its peak
    std::vector<std::int32_t> residual(2000, 0);
    subtractComponent(residual.data(), 100, 800, 48000, c);

    EXPECT_EQ(residual[100], -1000000);
    const double omega = 2 * M_PI * 1234.5678 / 48000;
    for (int i = 0; i < 2000; ++i) {
        const int n = i - 100;
        if (n < 0 || n >= 800) {
            ASSERT_EQ(residual[static_cast<std::size_t>(i)], 0) << i;
            continue;
        }
        const double expected = -std::trunc(std::sin(M_PI / 2 + omega * n) * 1000000);
        ASSERT_NEAR(residual[static_cast<std::size_t>(i)], expected, 1.0) << n;
    }

    const std::vector<std::int32_t> before = residual;
    subtractComponent(residual.data(), 100, 800, 48000, {0, 12345678, 16384});
    EXPECT_EQ(residual, before) << "an absent component changes nothing";
}

TEST(SubtractComponent, WrapsASampleThatLeavesThe32BitRange)
{
    std::vector<std::int32_t> residual(735, 0);
    residual[0] = std::numeric_limits<std::int32_t>::min();
    subtractComponent(residual.data(), 0, 735, 44100, {1, 10000000, 16384});
    EXPECT_EQ(residual[0], std::numeric_limits<std::int32_t>::max());
}

TEST(SubtractOtherVoices, RestoresThenSubtractsEachComponentAtItsOwnVoicesStart)
{
    // 30 frames per second, staggered: voice 0 starts its frames a sixtieth (735) early.
    const FrameGeometry g = makeFrameGeometry(44100, 30, true, 4000);
    ASSERT_EQ(frameStart(g, 1, 0), kPadSamples + 1470 - 735);
    ASSERT_EQ(frameStart(g, 1, 1), kPadSamples + 1470);
    test::PaddedSignal signal(std::vector<std::int32_t>(4000, 0));
    auto store = std::make_unique<ComponentStore>();
    store->storeComponent(1, 0, 13, {500000, 10000000, 16384});
    store->storeComponent(1, 1, 0, {500000, 10000000, 16384});

    // True when the residual holds one peak-phase sine of 500000 starting at `from` and
    // nothing outside that frame.
    const std::size_t used = 4000 + 2 * kPadSamples;
    const auto onlyFrameAt = [&](std::int32_t from) {
        const auto& r = signal.residualVector();
        for (std::size_t i = 0; i < used; ++i) {
            const bool inside = i >= static_cast<std::size_t>(from) && i < static_cast<std::size_t>(from) + 1470;
            if (!inside && r[i] != 0)
                return false;
        }
        return r[static_cast<std::size_t>(from)] == -500000;
    };

    std::fill(signal.residual(), signal.residual() + used, 99); // scratch from an earlier voice
    subtractOtherVoices(g, *store, signal.buffer, 1);
    EXPECT_TRUE(onlyFrameAt(frameStart(g, 1, 0))) << "voice 0's slot 13, at voice 0's frame start";

    subtractOtherVoices(g, *store, signal.buffer, 0);
    EXPECT_TRUE(onlyFrameAt(frameStart(g, 1, 1))) << "voice 1's slot 0, at voice 1's frame start";
}

TEST(SearchVoiceFrame, SearchesAtTheVoicesOwnFrameStart)
{
    // A burst that fills exactly frame 1 of voice 1; voice 0's frames straddle it.
    const FrameGeometry g = makeFrameGeometry(44100, 30, true, 4410);
    auto samples = test::toneSignal(4410, 44100, {{1500.0, 2000000}});
    for (std::size_t i = 0; i < samples.size(); ++i)
        if (i < 1470 || i >= 2940)
            samples[i] = 0;
    test::PaddedSignal signal(samples);
    OscillatorTable table;
    buildOscillatorTable(table);
    FrameBuffers buffers;
    buildWindow(buffers, g.frameLength);
    auto store = std::make_unique<ComponentStore>();

    searchVoiceFrame(g, table, buffers, signal.residual(), *store, 1, 1);
    EXPECT_NEAR(store->componentAt(1, 1, 0).amplitude, 2000000, 20000);
    EXPECT_NEAR(store->componentAt(1, 1, 0).frequencyE4, 15000000, 10000);

    test::PaddedSignal fresh(samples);
    for (std::int32_t frame : {1, 2}) {
        searchVoiceFrame(g, table, buffers, fresh.residual(), *store, 0, frame);
        EXPECT_NEAR(store->componentAt(frame, 0, 0).amplitude, 1000000, 50000) << "half the burst";
    }
}

// Records the frame units an engine reports, and aborts at a chosen one.
class RecordingProgress final : public UnitProgress {
public:
    std::size_t abortAt = 0; // 0: never
    int started = 0;
    std::vector<UnitPosition> finished;

    void startUnit() override { ++started; }
    bool finishUnit(const UnitPosition& last, int units) override
    {
        EXPECT_EQ(units, 1);
        EXPECT_EQ(static_cast<std::size_t>(started), finished.size() + 1) << "every unit starts once";
        finished.push_back(last);
        return finished.size() != abortAt;
    }
};

// Eight tones for six voices: what a voice finds depends on what the others hold, so
// later passes change the result.
class AnalysisPasses : public ::testing::Test {
protected:
    static constexpr std::int32_t kSamples = 2205; // three frames of signal, one past it
    AnalysisPasses()
        : geometry(makeFrameGeometry(44100, 60, false, kSamples)),
          signal(test::toneSignal(kSamples, 44100,
                                  {{300, 900000}, {340, 800000, 1}, {700, 700000, 2}, {760, 650000},
                                   {1500, 600000, 3}, {1620, 500000}, {3100, 400000, 4}, {3300, 350000}})),
          store(std::make_unique<ComponentStore>())
    {
        engine.prepareJob(geometry);
    }

    bool run(int passCount, UnitProgress& progress)
    {
        store->reset();
        return engine.runAnalysisPasses(geometry, passCount, signal.buffer, *store, progress);
    }

    std::vector<Component> voiceComponents(int voice) const
    {
        std::vector<Component> out;
        for (std::int32_t f = 0; f < geometry.frameCount; ++f)
            for (int s = 0; s < kSlotsPerVoice; ++s)
                out.push_back(store->componentAt(f, voice, s));
        return out;
    }

    // Searches the last voice again against the final components of the other five.
    std::vector<Component> researchLastVoice()
    {
        auto copy = std::make_unique<ComponentStore>(*store);
        OscillatorTable table;
        buildOscillatorTable(table);
        FrameBuffers buffers;
        buildWindow(buffers, geometry.frameLength);
        subtractOtherVoices(geometry, *copy, signal.buffer, 5);
        for (std::int32_t f = 0; f < geometry.frameCount; ++f)
            searchVoiceFrame(geometry, table, buffers, signal.buffer.residual, *copy, 5, f);
        std::swap(copy, store);
        auto found = voiceComponents(5);
        std::swap(copy, store);
        return found;
    }

    FrameGeometry geometry;
    test::PaddedSignal signal;
    std::unique_ptr<ComponentStore> store;
    ReferenceEngine engine;
};

TEST_F(AnalysisPasses, ReportsEveryFrameUnitInOrder)
{
    ASSERT_EQ(geometry.frameCount, 4);
    RecordingProgress progress;
    ASSERT_TRUE(run(1, progress));
    ASSERT_EQ(progress.finished.size(), 6u * 4);
    for (std::size_t k = 0; k < progress.finished.size(); ++k) {
        const UnitPosition& u = progress.finished[k];
        EXPECT_EQ(u.phase, Phase::Analysis);
        EXPECT_EQ(u.pass, 0);
        EXPECT_EQ(u.passCount, 1);
        EXPECT_EQ(u.voice, static_cast<int>(k / 4));
        EXPECT_EQ(u.frame, static_cast<std::int32_t>(k % 4));
        EXPECT_EQ(u.frameCount, 4);
    }

    RecordingProgress levels;
    auto records = std::make_unique<OutputRecords>();
    ASSERT_TRUE(engine.runLevelPass(geometry, *store, *records, levels));
    ASSERT_EQ(levels.finished.size(), 6u * 4);
    EXPECT_EQ(levels.finished[5].phase, Phase::Levels);
    EXPECT_EQ(levels.finished[5].voice, 1);
    EXPECT_EQ(levels.finished[5].frame, 1);
}

TEST_F(AnalysisPasses, StopsAtOnceWhenAborted)
{
    RecordingProgress progress;
    progress.abortAt = 7;
    EXPECT_FALSE(run(4, progress));
    EXPECT_EQ(progress.finished.size(), 7u);
    EXPECT_EQ(progress.started, 7);
    EXPECT_EQ(store->componentAt(0, 2, 0), Component{}) << "voice 2 never searched";

    RecordingProgress levels;
    levels.abortAt = 3;
    auto records = std::make_unique<OutputRecords>();
    EXPECT_FALSE(engine.runLevelPass(geometry, *store, *records, levels));
    EXPECT_EQ(levels.finished.size(), 3u);
}

TEST_F(AnalysisPasses, LastVoiceIsFoundAgainstTheFinalOthersAndMorePassesChangeThem)
{
    NoProgress progress;
    ASSERT_TRUE(run(1, progress));
    const auto onePass = voiceComponents(0);
    EXPECT_EQ(researchLastVoice(), voiceComponents(5));

    // The frame past the signal is silent for every voice.
    for (int v = 0; v < kVoiceCount; ++v)
        for (int s = 0; s < kSlotsPerVoice; ++s)
            ASSERT_EQ(store->componentAt(3, v, s), (Component{0, 550000, 32768})) << v << "/" << s;

    ASSERT_TRUE(run(4, progress));
    EXPECT_EQ(researchLastVoice(), voiceComponents(5));
    EXPECT_NE(voiceComponents(0), onePass) << "voice 0 searched again against the others";
}

} // namespace
} // namespace quillwave
