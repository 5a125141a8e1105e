#pragma once
#include <QIODevice>
#include <cstdint>
#include <memory>
#include <vector>

namespace quillwave::app {

// Mono 16-bit samples, shared between whoever made them and the device that plays them.
using PcmSamples = std::shared_ptr<const std::vector<std::int16_t>>;

// What an audio sink pulls: raw 16-bit mono PCM from one of two tracks (the original and the
// preview) at one read position. The position is kept in sample frames and is the same in
// both tracks, so switching tracks or replacing one (a re-rendered preview) mid-play goes on
// exactly where the other one left off.
class PcmSource final : public QIODevice {
    Q_OBJECT

public:
    enum class Track { Original, Preview };

    explicit PcmSource(QObject* parent = nullptr);

    void setSamples(Track track, PcmSamples samples);
    const PcmSamples& samples(Track track) const;
    void select(Track track) { selected_ = track; }
    Track selected() const { return selected_; }

    // The next sample frame to be read; past the end of the track reads give nothing.
    std::int64_t frame() const { return frame_; }
    void setFrame(std::int64_t frame);
    std::int64_t frameCount() const;

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    PcmSamples tracks_[2];
    Track selected_ = Track::Original;
    std::int64_t frame_ = 0;
};

} // namespace quillwave::app
