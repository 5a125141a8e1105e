#include "app/result_windows.h"

#include "app/result_window.h"

namespace quillwave::app {

ResultWindows::ResultWindows() : audio_(systemAudioOutput()) {}

ResultWindows::~ResultWindows()
{
    // The windows use the audio output; they go first.
    for (auto& [path, window] : windows_)
        delete window.data();
}

ResultWindow* ResultWindows::open(ResultFiles files, QWidget& owner)
{
    QPointer<ResultWindow>& slot = windows_[files.outputPath];
    delete slot.data();
    slot = new ResultWindow(std::move(files), *audio_, &owner);
    slot->show();
    slot->raise();
    slot->activateWindow();
    return slot;
}

ResultWindow* ResultWindows::find(const std::string& outputPath) const
{
    const auto it = windows_.find(outputPath);
    return it != windows_.end() ? it->second.data() : nullptr;
}

int ResultWindows::count() const
{
    int n = 0;
    for (const auto& [path, window] : windows_)
        n += window ? 1 : 0;
    return n;
}

void ResultWindows::stopPlayback()
{
    for (auto& [path, window] : windows_)
        if (window)
            window->stopPlayback();
}

} // namespace quillwave::app
