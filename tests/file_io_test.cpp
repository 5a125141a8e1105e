#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_io.h"
#include "platform/messages.h"
#include "platform/work_pool.h"
#include "support/test_support.h"

namespace quillwave {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;
using test::writeFile;

TEST(WorkPool, ReleasesEverythingTogether)
{
    WorkPool pool;
    pool.poolFreeAll();
    pool.poolFreeAll();
    EXPECT_EQ(pool.count(), 0);

    EXPECT_NE(pool.poolAlloc(16), nullptr);
    pool.refuseFrom(1);
    EXPECT_EQ(pool.poolAlloc(16), nullptr);
    EXPECT_EQ(pool.count(), 2) << "a refused request still takes a slot";
    EXPECT_EQ(pool.liveBlocks(), 1);
    pool.poolFreeAll();
    EXPECT_EQ(pool.count(), 0);

    pool.refuseFrom(-1);
    EXPECT_NE(pool.poolAlloc(8), nullptr);
    EXPECT_EQ(pool.poolAlloc(0), nullptr) << "zero bytes releases everything";
    EXPECT_EQ(pool.count(), 0);
}

TEST(WorkPool, FullTableRefusesInsteadOfOverrunning)
{
    WorkPool pool;
    for (int i = 0; i < WorkPool::kSlotCount; ++i)
        ASSERT_NE(pool.poolAlloc(1), nullptr);
    EXPECT_EQ(pool.poolAlloc(1), nullptr);
    EXPECT_EQ(pool.count(), WorkPool::kSlotCount);
}

struct OpenCase {
    const char* name;
    std::function<std::string(const TempDir&)> makePath;
    const char* message;
};

TEST(ReadWholeFile, OpenFailuresHaveTheirMessagesAndNeverBlock)
{
    using namespace messages;
    const OpenCase cases[] = {
        {"missing file in an existing folder", [](const TempDir& d) { return (d / "missing.wav").string(); }, kNotFound},
        {"missing folder", [](const TempDir& d) { return (d / "nofolder" / "a.wav").string(); }, kCannotOpen},
        {"a file used as a folder",
         [](const TempDir& d) {
             writeFile(d / "plain", {1});
             return (d / "plain" / "a.wav").string();
         },
         kCannotOpen},
        {"a directory",
         [](const TempDir& d) {
             fs::create_directory(d / "dir.wav");
             return (d / "dir.wav").string();
         },
         kCannotOpen},
        {"a FIFO with no writer",
         [](const TempDir& d) {
             ::mkfifo((d / "fifo.wav").c_str(), 0600);
             return (d / "fifo.wav").string();
         },
         kCannotOpen},
        {"a device", [](const TempDir&) { return std::string("/dev/zero"); }, kCannotOpen},
        {"a name too long", [](const TempDir& d) { return (d / std::string(300, 'a')).string() + ".wav"; }, kCannotOpen},
        {"a 2 GiB sparse file",
         [](const TempDir& d) {
             const fs::path p = d / "huge.wav";
             writeFile(p, {});
             fs::resize_file(p, std::uintmax_t{1} << 31);
             return p.string();
         },
         kCannotHandle},
    };
    for (const OpenCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WorkPool pool;
        const std::string path = c.makePath(dir);
        // A FIFO or device that blocked would hang here rather than fail.
        const FileBlock file = readWholeFile(pool, path, 4096);
        EXPECT_EQ(file.message, c.message);
        EXPECT_EQ(file.block, nullptr);
        EXPECT_EQ(pool.liveBlocks(), 0);
    }
}

TEST(ReadWholeFile, AppendsZeroBytes)
{
    TempDir dir;
    WorkPool pool;
    writeFile(dir / "empty.wav", {});
    FileBlock empty = readWholeFile(pool, (dir / "empty.wav").string(), 4096);
    EXPECT_EQ(empty.message, "");
    EXPECT_EQ(empty.fileLength, 0);
    ASSERT_NE(empty.block, nullptr);
    EXPECT_EQ(empty.block[4095], 0);

    writeFile(dir / "abc.wav", {'a', 'b', 'c'});
    FileBlock abc = readWholeFile(pool, (dir / "abc.wav").string(), 16);
    EXPECT_EQ(abc.message, "");
    EXPECT_EQ(abc.fileLength, 3);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(abc.block), 3), "abc");
    for (int i = 3; i < 19; ++i)
        EXPECT_EQ(abc.block[i], 0);

    pool.refuseFrom(pool.count());
    FileBlock refused = readWholeFile(pool, (dir / "abc.wav").string(), 16);
    EXPECT_EQ(refused.message, messages::kNoMemory);
    EXPECT_EQ(refused.block, nullptr);
}

TEST(WriteWholeFile, ReplacesWholeFileKeepingModeAndLinks)
{
    TempDir dir;
    const fs::path target = dir / "out.dat";
    writeFile(target, std::vector<std::uint8_t>(100, 'x'));
    ::chmod(target.c_str(), 0640);
    const std::string shorter = "new";
    EXPECT_EQ(writeWholeFile(shorter.data(), shorter.size(), target.string()), "");
    EXPECT_EQ(readFile(target), std::vector<std::uint8_t>(shorter.begin(), shorter.end()));
    struct stat st {};
    ::stat(target.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // Through a link the target is replaced and the link stays a link.
    const fs::path link = dir / "link.dat";
    fs::create_symlink(target, link);
    const std::string viaLink = "via link";
    EXPECT_EQ(writeWholeFile(viaLink.data(), viaLink.size(), link.string()), "");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(target), std::vector<std::uint8_t>(viaLink.begin(), viaLink.end()));

    // Nothing but the two names is left behind.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 2);
}

TEST(WriteWholeFile, CannotCreateLeavesEverythingAsItWas)
{
    TempDir dir;
    fs::create_directory(dir / "taken.dat");
    const std::string bytes = "data";
    EXPECT_EQ(writeWholeFile(bytes.data(), bytes.size(), (dir / "nofolder" / "a.dat").string()),
              messages::kCannotCreate);
    EXPECT_EQ(writeWholeFile(bytes.data(), bytes.size(), (dir / "taken.dat").string()), messages::kCannotCreate);
    EXPECT_TRUE(fs::is_directory(dir / "taken.dat"));
    EXPECT_TRUE(fs::is_empty(dir / "taken.dat"));
}

} // namespace
} // namespace quillwave
