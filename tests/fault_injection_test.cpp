#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "job/conversion_job.h"
#include "platform/file_io.h"
#include "platform/messages.h"
#include "support/test_support.h"

#if defined(__SANITIZE_ADDRESS__)
#define QUILLWAVE_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLWAVE_LEAK_CHECK 1
#endif
#endif
#ifdef QUILLWAVE_LEAK_CHECK
#include <sanitizer/lsan_interface.h>
#endif

namespace quillwave {
namespace {

namespace fs = std::filesystem;
using namespace messages;
using test::FakeClock;
using test::FakeHost;
using test::readFile;
using test::TempDir;
using test::writeFile;

std::vector<std::string> namesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Files beyond `bytes` cannot grow in this process while it lives: a full disk, as a
// write after creation sees it (EFBIG instead of a signal). Works as root, unlike chmod.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limited = previous_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

// Bytes that cannot be mistaken for a prefix of anything else written here.
std::vector<std::uint8_t> pattern(std::size_t length, std::uint8_t seed)
{
    std::vector<std::uint8_t> bytes(length);
    for (std::size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7 + (i >> 12));
    return bytes;
}

std::string write(const std::vector<std::uint8_t>& bytes, const fs::path& path)
{
    return writeWholeFile(bytes.data(), bytes.size(), path.string());
}

// ---- the output cannot be created ----------------------------------------------------

TEST(OutputFaults, CannotBeCreatedTouchesNothing)
{
    TempDir dir;
    writeFile(dir / "plain", {1, 2, 3});
    fs::create_directory(dir / "folder.dat");
    fs::create_symlink(dir / "nofolder" / "x.dat", dir / "dangling.dat");
    fs::create_symlink(dir / "folder.dat", dir / "to-folder.dat");
    const char* cases[] = {"nofolder/a.dat", "plain/a.dat", "folder.dat", "to-folder.dat", "dangling.dat"};
    const std::vector<std::string> before = namesIn(dir.path());
    for (const char* name : cases) {
        EXPECT_EQ(write(pattern(100, 1), dir / name), kCannotCreate) << name;
        EXPECT_EQ(namesIn(dir.path()), before) << name << ": nothing is left behind";
    }
    EXPECT_TRUE(fs::is_empty(dir / "folder.dat"));
    EXPECT_EQ(readFile(dir / "plain"), (std::vector<std::uint8_t>{1, 2, 3}));
}

// The temporary file beside the target must not need a longer name than the target itself.
TEST(OutputFaults, LongestFileNameCanBeWritten)
{
    TempDir dir;
    const long nameMax = ::pathconf(dir.path().c_str(), _PC_NAME_MAX);
    ASSERT_GT(nameMax, 8);
    const fs::path target = dir / (std::string(static_cast<std::size_t>(nameMax) - 4, 'n') + ".dat");
    const auto bytes = pattern(300, 2);
    EXPECT_EQ(write(bytes, target), "");
    EXPECT_EQ(readFile(target), bytes);
    EXPECT_EQ(namesIn(dir.path()).size(), 1u);
}

// ---- writing fails after the file was created -------------------------------------------

TEST(OutputFaults, FullDiskKeepsThePreviousFileAndLeavesNoTemporary)
{
    TempDir dir;
    const fs::path target = dir / "out.dat";
    const auto previous = pattern(64, 3);
    writeFile(target, previous);
    for (std::size_t length : {std::size_t{4097}, std::size_t{1} << 20}) {
        {
            FileSizeLimit limit(4096);
            EXPECT_EQ(write(pattern(length, 4), target), kWriteError) << length;
        }
        EXPECT_EQ(readFile(target), previous);
        EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"out.dat"});
    }
    // A fresh target on a full disk: no file appears at all.
    {
        FileSizeLimit limit(10);
        EXPECT_EQ(write(pattern(11, 5), dir / "new.dat"), kWriteError);
    }
    EXPECT_FALSE(fs::exists(dir / "new.dat"));
    // Room again: the same write goes through.
    const auto next = pattern(1 << 20, 6);
    EXPECT_EQ(write(next, target), "");
    EXPECT_EQ(readFile(target), next);
}

// ---- the process is killed while it writes -----------------------------------------------

// A writer process is killed at moments spread over its write: before the temporary file
// exists, while it grows, around the rename, after it. Whatever the moment, the target is
// the previous file or the complete new one, never a mixture or a part.
TEST(OutputFaults, KilledWriterLeavesOldOrCompleteNewFile)
{
    TempDir dir;
    const fs::path target = dir / "out.dat";
    const auto previous = pattern(4096, 7);
    const auto next = pattern(24u << 20, 8);
    writeFile(target, previous);

    // The writer creates and renames while this looks, so every step tolerates a vanished name.
    auto temporaryGrowing = [&] {
        std::error_code ec;
        for (fs::directory_iterator it(dir.path(), ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code sizeError;
            const auto size = fs::file_size(it->path(), sizeError);
            if (it->path().filename() != "out.dat" && !sizeError && size > 0)
                return true;
        }
        return false;
    };
    int killedWhileGrowing = 0;
    for (int moment = 0; moment < 12; ++moment) {
        SCOPED_TRACE(moment);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            ::_exit(write(next, target).empty() ? 0 : 1);
        if (moment % 3 == 0) {
            // In the middle: as soon as the temporary file has some of the bytes.
            for (int spin = 0; spin < 200000 && !temporaryGrowing(); ++spin)
                std::this_thread::sleep_for(std::chrono::microseconds(20));
            killedWhileGrowing += temporaryGrowing();
        } else {
            std::this_thread::sleep_for(std::chrono::microseconds(moment * moment * 300));
        }
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);

        const auto now = readFile(target);
        EXPECT_TRUE(now == previous || now == next) << "a target of " << now.size() << " bytes";
        // A killed writer may leave its hidden temporary, never anything under the target's name.
        for (const std::string& name : namesIn(dir.path()))
            EXPECT_TRUE(name == "out.dat" || name.rfind(".out.dat.", 0) == 0) << name;
        writeFile(target, previous);
    }
    RecordProperty("killed_while_growing", killedWhileGrowing);

    // The next writer, after all those, runs normally.
    EXPECT_EQ(write(next, target), "");
    EXPECT_EQ(readFile(target), next);
}

