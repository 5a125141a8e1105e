#include "cli/dat_commands.h"

#include <cstdio>
#include <iostream>

#include "analysis/frame_geometry.h"
#include "cli/output_file.h"
#include "output/parameter_file_reader.h"
#include "preview/export.h"

namespace quillwave::cli {
namespace {

std::optional<ParameterFile> readOrComplain(const std::string& path)
{
    ParameterFileRead read = readParameterFile(path);
    if (!read.ok()) {
        std::cerr << path << ": " << describeFault(read) << std::endl;
        return std::nullopt;
    }
    return std::move(read.file);
}

} // namespace

DatCommands::DatCommands(CLI::App& app)
{
    dump_ = app.add_subcommand("dump", "Print the records of a parameter file");
    dump_->add_option("file", datPath_, ".dat file")->required();
    dump_->add_option("--first", first_, "First frame")->check(CLI::NonNegativeNumber)->capture_default_str();
    dump_->add_option("--count", count_, "Number of frames (0 = every frame)")
        ->check(CLI::NonNegativeNumber)
        ->capture_default_str();

    export_ = app.add_subcommand("export", "Write a parameter file's records as CSV or JSON");
    export_->add_option("file", datPath_, ".dat file")->required();
    export_->add_option("--format", format_, "Output format")
        ->check(CLI::IsMember({"csv", "json"}))
        ->capture_default_str();
    export_->add_option("-o,--output", outputPath_, "Output file (default: standard output)");
}

std::optional<int> DatCommands::run()
{
    if (*dump_)
        return dump();
    if (*export_)
        return exportFile();
    return std::nullopt;
}

int DatCommands::dump() const
{
    const std::optional<ParameterFile> file = readOrComplain(datPath_);
    if (!file)
        return 1;
    const long frames = file->frameCount();
    std::printf("%s: %ld frames at %d per second\n", datPath_.c_str(), frames, file->framesPerSecond);
    std::printf("frame    seconds");
    for (int v = 0; v < kVoiceCount; ++v)
        std::printf("  %8s %9s", ("level" + std::to_string(v)).c_str(), ("Hz" + std::to_string(v)).c_str());
    std::printf("\n");
    const long last = count_ == 0 ? frames : std::min(frames, first_ + count_);
    for (long f = first_; f < last; ++f) {
        const auto frame = static_cast<std::int32_t>(f);
        std::printf("%5ld %10s", f, preview::frameSeconds(frame, file->framesPerSecond).c_str());
        for (int v = 0; v < kVoiceCount; ++v)
            std::printf("  %8d %9s", file->level(frame, v), preview::tenthsAsHz(file->frequencyE1(frame, v)).c_str());
        std::printf("\n");
    }
    return 0;
}

int DatCommands::exportFile() const
{
    const std::optional<ParameterFile> file = readOrComplain(datPath_);
    if (!file)
        return 1;
    const std::string text =
        preview::exportParameters(*file, format_ == "json" ? preview::ExportFormat::Json : preview::ExportFormat::Csv);
    if (outputPath_.empty()) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    return writeOutputFile(outputPath_, text.data(), text.size(), {datPath_}) ? 0 : 1;
}

} // namespace quillwave::cli
