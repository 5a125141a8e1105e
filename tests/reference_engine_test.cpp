#include <gtest/gtest.h>

#include <cmath>

#include "analysis/reference_engine.h"
#include "engine_test_job.h"

namespace quillwave {
namespace {

using test::recordWord;

TEST(ReferenceEngine, IsWhatTheReferenceKindMakes)
{
    const auto engine = makeAnalysisEngine(EngineKind::Reference);
    EXPECT_NE(dynamic_cast<ReferenceEngine*>(engine.get()), nullptr);
}

TEST(ReferenceEngine, SixSteadyTonesBecomeSixVoices)
{
    // Strongest first: each voice takes the strongest tone the earlier voices left.
    // Long frames (1/15 s) keep the other tones' leakage from pulling the peaks away.
    const std::vector<std::pair<double, double>> tones = {{600, 3000}, {1140, 2600}, {1800, 2200},
                                                          {2700, 1800}, {4050, 1400}, {6000, 1000}};
    test::TempDir dir;
    test::WaveSpec waveSpec;
    waveSpec.samples = test::sineSamples(17640, 44100, tones); // 0.4 s: six frames and one past
    test::writeFile(dir / "tones.wav", test::makeWave(waveSpec));

    const auto out = test::convertFile(dir / "tones.wav", dir / "tones.dat", {15, false, 1});
    ASSERT_EQ(out.messages, std::vector<std::string>{messages::kFinished});
    ASSERT_EQ(out.file.size(), 64u * 8);
    for (std::size_t frame = 1; frame <= 4; ++frame)
        for (std::size_t v = 0; v < tones.size(); ++v) {
            const auto [frequency, amplitude] = tones[v];
            EXPECT_NEAR(recordWord(out.file, frame, 2 * v + 1), frequency * 10, 5) << frame << "/" << v;
            const double level = 2 * amplitude * 256 / M_PI;
            EXPECT_NEAR(recordWord(out.file, frame, 2 * v), level, level * 0.01) << frame << "/" << v;
        }
}

struct OptionCase {
    std::uint32_t sampleRate;
    std::uint16_t channels;
    test::JobOptionsUnderTest options;
};

class EveryOption : public ::testing::TestWithParam<OptionCase> {};

TEST_P(EveryOption, WritesACompleteParameterFile)
{
    const OptionCase c = GetParam();
    test::TempDir dir;
    test::WaveSpec waveSpec;
    waveSpec.sampleRate = c.sampleRate;
    waveSpec.channels = c.channels;
    const int frames = static_cast<int>(c.sampleRate / 20); // 0.05 s
    const auto mono = test::sineSamples(frames, c.sampleRate, {{523.0, 6000}, {2217.0, 3000}});
    for (const std::int16_t s : mono)
        for (int ch = 0; ch < c.channels; ++ch)
            waveSpec.samples.push_back(s);
    test::writeFile(dir / "in.wav", test::makeWave(waveSpec));

    const auto out = test::convertFile(dir / "in.wav", dir / "out.dat", c.options);
    ASSERT_EQ(out.messages, std::vector<std::string>{messages::kFinished});
    const FrameGeometry g = makeFrameGeometry(static_cast<std::int32_t>(c.sampleRate), c.options.framesPerSecond,
                                              c.options.staggered, frames);
    ASSERT_EQ(out.file.size(), 64u * static_cast<std::size_t>(g.frameCount + 1));

    for (std::size_t f = 0; f < static_cast<std::size_t>(g.frameCount); ++f) {
        for (std::size_t v = 0; v < kVoiceCount; ++v) {
            EXPECT_GE(recordWord(out.file, f, 2 * v), 0);
            EXPECT_GE(recordWord(out.file, f, 2 * v + 1), 550) << "every voice measured, 55 Hz at least";
            EXPECT_LE(recordWord(out.file, f, 2 * v + 1), 80000);
        }
        for (std::size_t w = 12; w < 16; ++w)
            EXPECT_EQ(recordWord(out.file, f, w), 0);
    }
    EXPECT_GT(recordWord(out.file, 0, 0), 100000) << "the strongest tone shows in the first frame";
    EXPECT_EQ(recordWord(out.file, static_cast<std::size_t>(g.frameCount), 15), c.options.framesPerSecond);
}

INSTANTIATE_TEST_SUITE_P(
    Options, EveryOption,
    ::testing::Values(OptionCase{44100, 1, {60, false, 1}}, OptionCase{44100, 1, {60, true, 4}},
                      OptionCase{44100, 1, {30, true, 1}}, OptionCase{48000, 2, {20, true, 1}},
                      OptionCase{48000, 2, {15, false, 1}}, OptionCase{44100, 2, {15, true, 1}}));

} // namespace
} // namespace quillwave
