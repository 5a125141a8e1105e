#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <system_error>

#include "job/conversion_job.h"
#include "platform/messages.h"
#include "support/stepping_engine.h"
#include "support/test_support.h"

namespace quillwave {
namespace {

namespace fs = std::filesystem;
using namespace messages;
using test::FakeClock;
using test::FakeHost;
using test::SteppingEngine;
using test::TempDir;

class ConversionJobTest : public ::testing::Test {
protected:
    ConversionJobTest() : host(state), job(host, state, clock)
    {
        auto engine = std::make_unique<SteppingEngine>();
        walker = engine.get();
        job.useEngine(std::move(engine));
        host.path = (dir / "tone.wav").string();
        writeTone(dir / "tone.wav", 44100);
    }

    static void writeTone(const fs::path& path, std::uint32_t rate)
    {
        test::WaveSpec waveSpec;
        waveSpec.sampleRate = rate;
        waveSpec.samples = test::sineSamples(static_cast<int>(rate), rate, {{440.0, 8000.0}});
        test::writeFile(path, test::makeWave(waveSpec));
    }

    // Every frame unit ends with a progress check; the pump runs `action` at check `n`.
    void atCheck(int n, std::function<void(FakeHost&)> action)
    {
        clock.tickStep = 101;
        host.onPump = [n, action, count = 0](FakeHost& h) mutable {
            if (++count == n)
                action(h);
        };
    }

    void expectOneMessage(const char* text, MessageIcon icon = MessageIcon::None)
    {
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].text, text);
        EXPECT_EQ(host.messages[0].icon, icon);
        EXPECT_FALSE(state.busy);
        EXPECT_FALSE(state.progressWindow);
        EXPECT_EQ(job.pool().count(), 0) << "work memory released";
    }

    TempDir dir;
    JobState state;
    FakeClock clock;
    FakeHost host;
    ConversionJob job;
    SteppingEngine* walker = nullptr;
};

TEST_F(ConversionJobTest, ConvertsAndWritesOneRecordPerFramePlusTerminator)
{
    job.run();
    expectOneMessage(kFinished);
    EXPECT_EQ(host.created, 1);
    EXPECT_EQ(host.destroyed, 1);
    EXPECT_EQ(walker->analysisUnits, 4 * 6 * 61);
    EXPECT_EQ(walker->levelUnits, 6 * 61);
    const auto bytes = test::readFile(dir / "tone.dat");
    ASSERT_EQ(bytes.size(), 3968u);
    std::int32_t last[16];
    std::memcpy(last, bytes.data() + 61 * 64, 64);
    EXPECT_EQ(last[15], 60);
}

TEST_F(ConversionJobTest, ReadsOptionsFromTheRadioButtons)
{
    host.setSinglePass(true);
    host.checks[control::kFrames60] = false;
    host.checks[control::kFrames20] = true;
    host.checks[control::kStaggerOn] = true;
    EXPECT_EQ(readSettings(host).framesPerSecond, 20);
    EXPECT_TRUE(readSettings(host).staggered);
    host.checks[control::kFrames20] = false;
    EXPECT_EQ(readSettings(host).framesPerSecond, 15) << "15 when none of the others is checked";
    host.checks[control::kFrames30] = true;
    host.checks[control::kFrames60] = true;
    EXPECT_EQ(readSettings(host).framesPerSecond, 60) << "the last of the three wins";

    host.checks[control::kFrames60] = false;
    job.run();
    expectOneMessage(kFinished);
    EXPECT_EQ(walker->analysisUnits, 6 * 31);
    const auto bytes = test::readFile(dir / "tone.dat");
    ASSERT_EQ(bytes.size(), 64u * 32);
    EXPECT_EQ(bytes[31 * 64 + 60], 30);
}

TEST_F(ConversionJobTest, PathRuleTrimsAndTestsOnlyTheLastThreeBytes)
{
    fs::rename(dir / "tone.wav", dir / "TONE.WAV");
    host.path = (dir / "TONE.WAV").string() + "  \t";
    job.run();
    expectOneMessage(kFinished);
    EXPECT_TRUE(fs::exists(dir / "TONE.dat"));

    host.messages.clear();
    fs::rename(dir / "TONE.WAV", dir / "tonewav");
    host.path = (dir / "tonewav").string();
    job.run();
    expectOneMessage(kFinished);
    EXPECT_TRUE(fs::exists(dir / "ton.dat"));
}

TEST_F(ConversionJobTest, EarlyRefusalsWarnAndTouchNothing)
{
    const std::pair<std::string, const char*> cases[] = {
        {"", kNotWave}, {(dir / "tone.wa").string(), kNotWave}, {"  ", kNotWave}};
    for (const auto& [path, text] : cases) {
        host.messages.clear();
        host.path = path;
        job.run();
        expectOneMessage(text, MessageIcon::Warning);
        EXPECT_EQ(host.created, 0);
    }

    host.messages.clear();
    host.path = (dir / "tone.wav").string();
    clock.frequency = 0;
    job.run();
    expectOneMessage(kNoCounter, MessageIcon::Warning);
    EXPECT_FALSE(fs::exists(dir / "tone.dat"));
}

