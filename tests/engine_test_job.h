#pragma once
// Runs a whole conversion job on a chosen engine, as the window would start it.
#include <filesystem>
#include <string>
#include <vector>

#include "job/conversion_job.h"
#include "platform/messages.h"
#include "support/test_support.h"

namespace quillwave::test {

struct JobOptionsUnderTest {
    int framesPerSecond = 60;
    bool staggered = false;
    int passCount = 4;
};

struct JobOutcome {
    std::vector<std::string> messages;
    std::vector<std::uint8_t> file;
};

inline JobOutcome convertFile(const std::filesystem::path& wave, const std::filesystem::path& output,
                              const JobOptionsUnderTest& options, EngineKind engine = EngineKind::Reference)
{
    JobState state;
    FakeHost host(state);
    FakeClock clock;
    ConversionJob job(host, state, clock);
    job.options.engine = engine;
    job.options.threads = 1;
    job.options.outputPath = output.string();
    host.path = wave.string();
    host.setSinglePass(options.passCount == 1);
    host.checks[control::kFrames60] = options.framesPerSecond == 60;
    host.checks[control::kFrames30] = options.framesPerSecond == 30;
    host.checks[control::kFrames20] = options.framesPerSecond == 20;
    host.checks[control::kFrames15] = options.framesPerSecond == 15;
    host.checks[control::kStaggerOn] = options.staggered;
    host.checks[control::kStaggerOff] = !options.staggered;
    job.run();

    JobOutcome outcome;
    for (const auto& m : host.messages)
        outcome.messages.push_back(m.text);
    if (std::filesystem::exists(output))
        outcome.file = readFile(output);
    return outcome;
}

// Word w of record r of a parameter file.
inline std::int32_t recordWord(const std::vector<std::uint8_t>& file, std::size_t record, std::size_t word)
{
    const std::size_t at = record * 64 + word * 4;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(file[at]) | (static_cast<std::uint32_t>(file[at + 1]) << 8) |
                                     (static_cast<std::uint32_t>(file[at + 2]) << 16) |
                                     (static_cast<std::uint32_t>(file[at + 3]) << 24));
}

} // namespace quillwave::test
