#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

#include "platform/messages.h"
#include "support/test_support.h"

namespace quillwave {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status;
    std::string out;
};

CliRun runCli(const std::string& arguments)
{
    const std::string command = std::string(QUILLWAVE_CLI) + " " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string out;
    std::array<char, 4096> buffer;
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
        out.append(buffer.data(), n);
    const int raw = ::pclose(pipe);
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out};
}

TEST(Cli, UsageErrorsExitWithTwo)
{
    const char* cases[] = {
        "", "convert", "convert --passes 3 a.wav", "convert --fps 25 a.wav", "convert --engine turbo a.wav",
        "convert --threads -1 a.wav", "convert -o x.dat a.wav b.wav", "convert --bogus a.wav", "frobnicate",
    };
    for (const char* args : cases) {
        const CliRun r = runCli(args);
        EXPECT_EQ(r.status, 2) << args << "\n" << r.out;
        EXPECT_FALSE(r.out.empty()) << args;
    }
    EXPECT_EQ(runCli("--help").status, 0);
}

TEST(Cli, ConvertsEveryFileAndReportsEach)
{
    test::TempDir dir;
    test::WaveSpec waveSpec;
    waveSpec.samples = test::sineSamples(2205, 44100, {{440.0, 8000.0}, {1250.0, 3000.0}});
    test::writeFile(dir / "a.wav", test::makeWave(waveSpec));
    test::writeFile(dir / "bad.wav", {1, 2, 3});

    const std::string a = (dir / "a.wav").string();
    const CliRun one = runCli("convert --passes 1 " + a + " " + (dir / "bad.wav").string());
    EXPECT_EQ(one.status, 1) << one.out;
    EXPECT_NE(one.out.find(a + ": " + messages::kFinished), std::string::npos) << one.out;
    EXPECT_NE(one.out.find(messages::kCannotHandle), std::string::npos) << one.out;
    // 2205 samples are three frames of 735, plus one frame past the end, plus the terminator.
    EXPECT_EQ(fs::file_size(dir / "a.dat"), 64u * 5);
    EXPECT_FALSE(fs::exists(dir / "bad.dat"));

    const CliRun named = runCli("convert --passes 1 --fps 30 -o " + (dir / "named.dat").string() + " " + a);
    EXPECT_EQ(named.status, 0) << named.out;
    EXPECT_EQ(fs::file_size(dir / "named.dat"), 64u * 4);

    const CliRun dump = runCli("dump " + (dir / "a.dat").string());
    EXPECT_EQ(dump.status, 0);
    EXPECT_NE(dump.out.find("4 frames at 60 per second"), std::string::npos) << dump.out;
}

TEST(Cli, CtrlCCancelsAndWritesNothing)
{
    test::TempDir dir;
    test::WaveSpec waveSpec;
    waveSpec.samples = test::sineSamples(30 * 44100, 44100, {{440.0, 8000.0}, {3100.0, 2000.0}});
    test::writeFile(dir / "long.wav", test::makeWave(waveSpec));
    const std::vector<std::uint8_t> previous = {'o', 'l', 'd'};
    test::writeFile(dir / "long.dat", previous);

    // Half a second into thirty seconds of audio: the conversion is far from done.
    const std::string command = "timeout --preserve-status -s INT 0.5 " + std::string(QUILLWAVE_CLI) +
                                " convert " + (dir / "long.wav").string() + " > " + (dir / "out.txt").string();
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 1);
    const auto out = test::readFile(dir / "out.txt");
    EXPECT_NE(std::string(out.begin(), out.end()).find(messages::kAborted), std::string::npos);
    EXPECT_EQ(test::readFile(dir / "long.dat"), previous);
}

} // namespace
} // namespace quillwave
