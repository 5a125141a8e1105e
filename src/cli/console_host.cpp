#include "cli/console_host.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <unistd.h>

#include "job/progress_clock.h"

namespace quillwave::cli {
namespace {

volatile std::sig_atomic_t interruptFlag = 0;

void onInterrupt(int)
{
    interruptFlag = 1;
    std::signal(SIGINT, SIG_DFL);
}

} // namespace

ConsoleHost::ConsoleHost(JobState& state, const ConversionSettings& settings)
    : state_(state), settings_(settings), showProgress_(::isatty(STDERR_FILENO) == 1)
{
}

bool ConsoleHost::isChecked(int controlId)
{
    switch (controlId) {
    case control::kSinglePass: return settings_.passCount == 1;
    case control::kFourPasses: return settings_.passCount != 1;
    case control::kStaggerOn: return settings_.staggered;
    case control::kStaggerOff: return !settings_.staggered;
    case control::kFrames15: return settings_.framesPerSecond == 15;
    case control::kFrames20: return settings_.framesPerSecond == 20;
    case control::kFrames30: return settings_.framesPerSecond == 30;
    case control::kFrames60: return settings_.framesPerSecond == 60;
    default: return false;
    }
}

void ConsoleHost::showMessage(const std::string& text, MessageIcon)
{
    lastMessage_ = text;
}

bool ConsoleHost::createProgressWindow() { return showProgress_; }

void ConsoleHost::refreshProgressWindow()
{
    std::fprintf(stderr, "\r\033[K%s: %s", path_.c_str(),
                 progressText(state_.remainingSeconds, state_.firstPhase).c_str());
    std::fflush(stderr);
}

void ConsoleHost::destroyProgressWindow()
{
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
}

void ConsoleHost::pumpMessages()
{
    if (interruptFlag && !state_.abortRequested)
        requestAbort(state_, *this);
}

void ConsoleHost::catchInterrupt() { std::signal(SIGINT, onInterrupt); }

bool ConsoleHost::interrupted() { return interruptFlag != 0; }

} // namespace quillwave::cli
