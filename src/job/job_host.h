#pragma once
#include <string>

#include "job/job_state.h"

namespace quillwave {

// Control identifiers of the main window, as the job reads them.
namespace control {
inline constexpr int kPath = 1000;
inline constexpr int kBrowse = 1001;
inline constexpr int kConvert = 1002;
inline constexpr int kExit = 1003;
inline constexpr int kFrames15 = 1005;
inline constexpr int kFrames20 = 1006;
inline constexpr int kFrames30 = 1007;
inline constexpr int kFrames60 = 1008;
inline constexpr int kStaggerOn = 1009;
inline constexpr int kStaggerOff = 1010;
inline constexpr int kSinglePass = 1011;
inline constexpr int kFourPasses = 1012;
} // namespace control

enum class MessageIcon { None, Warning };

// The window a job works for: the GUI implements it with Qt, the command line with the
// console, the tests with a scripted fake. Nothing of a toolkit crosses this line.
class JobHost {
public:
    virtual ~JobHost() = default;
    // The text of the path box, as typed (the job trims it).
    virtual std::string pathText() = 0;
    // Whether the radio button with this identifier is checked.
    virtual bool isChecked(int controlId) = 0;
    // A modal message box with the job's caption and an OK button; returns when closed.
    virtual void showMessage(const std::string& text, MessageIcon icon) = 0;
    // Opens the progress window; false when it cannot be created.
    virtual bool createProgressWindow() = 0;
    // Redraws the progress text from the shared state.
    virtual void refreshProgressWindow() = 0;
    // Closes the progress window. The caller keeps the shared state up to date.
    virtual void destroyProgressWindow() = 0;
    // Handles every pending user-interface event; a quit request stays pending for later.
    virtual void pumpMessages() = 0;
};

// Asks a running job to stop: the flag is seen at the job's next progress check.
inline void requestAbort(JobState& state, JobHost& host)
{
    state.abortRequested = true;
    if (state.progressWindow) {
        state.progressWindow = false;
        host.destroyProgressWindow();
    }
}

} // namespace quillwave
