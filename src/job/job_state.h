#pragma once

namespace quillwave {

// What the window and the running job share. Only the thread that runs the job touches it.
struct JobState {
    bool busy = false;
    bool abortRequested = false;
    bool progressWindow = false; // the progress window of the running job is open
    double remainingSeconds = 0.0;
    bool firstPhase = false; // the analysis passes run; the level pass has not begun
};

} // namespace quillwave
