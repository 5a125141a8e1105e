#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "support/cli_run.h"
#include "support/test_support.h"

namespace quillwave {
namespace {

namespace fs = std::filesystem;

// One real conversion for the whole suite: the bundled spoken sample, one pass.
class ExportOfAConversion : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new test::TempDir;
        dat_ = (*dir_ / "hello.dat").string();
        const test::CliResult r =
            test::runCliSplit("convert --passes 1 -o " + dat_ + " " + std::string(QUILLWAVE_EXAMPLES) + "/hello.wav");
        ASSERT_EQ(r.status, 0) << r.out << r.err;
    }
    static void TearDownTestSuite() { delete dir_; }

    static test::TempDir* dir_;
    static std::string dat_;
};
test::TempDir* ExportOfAConversion::dir_ = nullptr;
std::string ExportOfAConversion::dat_;

using Row = std::vector<std::string>; // frame, seconds, then level and Hz of the six voices

std::vector<Row> dumpRows(const std::string& dump)
{
    std::vector<Row> rows;
    std::istringstream in(dump);
    std::string line;
    std::getline(in, line);
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        Row row;
        for (std::string f; fields >> f;)
            row.push_back(f);
        rows.push_back(row);
    }
    return rows;
}

TEST_F(ExportOfAConversion, CsvAgreesWithDump)
{
    const test::CliResult dump = test::runCliSplit("dump --count 0 " + dat_);
    ASSERT_EQ(dump.status, 0) << dump.err;
    const std::vector<Row> expected = dumpRows(dump.out);
    ASSERT_GT(expected.size(), 150u); // 3.2 s at 60 frames per second

    const fs::path csvPath = *dir_ / "hello.csv";
    const test::CliResult written = test::runCliSplit("export " + dat_ + " -o " + csvPath.string());
    ASSERT_EQ(written.status, 0) << written.err;
    EXPECT_EQ(written.out, "");
    const test::CliResult printed = test::runCliSplit("export --format csv " + dat_);
    const std::vector<std::uint8_t> file = test::readFile(csvPath);
    EXPECT_EQ(std::string(file.begin(), file.end()), printed.out);

    std::istringstream in(printed.out);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "frame,seconds,level0,hz0,level1,hz1,level2,hz2,level3,hz3,level4,hz4,level5,hz5");
    std::size_t n = 0;
    while (std::getline(in, line)) {
        Row row;
        std::istringstream fields(line);
        for (std::string f; std::getline(fields, f, ',');)
            row.push_back(f);
        ASSERT_LT(n, expected.size());
        EXPECT_EQ(row, expected[n]) << line;
        ++n;
    }
    EXPECT_EQ(n, expected.size());
    EXPECT_EQ(expected[60][1], "1.000000");
}

TEST_F(ExportOfAConversion, JsonAgreesWithDump)
{
    const std::vector<Row> expected = dumpRows(test::runCliSplit("dump --count 0 " + dat_).out);
    const test::CliResult json = test::runCliSplit("export --format json " + dat_);
    ASSERT_EQ(json.status, 0) << json.err;
    ASSERT_EQ(json.out.rfind("{\"framesPerSecond\": 60, \"frames\": [\n", 0), 0u) << json.out.substr(0, 80);
    EXPECT_EQ(json.out.substr(json.out.size() - 4), "\n]}\n");

    const std::string number = "(-?[0-9]+(?:\\.[0-9]+)?)";
    std::string voice = "\\{\"level\": " + number + ", \"hz\": " + number + "\\}";
    std::string pattern = "\\{\"frame\": " + number + ", \"seconds\": " + number + ", \"voices\": \\[" + voice;
    for (int v = 1; v < 6; ++v)
        pattern += ", " + voice;
    pattern += "\\]\\},?";
    const std::regex frameLine(pattern);

    std::istringstream in(json.out);
    std::string line;
    std::getline(in, line);
    std::size_t n = 0;
    while (std::getline(in, line) && line != "]}") {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, frameLine)) << line;
        ASSERT_LT(n, expected.size());
        const Row& want = expected[n];
        EXPECT_EQ(m[1].str(), want[0]);
        EXPECT_DOUBLE_EQ(std::stod(m[2].str()), std::stod(want[1])) << line;
        for (std::size_t i = 2; i < 14; ++i)
            EXPECT_EQ(m[i + 1].str(), want[i]) << line;
        // Commas between frames, none after the last.
        EXPECT_EQ(line.back() == ',', n + 1 < expected.size()) << line;
        ++n;
    }
    EXPECT_EQ(n, expected.size());
}

} // namespace
} // namespace quillwave
