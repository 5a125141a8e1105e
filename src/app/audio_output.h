#pragma once
#include <QIODevice>
#include <cstdint>
#include <memory>

namespace quillwave::app {

// The sound output as the player needs it: a sink that pulls raw 16-bit mono PCM from a
// device. The program's one is Qt Multimedia's QAudioSink; tests use one that reads into a
// buffer.
class PcmSink {
public:
    virtual ~PcmSink() = default;
    // Starts pulling from `source`; false when the output cannot be opened.
    virtual bool start(QIODevice& source) = 0;
    virtual void stop() = 0;
    // Sample frames handed to the output since the last start.
    virtual std::int64_t processedFrames() const = 0;
};

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Whether there is anything to play on. Asked before any sink is made: without a sound
    // server some of the toolkit's media classes crash, a sink merely fails.
    virtual bool available() const = 0;
    virtual std::unique_ptr<PcmSink> createSink(int sampleRate) = 0;
};

// The system's default output through Qt Multimedia.
std::unique_ptr<AudioOutput> systemAudioOutput();

} // namespace quillwave::app
