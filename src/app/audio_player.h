#pragma once
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <memory>

#include "app/audio_output.h"
#include "app/pcm_source.h"

namespace quillwave::app {

// Plays the original or the preview from a position, and switches between them in place.
// The position is in sample frames of the tracks' common rate.
class AudioPlayer final : public QObject {
    Q_OBJECT

public:
    using Track = PcmSource::Track;

    AudioPlayer(AudioOutput& output, int sampleRate, QObject* parent = nullptr);
    ~AudioPlayer() override;

    bool canPlay() const { return canPlay_; }
    int sampleRate() const { return sampleRate_; }

    void setSamples(Track track, PcmSamples samples) { source_.setSamples(track, std::move(samples)); }
    // Switches what is heard; while playing, the other track goes on from the same frame.
    void select(Track track) { source_.select(track); }
    Track selected() const { return source_.selected(); }

    bool isPlaying() const { return sink_ != nullptr; }
    // Starts at the current position (from the start when at the end); false when the
    // output refuses.
    bool play();
    void stop();
    // The frame being heard (as far as the output tells), or where playing would start.
    std::int64_t position() const;
    void seek(std::int64_t frame);
    std::int64_t frameCount() const { return source_.frameCount(); }

    // Looks at the sink now instead of at the next tick (tests).
    void poll();

signals:
    void positionChanged(qint64 frame);
    void playingChanged(bool playing);

private:
    AudioOutput& output_;
    int sampleRate_;
    bool canPlay_;
    PcmSource source_;
    std::unique_ptr<PcmSink> sink_;
    std::int64_t startFrame_ = 0; // where the sink began
    std::int64_t stoppedAt_ = 0;
    QTimer ticker_;
};

} // namespace quillwave::app
