#pragma once
#include <string>

#include "job/conversion_job.h"
#include "job/job_host.h"

namespace quillwave::cli {

// The job's window on a terminal: the options stand in for the radio buttons, messages
// become lines on stdout, the progress window a live line on stderr (only on a terminal),
// and Ctrl-C the Cancel button.
class ConsoleHost final : public JobHost {
public:
    ConsoleHost(JobState& state, const ConversionSettings& settings);

    void setInput(const std::string& path) { path_ = path; }
    const std::string& lastMessage() const { return lastMessage_; }

    std::string pathText() override { return path_; }
    bool isChecked(int controlId) override;
    void showMessage(const std::string& text, MessageIcon icon) override;
    bool createProgressWindow() override;
    void refreshProgressWindow() override;
    void destroyProgressWindow() override;
    void pumpMessages() override;

    // Installs the Ctrl-C handler; a second Ctrl-C ends the process at once.
    static void catchInterrupt();
    static bool interrupted();

private:
    JobState& state_;
    ConversionSettings settings_;
    std::string path_;
    std::string lastMessage_;
    bool showProgress_;
};

} // namespace quillwave::cli
