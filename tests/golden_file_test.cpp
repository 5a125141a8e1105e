#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "engine_test_job.h"

namespace quillwave {
namespace {

namespace fs = std::filesystem;

// Fixed inputs and the parameter files the reference engine wrote for them. Any change to
// the numerics shows here as a changed byte. When a change is meant, regenerate with
//   quillwave_tests --gtest_also_run_disabled_tests --gtest_filter='*RegenerateGoldenFiles*'
// and say in the commit why the output moved.
struct Golden {
    const char* name;
    std::uint32_t sampleRate;
    std::uint16_t channels;
    test::JobOptionsUnderTest options;
};

void PrintTo(const Golden& g, std::ostream* os) { *os << g.name; }

const Golden kGoldens[] = {
    // The dialog's defaults: 60 frames per second, no stagger, four passes.
    {"golden_44100_mono", 44100, 1, {60, false, 4}},
    // The other rate, a stereo mix, longer frames, stagger, one pass.
    {"golden_48000_stereo", 48000, 2, {30, true, 1}},
};

fs::path dataPath(const std::string& file) { return fs::path(QUILLWAVE_TEST_DATA) / file; }

// Two steady tones, a rising chirp and a short burst of a third tone.
std::vector<std::int16_t> goldenSamples(const Golden& g)
{
    const double rate = g.sampleRate;
    const int frames = static_cast<int>(g.sampleRate / 10) + 321; // 0.1 s and an odd tail
    std::vector<std::int16_t> out;
    for (int i = 0; i < frames; ++i) {
        const double t = i / rate;
        const double steady = 5000 * std::sin(2 * M_PI * 330 * t) + 2500 * std::sin(2 * M_PI * 1870 * t + 1);
        const double chirp = 4000 * std::sin(2 * M_PI * (200 * t + 0.5 * 20000 * t * t)); // 200 Hz + 20 kHz/s
        const double burst = (t > 0.04 && t < 0.07) ? 6000 * std::sin(2 * M_PI * 5230 * t) : 0;
        const auto left = static_cast<std::int16_t>(std::lround(steady + chirp + burst));
        out.push_back(left);
        if (g.channels == 2) // the right channel carries only the chirp and the burst
            out.push_back(static_cast<std::int16_t>(std::lround(chirp + burst)));
    }
    return out;
}

class GoldenFile : public ::testing::TestWithParam<Golden> {};

TEST_P(GoldenFile, ReferenceEngineWritesTheSameBytes)
{
    const Golden g = GetParam();
    const fs::path wave = dataPath(std::string(g.name) + ".wav");
    const auto expected = test::readFile(dataPath(std::string(g.name) + ".dat"));
    ASSERT_FALSE(expected.empty()) << "missing " << g.name << ".dat";

    test::TempDir dir;
    const auto out = test::convertFile(wave, dir / "out.dat", g.options);
    ASSERT_EQ(out.messages, std::vector<std::string>{messages::kFinished});
    ASSERT_EQ(out.file.size(), expected.size());
    for (std::size_t at = 0; at < expected.size(); at += 4)
        ASSERT_EQ(test::recordWord(out.file, at / 64, at % 64 / 4), test::recordWord(expected, at / 64, at % 64 / 4))
            << "record " << at / 64 << ", word " << at % 64 / 4;
}

TEST_P(GoldenFile, InputIsTheGeneratedSignal)
{
    // Keeps the committed input and its generator from drifting apart unnoticed.
    const Golden g = GetParam();
    test::WaveSpec waveSpec;
    waveSpec.sampleRate = g.sampleRate;
    waveSpec.channels = g.channels;
    waveSpec.samples = goldenSamples(g);
    EXPECT_EQ(test::readFile(dataPath(std::string(g.name) + ".wav")), test::makeWave(waveSpec));
}

INSTANTIATE_TEST_SUITE_P(Inputs, GoldenFile, ::testing::ValuesIn(kGoldens),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GoldenFile, DISABLED_RegenerateGoldenFiles)
{
    for (const Golden& g : kGoldens) {
        test::WaveSpec waveSpec;
        waveSpec.sampleRate = g.sampleRate;
        waveSpec.channels = g.channels;
        waveSpec.samples = goldenSamples(g);
        const fs::path wave = dataPath(std::string(g.name) + ".wav");
        test::writeFile(wave, test::makeWave(waveSpec));
        const auto out = test::convertFile(wave, dataPath(std::string(g.name) + ".dat"), g.options);
        ASSERT_EQ(out.messages, std::vector<std::string>{messages::kFinished});
    }
}

} // namespace
} // namespace quillwave
