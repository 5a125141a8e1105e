#include "app/audio_player.h"

#include <algorithm>

namespace quillwave::app {

AudioPlayer::AudioPlayer(AudioOutput& output, int sampleRate, QObject* parent)
    : QObject(parent), output_(output), sampleRate_(sampleRate), canPlay_(output.available())
{
    // Unbuffered: whatever is read ahead would not follow a switch of tracks.
    source_.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    // About the screen's pace, so the playhead moves smoothly.
    ticker_.setInterval(30);
    connect(&ticker_, &QTimer::timeout, this, &AudioPlayer::poll);
}

AudioPlayer::~AudioPlayer()
{
    if (sink_)
        sink_->stop();
}

bool AudioPlayer::play()
{
    if (!canPlay_ || sink_ || frameCount() == 0)
        return false;
    if (stoppedAt_ >= frameCount())
        stoppedAt_ = 0;
    source_.setFrame(stoppedAt_);
    std::unique_ptr<PcmSink> sink = output_.createSink(sampleRate_);
    if (!sink || !sink->start(source_))
        return false;
    sink_ = std::move(sink);
    startFrame_ = stoppedAt_;
    ticker_.start();
    emit playingChanged(true);
    return true;
}

void AudioPlayer::stop()
{
    if (!sink_)
        return;
    stoppedAt_ = position();
    sink_->stop();
    sink_.reset();
    ticker_.stop();
    emit playingChanged(false);
    emit positionChanged(stoppedAt_);
}

std::int64_t AudioPlayer::position() const
{
    if (!sink_)
        return stoppedAt_;
    // What the sink has taken, never ahead of what the source has given it.
    return std::min(startFrame_ + sink_->processedFrames(), source_.frame());
}

void AudioPlayer::seek(std::int64_t frame)
{
    frame = std::clamp<std::int64_t>(frame, 0, frameCount());
    const bool wasPlaying = sink_ != nullptr;
    if (wasPlaying) {
        // A new start drops what the output still holds from the old place.
        sink_->stop();
        sink_.reset();
        ticker_.stop();
    }
    stoppedAt_ = frame;
    if (wasPlaying && (frame >= frameCount() || !play()))
        emit playingChanged(false);
    emit positionChanged(frame);
}

void AudioPlayer::poll()
{
    if (!sink_)
        return;
    const std::int64_t at = position();
    if (at >= frameCount()) {
        stop();
        stoppedAt_ = frameCount();
        emit positionChanged(stoppedAt_);
        return;
    }
    emit positionChanged(at);
}

} // namespace quillwave::app
