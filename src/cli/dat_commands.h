#pragma once
#include <CLI/CLI.hpp>

#include <optional>
#include <string>

namespace quillwave::cli {

// The commands that read a parameter file: dump, export (and what builds on them). Each one
// reads its .dat through the one parameter-file reader and refuses a bad file with one line.
class DatCommands {
public:
    explicit DatCommands(CLI::App& app);

    // After parsing: the exit status of the chosen command, or nothing when none was chosen.
    std::optional<int> run();

private:
    int dump() const;
    int exportFile() const;

    CLI::App* dump_ = nullptr;
    CLI::App* export_ = nullptr;
    std::string datPath_;
    std::string outputPath_;
    long first_ = 0;
    long count_ = 20;
    std::string format_ = "csv";
};

} // namespace quillwave::cli
