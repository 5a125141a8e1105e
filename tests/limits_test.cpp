#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "analysis/signal_buffer.h"
#include "job/conversion_job.h"
#include "platform/messages.h"
#include "support/test_support.h"

namespace quillwave {
namespace {

namespace fs = std::filesystem;
using namespace messages;
using test::FakeClock;
using test::FakeHost;
using test::TempDir;

// The longest accepted input, for every option of the window: every frame of every voice
// lies inside the used part of the signal blocks, and the store and the records have a row
// for every frame (and the records one more for the terminator).
TEST(Limits, LongestInputFitsEveryArrayWithEveryOption)
{
    for (std::int32_t rate : {44100, 48000}) {
        const std::int32_t n = rate * kMaxSeconds;
        const std::size_t usedSamples = static_cast<std::size_t>(n) + 2 * kPadSamples;
        EXPECT_GE(signalBlockBytes(n) / sizeof(std::int32_t), usedSamples);
        for (std::int32_t fps : {15, 20, 30, 60}) {
            for (bool staggered : {false, true}) {
                SCOPED_TRACE(testing::Message() << rate << " Hz, " << fps << " fps, stagger " << staggered);
                const FrameGeometry g = makeFrameGeometry(rate, fps, staggered, n);
                EXPECT_EQ(g.frameCount, kMaxSeconds * fps + 1);
                EXPECT_LE(g.frameCount, ComponentStore::rowCount());
                EXPECT_LE(g.frameCount + 1, OutputRecords::capacity());
                for (int v = 0; v < kVoiceCount; ++v) {
                    EXPECT_GE(frameStart(g, 0, v), 0);
                    EXPECT_LE(static_cast<std::size_t>(frameStart(g, g.frameCount - 1, v) + g.frameLength),
                              usedSamples);
                }
            }
        }
    }
}

// Stands in for the analysis: touches the first and last frame of every voice in the signal,
// fills the store's first and last rows, and gives the last frame a level in every voice.
// Under the sanitizers a row or a sample too few is an error, not a silent overwrite.
class EdgeEngine final : public AnalysisEngine {
public:
    FrameGeometry seen;
    bool analysed = false;
    void prepareJob(const FrameGeometry& geometry) override { seen = geometry; }
    bool runAnalysisPasses(const FrameGeometry& g, int, SignalBuffer& signal, ComponentStore& store,
                           UnitProgress&) override
    {
        analysed = true;
        for (int v = 0; v < kVoiceCount; ++v)
            for (std::int32_t frame : {0, g.frameCount - 1}) {
                std::int64_t sum = 0;
                for (std::int32_t i = 0; i < g.frameLength; ++i)
                    sum += signal.residual[frameStart(g, frame, v) + i];
                for (int s = 0; s < kSlotsPerVoice; ++s)
                    store.storeComponent(frame, v, s, {static_cast<std::int32_t>(sum) + 1, 4400000, s});
            }
        return true;
    }
    bool runLevelPass(const FrameGeometry& g, const ComponentStore& store, OutputRecords& records,
                      UnitProgress&) override
    {
        for (int v = 0; v < kVoiceCount; ++v)
            records.setVoice(g.frameCount - 1, v, store.componentAt(g.frameCount - 1, v, 13).amplitude + v,
                             4400);
        return true;
    }
};

class LimitJobs : public ::testing::Test {
protected:
    LimitJobs() : host(state), job(host, state, clock)
    {
        auto owned = std::make_unique<EdgeEngine>();
        engine = owned.get();
        job.useEngine(std::move(owned));
    }

    // A mono file of silence with `frames` sample frames; sparse, so it costs no disk.
    fs::path silence(std::uint32_t rate, std::int64_t frames)
    {
        test::WaveSpec waveSpec;
        waveSpec.sampleRate = rate;
        waveSpec.declaredDataSize = frames * 2;
        const auto header = test::makeWave(waveSpec);
        const fs::path path = dir / ("silence-" + std::to_string(rate) + "-" + std::to_string(frames) + ".wav");
        test::writeFile(path, header);
        fs::resize_file(path, header.size() + static_cast<std::uintmax_t>(frames) * 2);
        return path;
    }

