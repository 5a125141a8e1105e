// quillwave-cli: the conversion of the desktop window, for batch work.
#include <CLI/CLI.hpp>

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/console_host.h"
#include "cli/dat_commands.h"
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

    cli::DatCommands datCommands(app);

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

    if (const std::optional<int> status = datCommands.run())
        return *status;
    options.engine = engine == "reference" ? EngineKind::Reference : EngineKind::Fast;
    return convertFiles(inputs, settings, options);
}
