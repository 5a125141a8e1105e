#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "output/parameter_file_reader.h"
#include "support/cli_run.h"
#include "support/test_support.h"

namespace quillwave {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> datBytes(std::vector<FrameRecord> frames, std::int32_t fps)
{
    FrameRecord terminator;
    terminator.words[kTerminatorRateWord] = fps;
    frames.push_back(terminator);
    std::vector<std::uint8_t> bytes(frames.size() * sizeof(FrameRecord));
    std::memcpy(bytes.data(), frames.data(), bytes.size());
    return bytes;
}

std::vector<FrameRecord> someFrames(int count)
{
    std::vector<FrameRecord> frames(static_cast<std::size_t>(count));
    for (int f = 0; f < count; ++f)
        for (int v = 0; v < 6; ++v) {
            frames[static_cast<std::size_t>(f)].words[2 * v] = 1000 * (f + 1) + v;
            frames[static_cast<std::size_t>(f)].words[2 * v + 1] = 4400 + 10 * v;
        }
    return frames;
}

struct Malformed {
    const char* name;
    std::vector<std::uint8_t> bytes; // empty with isDirectory or missing
    ParameterFileFault fault;
    const char* text;                // the whole line after "PATH: "
    bool directory = false;
    bool missing = false;
};

std::vector<Malformed> malformedFiles()
{
    std::vector<Malformed> cases;
    test::WaveSpec wave;
    wave.samples = test::sineSamples(735 * 2, 44100, {{440.0, 8000.0}});
    std::vector<std::uint8_t> waveBytes = test::makeWave(wave);
    cases.push_back({"a WAVE file", waveBytes, ParameterFileFault::WaveFile,
                     "a WAVE recording, not a parameter file (convert it first)"});
    // Even a recording whose size is a multiple of 64 is named as such.
    waveBytes.resize(64 * 20, 0);
    cases.push_back({"a WAVE file of whole records", waveBytes, ParameterFileFault::WaveFile,
                     "a WAVE recording, not a parameter file (convert it first)"});

    std::vector<std::uint8_t> good = datBytes(someFrames(3), 60);
    cases.push_back({"empty", {}, ParameterFileFault::TooShort,
                     "not a parameter file: 0 bytes, fewer than one frame record and the terminator (128)"});
    cases.push_back({"the terminator alone", datBytes({}, 60), ParameterFileFault::TooShort,
                     "not a parameter file: 64 bytes, fewer than one frame record and the terminator (128)"});
    std::vector<std::uint8_t> truncated(good.begin(), good.end() - 10);
    cases.push_back({"truncated", truncated, ParameterFileFault::OddSize,
                     "not a parameter file: 246 bytes is not a whole number of 64-byte records"});
    std::vector<std::uint8_t> longer = good;
    longer.push_back(0);
    cases.push_back({"one byte too many", longer, ParameterFileFault::OddSize,
                     "not a parameter file: 257 bytes is not a whole number of 64-byte records"});

    cases.push_back({"a frame rate of 25", datBytes(someFrames(3), 25), ParameterFileFault::BadFrameRate,
                     "bad terminator record: frame rate 25, not 15, 20, 30 or 60"});
    cases.push_back({"a frame rate of 0", datBytes(someFrames(3), 0), ParameterFileFault::BadFrameRate,
                     "bad terminator record: frame rate 0, not 15, 20, 30 or 60"});
    std::vector<std::uint8_t> dirtyTerminator = good;
    dirtyTerminator[3 * 64 + 4 * 7] = 9;
    cases.push_back({"a terminator word not zero", dirtyTerminator, ParameterFileFault::BadTerminator,
                     "bad terminator record: word 7 is 9, not 0"});

    for (int word : {12, 15}) {
        std::vector<FrameRecord> frames = someFrames(3);
        frames[1].words[word] = -4;
        cases.push_back({word == 12 ? "reserved word 12 set" : "reserved word 15 set", datBytes(frames, 60),
                         ParameterFileFault::ReservedWord,
                         word == 12 ? "frame 1: reserved word 12 is -4, not 0" : "frame 1: reserved word 15 is -4, not 0"});
    }
    std::vector<FrameRecord> negative = someFrames(3);
    negative[2].words[2 * 4] = -1;
    cases.push_back({"a negative level", datBytes(negative, 60), ParameterFileFault::NegativeLevel,
                     "frame 2: voice 4 has a negative level (-1)"});

    std::vector<std::uint8_t> huge(64 * 36003, 0);
    huge.back() = 0;
    huge[64 * 36002 + 60] = 60;
    cases.push_back({"longer than 600 s", huge, ParameterFileFault::TooLarge,
                     "not a parameter file: 2304192 bytes is more than the longest recording gives (2304128)"});

    cases.push_back({"a directory", {}, ParameterFileFault::CannotOpen,
                     "cannot be opened as a file (a directory, a device or no permission)", true});
    cases.push_back({"a missing file", {}, ParameterFileFault::NotFound, "no such file", false, true});
    return cases;
}

TEST(ParameterFileReader, AcceptsWhatAConversionWrites)
{
    const ParameterFileRead smallest = parseParameterFile(datBytes(someFrames(1), 15));
    ASSERT_TRUE(smallest.ok()) << describeFault(smallest);
    EXPECT_EQ(smallest.file.frameCount(), 1);
    EXPECT_EQ(smallest.file.framesPerSecond, 15);

    for (const char* name : {"golden_44100_mono.dat", "golden_48000_stereo.dat"}) {
        const ParameterFileRead read = readParameterFile(std::string(QUILLWAVE_TEST_DATA) + "/" + name);
        ASSERT_TRUE(read.ok()) << name << ": " << describeFault(read);
        EXPECT_EQ(64 * (read.file.frameCount() + 1), read.size) << name;
    }

    const ParameterFileRead three = parseParameterFile(datBytes(someFrames(3), 60));
    ASSERT_TRUE(three.ok());
    EXPECT_EQ(three.file.level(2, 5), 3005);
    EXPECT_EQ(three.file.frequencyE1(2, 5), 4450);
}

// Every command that reads a .dat refuses these with one line naming the file and the fault,
// exit status 1 and no output file.
TEST(ParameterFileReader, RefusesMalformedFilesEverywhere)
{
    for (const Malformed& c : malformedFiles()) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const fs::path path = dir / "input.dat";
        if (c.directory)
            fs::create_directory(path);
        else if (!c.missing)
            test::writeFile(path, c.bytes);

        const ParameterFileRead read = readParameterFile(path.string());
        EXPECT_EQ(read.fault, c.fault);
        EXPECT_EQ(describeFault(read), c.text);
        if (!c.directory && !c.missing) {
            EXPECT_EQ(parseParameterFile(c.bytes).fault, c.fault);
        }

        const std::string line = path.string() + ": " + c.text + "\n";
        const fs::path out = dir / "out";
        const std::string commands[] = {
            "dump " + path.string(),
            "export " + path.string() + " -o " + out.string(),
            "export --format json " + path.string(),
        };
        for (const std::string& command : commands) {
            const test::CliResult r = test::runCliSplit(command);
            EXPECT_EQ(r.status, 1) << command;
            EXPECT_EQ(r.err, line) << command;
            EXPECT_EQ(r.out, "") << command;
            EXPECT_FALSE(fs::exists(out)) << command;
        }
    }
}

TEST(ParameterFileReader, DumpShowsTimeAndCountZeroShowsAll)
{
    test::TempDir dir;
    const fs::path path = dir / "v.dat";
    std::vector<FrameRecord> frames = someFrames(30);
    frames[25].words[1] = 4401;
    test::writeFile(path, datBytes(frames, 30));

    const test::CliResult all = test::runCliSplit("dump --count 0 " + path.string());
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(all.out.rfind(path.string() + ": 30 frames at 30 per second\n", 0), 0u) << all.out;
    EXPECT_NE(all.out.find("\nframe    seconds    level0       Hz0    level1"), std::string::npos) << all.out;
    EXPECT_NE(all.out.find("\n   25   0.833333     26000     440.1     26001     441.0"), std::string::npos) << all.out;
    EXPECT_NE(all.out.find("\n   29   0.966667     30000"), std::string::npos) << all.out;
    EXPECT_EQ(std::count(all.out.begin(), all.out.end(), '\n'), 2 + 30);

    const test::CliResult some = test::runCliSplit("dump --first 28 --count 5 " + path.string());
    EXPECT_EQ(std::count(some.out.begin(), some.out.end(), '\n'), 2 + 2) << some.out;
}

} // namespace
} // namespace quillwave
