#pragma once
#include <QPointer>
#include <map>
#include <memory>
#include <string>

#include "app/audio_output.h"
#include "app/result_data.h"

class QWidget;

namespace quillwave::app {

class ResultWindow;

// The open result windows of the main dialog, one per parameter file: a new conversion of
// the same input replaces its window.
class ResultWindows {
public:
    ResultWindows();
    ~ResultWindows();

    // Opens the window of a finished conversion, owned by `owner` so that the owner's modal
    // loop does not block it and it goes when the owner does.
    ResultWindow* open(ResultFiles files, QWidget& owner);
    ResultWindow* find(const std::string& outputPath) const;
    int count() const;
    // Stops every window's playing, as a conversion takes over the UI thread.
    void stopPlayback();

    void useAudioOutput(std::unique_ptr<AudioOutput> audio) { audio_ = std::move(audio); }

private:
    std::unique_ptr<AudioOutput> audio_;
    std::map<std::string, QPointer<ResultWindow>> windows_;
};

} // namespace quillwave::app
