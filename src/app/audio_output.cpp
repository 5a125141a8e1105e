#include "app/audio_output.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

namespace quillwave::app {
namespace {

QAudioFormat monoFormat(int sampleRate)
{
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    return format;
}

class QtPcmSink final : public PcmSink {
public:
    QtPcmSink(const QAudioDevice& device, int sampleRate) : sampleRate_(sampleRate)
    {
        sink_ = std::make_unique<QAudioSink>(device, monoFormat(sampleRate));
        // A tenth of a second: the playhead and a stop follow the user closely enough.
        sink_->setBufferSize(sampleRate / 10 * 2);
    }

    bool start(QIODevice& source) override
    {
        sink_->start(&source);
        return sink_->error() == QAudio::NoError || sink_->error() == QAudio::UnderrunError;
    }

    void stop() override { sink_->stop(); }

    std::int64_t processedFrames() const override { return sink_->processedUSecs() * sampleRate_ / 1'000'000; }

private:
    int sampleRate_;
    std::unique_ptr<QAudioSink> sink_;
};

class QtAudioOutput final : public AudioOutput {
public:
    bool available() const override { return !QMediaDevices::audioOutputs().isEmpty(); }

    std::unique_ptr<PcmSink> createSink(int sampleRate) override
    {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull() || !device.isFormatSupported(monoFormat(sampleRate)))
            return nullptr;
        return std::make_unique<QtPcmSink>(device, sampleRate);
    }
};

} // namespace

std::unique_ptr<AudioOutput> systemAudioOutput() { return std::make_unique<QtAudioOutput>(); }

} // namespace quillwave::app
