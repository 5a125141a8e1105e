#include "app/pcm_source.h"

#include <algorithm>
#include <cstring>

namespace quillwave::app {

PcmSource::PcmSource(QObject* parent) : QIODevice(parent) {}

void PcmSource::setSamples(Track track, PcmSamples samples) { tracks_[static_cast<int>(track)] = std::move(samples); }

const PcmSamples& PcmSource::samples(Track track) const { return tracks_[static_cast<int>(track)]; }

std::int64_t PcmSource::frameCount() const
{
    const PcmSamples& s = samples(selected_);
    return s ? static_cast<std::int64_t>(s->size()) : 0;
}

void PcmSource::setFrame(std::int64_t frame) { frame_ = std::max<std::int64_t>(0, frame); }

qint64 PcmSource::bytesAvailable() const
{
    const std::int64_t left = std::max<std::int64_t>(0, frameCount() - frame_);
    return left * static_cast<qint64>(sizeof(std::int16_t)) + QIODevice::bytesAvailable();
}

qint64 PcmSource::readData(char* data, qint64 maxSize)
{
    const PcmSamples& s = samples(selected_);
    if (!s || frame_ >= frameCount())
        return 0;
    // Whole samples only, so the position stays on a sample boundary.
    const std::int64_t frames = std::min<std::int64_t>(maxSize / 2, frameCount() - frame_);
    std::memcpy(data, s->data() + frame_, static_cast<std::size_t>(frames) * sizeof(std::int16_t));
    frame_ += frames;
    return frames * static_cast<qint64>(sizeof(std::int16_t));
}

} // namespace quillwave::app