TEST_F(ConversionJobTest, BusyRefusesSilently)
{
    state.busy = true;
    job.run();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(state.busy);
    EXPECT_EQ(host.created, 0);
}

TEST_F(ConversionJobTest, ConvertPressedDuringAJobChangesNothing)
{
    atCheck(3, [this](FakeHost&) { job.run(); });
    job.run();
    expectOneMessage(kFinished);
}

TEST_F(ConversionJobTest, InputFailuresReleaseMemoryAndShowNoIcon)
{
    test::writeFile(dir / "junk.wav", std::vector<std::uint8_t>(100, 7));
    test::WaveSpec rate22;
    rate22.sampleRate = 22050;
    rate22.samples = {1, 2, 3};
    test::writeFile(dir / "rate.wav", test::makeWave(rate22));
    const std::pair<std::string, const char*> cases[] = {
        {"missing.wav", kNotFound},
        {"nofolder/a.wav", kCannotOpen},
        {"junk.wav", kCannotHandle},
        {"rate.wav", kBadRate},
    };
    for (const auto& [name, text] : cases) {
        host.messages.clear();
        host.path = (dir / name).string();
        job.run();
        expectOneMessage(text);
        EXPECT_EQ(host.created, 0) << name;
    }
}

TEST_F(ConversionJobTest, NoMemoryForTheSignal)
{
    for (int refused : {1, 2}) {
        host.messages.clear();
        job.pool().refuseFrom(refused);
        job.run();
        expectOneMessage(kNoMemory);
        EXPECT_EQ(host.created, 0);
    }
    job.pool().refuseFrom(-1);
    host.messages.clear();
    job.run();
    expectOneMessage(kFinished);
}

TEST_F(ConversionJobTest, OutputThatCannotBeCreated)
{
    fs::create_directory(dir / "tone.dat");
    job.run();
    expectOneMessage(kCannotCreate);
    EXPECT_EQ(host.destroyed, 1) << "the progress window closes first";
    EXPECT_TRUE(fs::is_directory(dir / "tone.dat"));
}

TEST_F(ConversionJobTest, AbortInEitherPhaseWritesNothingAndTheNextJobRuns)
{
    const std::vector<std::uint8_t> previous = {'o', 'l', 'd'};
    test::writeFile(dir / "tone.dat", previous);
    const int analysisChecks = 4 * 6 * 61;
    for (int check : {1, 100, analysisChecks - 1, analysisChecks + 1, analysisChecks + 200}) {
        SCOPED_TRACE(check);
        host.messages.clear();
        atCheck(check, [this](FakeHost& h) { requestAbort(state, h); });
        job.run();
        expectOneMessage(kAborted);
        EXPECT_EQ(test::readFile(dir / "tone.dat"), previous);
        // The abort is seen at the next check: exactly one more unit ran.
        EXPECT_EQ(walker->units, check + 1);
        walker->units = 0;
    }
    host.messages.clear();
    host.onPump = nullptr;
    job.run();
    expectOneMessage(kFinished);
    EXPECT_EQ(test::readFile(dir / "tone.dat").size(), 3968u);
}

TEST_F(ConversionJobTest, RunsWithoutAProgressWindow)
{
    host.progressCreatable = false;
    atCheck(1, [](FakeHost&) {});
    job.run();
    expectOneMessage(kFinished);
    EXPECT_EQ(host.refreshed, 0);
    EXPECT_GT(host.pumps, 0);
}

TEST_F(ConversionJobTest, EmptyDataGivesOneFrame)
{
    test::WaveSpec empty;
    test::writeFile(dir / "empty.wav", test::makeWave(empty));
    host.path = (dir / "empty.wav").string();
    job.run();
    expectOneMessage(kFinished);
    EXPECT_EQ(test::readFile(dir / "empty.dat").size(), 128u);
}

// An engine whose worker threads cannot be started.
class FailingEngine final : public AnalysisEngine {
public:
    void prepareJob(const FrameGeometry&) override {}
    bool runAnalysisPasses(const FrameGeometry&, int, SignalBuffer&, ComponentStore&, UnitProgress&) override
    {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    }
    bool runLevelPass(const FrameGeometry&, const ComponentStore&, OutputRecords&, UnitProgress&) override
    {
        return true;
    }
};

TEST_F(ConversionJobTest, AnEngineFailureStillEndsWithOneMessageAndNothingHeld)
{
    job.useEngine(std::make_unique<FailingEngine>());
    job.run();
    expectOneMessage(kNoMemory);
    EXPECT_EQ(host.destroyed, 1);
    EXPECT_FALSE(fs::exists(dir / "tone.dat"));
}

} // namespace
} // namespace quillwave
