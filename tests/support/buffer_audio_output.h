#pragma once
#include <QBuffer>
#include <QByteArray>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "app/audio_output.h"

namespace quillwave::test {

// An audio output that plays into a buffer: each sink takes what the test tells it to pull,
// as a sound card would, and appends it to `played`.
class BufferAudioOutput final : public app::AudioOutput {
public:
    class Sink final : public app::PcmSink {
    public:
        explicit Sink(BufferAudioOutput& output) : output_(output) { output_.sink = this; }
        ~Sink() override
        {
            if (output_.sink == this)
                output_.sink = nullptr;
        }
        bool start(QIODevice& source) override
        {
            source_ = &source;
            processed_ = 0;
            return output_.startable;
        }
        void stop() override { source_ = nullptr; }
        std::int64_t processedFrames() const override { return processed_; }

        // Takes up to `frames` sample frames from the source; returns how many came.
        std::int64_t pull(std::int64_t frames)
        {
            if (source_ == nullptr)
                return 0;
            const QByteArray bytes = source_->read(frames * 2);
            output_.played.write(bytes);
            processed_ += bytes.size() / 2;
            return bytes.size() / 2;
        }

    private:
        BufferAudioOutput& output_;
        QIODevice* source_ = nullptr;
        std::int64_t processed_ = 0;
    };

    BufferAudioOutput()
    {
        played.setBuffer(&bytes);
        played.open(QIODevice::WriteOnly);
    }

    bool available() const override { return present; }
    std::unique_ptr<app::PcmSink> createSink(int rate) override
    {
        sampleRate = rate;
        ++sinksMade;
        return std::make_unique<Sink>(*this);
    }

    // The samples played so far, in order.
    std::vector<std::int16_t> playedSamples() const
    {
        std::vector<std::int16_t> out(static_cast<std::size_t>(bytes.size()) / 2);
        std::memcpy(out.data(), bytes.constData(), out.size() * 2);
        return out;
    }

    bool present = true;   // there is an output device
    bool startable = true; // the device accepts the stream
    int sampleRate = 0;
    int sinksMade = 0;
    Sink* sink = nullptr; // the live sink, if any
    QByteArray bytes;
    QBuffer played;
};

} // namespace quillwave::test