// ---- faults during a job ---------------------------------------------------------------------

class JobFaults : public ::testing::Test {
protected:
    JobFaults() : host(state), ownedJob(std::make_unique<ConversionJob>(host, state, clock)), job(*ownedJob)
    {
        host.path = (dir / "short.wav").string();
        host.setSinglePass(true);
        // No samples: one frame, so a sweep over every moment of a job stays quick.
        writeFile(dir / "short.wav", test::makeWave({}));
        writeFile(dir / "short.dat", previous);
    }

    // Every frame unit ends with a progress check; the pump asks for an abort at check n.
    void abortAtCheck(int n)
    {
        clock.tickStep = 101;
        host.onPump = [this, n, count = 0](FakeHost& h) mutable {
            if (++count == n)
                requestAbort(state, h);
        };
    }

    // One message, the job idle, no window, no memory held, and only the two files there.
    void expectEnded(const char* text)
    {
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].text, text);
        EXPECT_FALSE(state.busy);
        EXPECT_FALSE(state.progressWindow);
        EXPECT_EQ(job.pool().count(), 0);
        EXPECT_EQ(job.pool().liveBlocks(), 0);
        EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"short.dat", "short.wav"}));
        host.messages.clear();
    }

    void expectNormalJob()
    {
        host.onPump = nullptr;
        job.run();
        expectEnded(kFinished);
        EXPECT_EQ(readFile(dir / "short.dat").size(), 64u * 2);
    }

    const std::vector<std::uint8_t> previous = pattern(100, 9);
    TempDir dir;
    JobState state;
    FakeClock clock;
    FakeHost host;
    // Owned apart so a test can end the job (and its engine's threads' buffers) early.
    std::unique_ptr<ConversionJob> ownedJob;
    ConversionJob& job;
};

TEST_F(JobFaults, FullDiskEndsWithWriteErrorAndTheNextJobRuns)
{
    {
        FileSizeLimit limit(100); // the input is already there; the output needs 128 bytes
        job.run();
    }
    expectEnded(kWriteError);
    EXPECT_EQ(host.destroyed, 1) << "the progress window closes before the message";
    EXPECT_EQ(readFile(dir / "short.dat"), previous);
    expectNormalJob();
}

// Cancels at every progress check of both phases, with each engine, then runs a normal
// job: no file, no memory and (under the leak checker) no allocation outlives the job.
TEST_F(JobFaults, CancelAtEveryCheckOfBothPhases)
{
    for (EngineKind engine : {EngineKind::Reference, EngineKind::Fast}) {
        job.options.engine = engine;
        int check = 1;
        for (; check < 200; ++check) {
            SCOPED_TRACE(testing::Message() << "engine " << static_cast<int>(engine) << ", check " << check);
            abortAtCheck(check);
            job.run();
            ASSERT_EQ(host.messages.size(), 1u);
            if (host.messages[0].text == kFinished)
                break; // past the last check of the level pass
            expectEnded(kAborted);
            EXPECT_EQ(readFile(dir / "short.dat"), previous);
        }
        EXPECT_GT(check, 2) << "the engine reports its units to the progress clock";
        host.messages.clear();
        writeFile(dir / "short.dat", previous);
        expectNormalJob();
        writeFile(dir / "short.dat", previous);
    }
#ifdef QUILLWAVE_LEAK_CHECK
    // Once the job and its engine are gone, nothing any cancelled job allocated may remain.
    // (Not before: a live engine's per-thread buffers sit in TBB's own allocator, which the
    // leak checker cannot scan.)
    ownedJob.reset();
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0) << "a cancelled job leaked";
#endif
}

// The fast engine runs frames in parallel batches between its checks: cancelling at every
// check of a job of 15 frames stops it between batches of both phases, on two threads.
TEST_F(JobFaults, CancelTheFastEngineBetweenBatches)
{
    test::WaveSpec waveSpec;
    waveSpec.samples = test::sineSamples(735 * 14, 44100, {{440.0, 9000.0}, {1320.0, 4000.0}});
    writeFile(dir / "short.wav", test::makeWave(waveSpec));
    job.options.engine = EngineKind::Fast;
    job.options.threads = 2;
    int check = 1;
    bool abortedInLevels = false;
    for (; check < 200; ++check) {
        SCOPED_TRACE(check);
        abortAtCheck(check);
        job.run();
        ASSERT_EQ(host.messages.size(), 1u);
        if (host.messages[0].text == kFinished)
            break;
        abortedInLevels = abortedInLevels || !state.firstPhase;
        expectEnded(kAborted);
        EXPECT_EQ(readFile(dir / "short.dat"), previous);
    }
    EXPECT_GT(check, 6) << "at least one check per voice";
    EXPECT_TRUE(abortedInLevels);
    RecordProperty("checks", check - 1);
    host.messages.clear();
    host.onPump = nullptr;
    job.run();
    expectEnded(kFinished);
    EXPECT_EQ(readFile(dir / "short.dat").size(), 64u * 16);
#ifdef QUILLWAVE_LEAK_CHECK
    ownedJob.reset();
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0) << "a cancelled job leaked";
#endif
}

} // namespace
} // namespace quillwave
