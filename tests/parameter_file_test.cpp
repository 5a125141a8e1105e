#include <gtest/gtest.h>

#include <cstring>

#include "output/parameter_file.h"
#include "support/test_support.h"

namespace quillwave {
namespace {

TEST(ParameterFile, PathDropsFourBytesAndAddsDat)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/music/song.wav", "/music/song.dat"},
        {"/music/SONG.WAV", "/music/SONG.dat"},
        {"/music/songwav", "/music/son.dat"},
        {"wav", ".dat"},
        {"/tmp/日本語.wav", "/tmp/日本語.dat"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(parameterFilePath(in), out) << in;
}

TEST(ParameterFile, WritesRecordsThenTerminatorAndTruncates)
{
    test::TempDir dir;
    const std::string path = (dir / "out.dat").string();
    auto records = std::make_unique<OutputRecords>();
    records->setVoice(0, 0, 636440, 10000);
    records->setVoice(60, 5, 7, 4401);
    ASSERT_EQ(writeParameterFile(*records, path, 61, 60), "");
    std::vector<std::uint8_t> bytes = test::readFile(path);
    ASSERT_EQ(bytes.size(), 3968u);
    std::int32_t words[16 * 62];
    std::memcpy(words, bytes.data(), bytes.size());
    EXPECT_EQ(words[0], 636440);
    EXPECT_EQ(words[1], 10000);
    EXPECT_EQ(words[60 * 16 + 10], 7);
    EXPECT_EQ(words[60 * 16 + 11], 4401);
    for (int w = 0; w < 15; ++w)
        EXPECT_EQ(words[61 * 16 + w], 0);
    EXPECT_EQ(words[61 * 16 + 15], 60);

    // A shorter file after a longer one leaves only the new length.
    records->clear();
    ASSERT_EQ(writeParameterFile(*records, path, 1, 15), "");
    bytes = test::readFile(path);
    ASSERT_EQ(bytes.size(), 128u);
    std::int32_t last;
    std::memcpy(&last, bytes.data() + 124, 4);
    EXPECT_EQ(last, 15);
}

TEST(ParameterFile, RoomForTheLongestInput)
{
    auto records = std::make_unique<OutputRecords>();
    test::TempDir dir;
    const std::string path = (dir / "long.dat").string();
    ASSERT_EQ(writeParameterFile(*records, path, kMaxFrames, 60), "");
    EXPECT_EQ(test::readFile(path).size(), 64u * (36001 + 1));
}

} // namespace
} // namespace quillwave
