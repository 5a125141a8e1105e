// quillwave-cli: the conversion of the desktop window, for batch work.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "analysis/frame_record.h"
#include "cli/console_host.h"
#include "job/conversion_job.h"
#include "output/parameter_file.h"
#include "platform/messages.h"

using namespace quillwave;

namespace {

constexpr int kUsageError = 2;

int convertFiles(const std::vector<std::string>& inputs, const ConversionSettings& settings,
                 const JobOptions& options)
{
    JobState state;
    cli::ConsoleHost host(state, settings);
    ConversionJob job(host, state);
    job.options = options;
    cli::ConsoleHost::catchInterrupt();

    bool allFinished = true;
    for (const std::string& input : inputs) {
        host.setInput(input);
        job.run();
        const bool finished = host.lastMessage() == messages::kFinished;
        allFinished = allFinished && finished;
        if (finished) {
            const std::string output = options.outputPath.empty() ? parameterFilePath(input) : options.outputPath;
            std::cout << input << ": " << host.lastMessage() << " -> " << output << std::endl;
        } else {
            std::cout << input << ": " << host.lastMessage() << std::endl;
        }
        if (cli::ConsoleHost::interrupted())
            break;
    }
    return allFinished ? 0 : 1;
}

// Prints the records of a parameter file: level and frequency (Hz) of each voice.
int dumpFile(const std::string& path, long first, long count)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << path << ": " << messages::kCannotOpen << std::endl;
        return 1;
    }
    std::vector<FrameRecord> records;
    FrameRecord r;
    while (in.read(reinterpret_cast<char*>(&r), sizeof r))
        records.push_back(r);
    if (records.empty()) {
        std::cerr << path << ": no records" << std::endl;
        return 1;
    }
    const long frames = static_cast<long>(records.size()) - 1;
    std::printf("%s: %ld frames at %d per second\n", path.c_str(), frames,
                records.back().words[kTerminatorRateWord]);
    std::printf("frame");
    for (int v = 0; v < kVoiceCount; ++v)
        std::printf("  %8s %9s", ("level" + std::to_string(v)).c_str(), ("Hz" + std::to_string(v)).c_str());
    std::printf("\n");
    for (long f = first; f < frames && f < first + count; ++f) {
        std::printf("%5ld", f);
        for (int v = 0; v < kVoiceCount; ++v)
            std::printf("  %8d %9.1f", records[static_cast<std::size_t>(f)].words[2 * v],
                        records[static_cast<std::size_t>(f)].words[2 * v + 1] / 10.0);
        std::printf("\n");
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Quillwave: turns a WAVE recording into six-voice tone parameters (.dat)"};
    app.require_subcommand(1);

    ConversionSettings settings;
    JobOptions options;
    std::string engine = "fast";
    std::vector<std::string> inputs;
    CLI::App* convert = app.add_subcommand("convert", "Convert WAVE files to parameter files");
    convert->add_option("--passes", settings.passCount, "Analysis passes: 4 (the best) or 1 (faster)")
        ->check(CLI::IsMember({1, 4}))
        ->capture_default_str();
    convert->add_option("--fps", settings.framesPerSecond, "Frames per second")
        ->check(CLI::IsMember({15, 20, 30, 60}))
        ->capture_default_str();
    convert->add_flag("--stagger", settings.staggered, "Stagger the voices' frames by sixtieths");
    convert->add_option("--engine", engine, "Analysis engine")
        ->check(CLI::IsMember({"fast", "reference"}))
        ->capture_default_str();
    convert->add_option("--threads", options.threads, "Worker threads (0 = every core)")
        ->check(CLI::NonNegativeNumber)
        ->capture_default_str();
    convert->add_option("-o,--output", options.outputPath, "Output file (one input only)");
    convert->add_option("inputs", inputs, "WAVE files (16-bit PCM, 44100 or 48000 Hz)")->required();

    std::string dumpPath;
    long first = 0;
    long count = 20;
    CLI::App* dump = app.add_subcommand("dump", "Print the records of a parameter file");
    dump->add_option("file", dumpPath, ".dat file")->required();
    dump->add_option("--first", first, "First frame")->check(CLI::NonNegativeNumber)->capture_default_str();
    dump->add_option("--count", count, "Number of frames")->check(CLI::NonNegativeNumber)->capture_default_str();

    try {
        app.parse(argc, argv);
        if (*convert && !options.outputPath.empty() && inputs.size() != 1)
            throw CLI::ValidationError("--output", "names the output of a single input only");
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kUsageError;
    }

    if (*dump)
        return dumpFile(dumpPath, first, count);
    options.engine = engine == "reference" ? EngineKind::Reference : EngineKind::Fast;
    return convertFiles(inputs, settings, options);
}
