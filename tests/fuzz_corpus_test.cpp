#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "fuzz/input_path.h"
#include "support/test_support.h"

namespace quillwave {
namespace {

namespace fs = std::filesystem;

// Every input the fuzzer kept (valid files, malformed shapes, and whatever once broke an
// invariant) goes through the same entry again, so the suite keeps what fuzzing learnt.
TEST(FuzzCorpus, EveryInputPassesTheInputPath)
{
    std::vector<fs::path> inputs;
    for (const auto& entry : fs::directory_iterator(QUILLWAVE_FUZZ_CORPUS))
        if (entry.is_regular_file())
            inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    ASSERT_GT(inputs.size(), 20u) << "the committed corpus is missing";
    for (const fs::path& input : inputs) {
        const std::vector<std::uint8_t> bytes = test::readFile(input);
        EXPECT_EQ(fuzz::runInputPath(bytes.data(), bytes.size()), 0) << input.filename();
    }
}

} // namespace
} // namespace quillwave