    const char* run(const fs::path& input)
    {
        host.messages.clear();
        host.path = input.string();
        job.run();
        EXPECT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(job.pool().count(), 0);
        EXPECT_FALSE(state.busy);
        return host.messages.empty() ? "" : host.messages.back().text.c_str();
    }

    TempDir dir;
    JobState state;
    FakeClock clock;
    FakeHost host;
    ConversionJob job;
    EdgeEngine* engine = nullptr;
};

// Exactly 600 seconds: 36001 frames at 60 per second, all of them in the file, then the
// terminator. One sample frame more is refused before any signal memory is taken.
TEST_F(LimitJobs, SixHundredSecondsAtBothRates)
{
    for (std::uint32_t rate : {44100u, 48000u}) {
        SCOPED_TRACE(rate);
        const std::int64_t longest = static_cast<std::int64_t>(rate) * kMaxSeconds;
        const fs::path input = silence(rate, longest);
        EXPECT_STREQ(run(input), kFinished);
        EXPECT_EQ(engine->seen.frameCount, 36001);
        const fs::path output = fs::path(input).replace_extension(".dat");
        const auto bytes = test::readFile(output);
        ASSERT_EQ(bytes.size(), 64u * 36002);
        std::int32_t last[16], terminator[16];
        std::memcpy(last, bytes.data() + 64 * 36000, 64);
        std::memcpy(terminator, bytes.data() + 64 * 36001, 64);
        EXPECT_EQ(last[0], 1) << "the last frame has its row in the store and its record";
        EXPECT_EQ(last[10], 6);
        EXPECT_EQ(last[11], 4400);
        EXPECT_EQ(terminator[15], 60);
        fs::remove(input);

        engine->analysed = false;
        const fs::path longer = silence(rate, longest + 1);
        job.pool().refuseFrom(1); // any signal memory asked for would turn the message
        EXPECT_STREQ(run(longer), kTooLong);
        job.pool().refuseFrom(-1);
        EXPECT_FALSE(engine->analysed);
        EXPECT_FALSE(fs::exists(fs::path(longer).replace_extension(".dat")));
        fs::remove(longer);
    }
}

// Inputs that lie about their length are refused before anything is analysed or written.
TEST_F(LimitJobs, LyingLengthsAreRefusedUnread)
{
    test::WaveSpec truncated;
    truncated.samples = test::sineSamples(1000, 44100, {{440.0, 5000.0}});
    truncated.declaredDataSize = 2001;
    test::writeFile(dir / "truncated.wav", test::makeWave(truncated));
    truncated.declaredDataSize = 0xFFFFFFFF;
    test::writeFile(dir / "huge-claim.wav", test::makeWave(truncated));
    // 2 GiB on disk (a hole): the reader must refuse it from its length alone.
    const fs::path huge = dir / "two-gib.wav";
    test::writeFile(huge, test::makeWave(truncated));
    fs::resize_file(huge, std::uintmax_t{1} << 31);

    const std::pair<const char*, const char*> cases[] = {
        {"truncated.wav", kBadDataLength}, {"huge-claim.wav", kBadDataLength}, {"two-gib.wav", kCannotHandle}};
    for (const auto& [name, message] : cases) {
        SCOPED_TRACE(name);
        // No memory at all: a file that were read would get the memory message instead.
        job.pool().refuseFrom(std::string(name) == "two-gib.wav" ? 0 : 1);
        EXPECT_STREQ(run(dir / name), message);
        EXPECT_FALSE(engine->analysed);
        EXPECT_FALSE(fs::exists(fs::path(dir / name).replace_extension(".dat")));
    }
}

} // namespace
} // namespace quillwave
