#include <QSignalSpy>
#include <QtTest>
#include <numeric>

#include "app/audio_player.h"
#include "support/buffer_audio_output.h"

using namespace quillwave;
using app::AudioPlayer;
using Track = AudioPlayer::Track;

namespace {

// Samples that tell where they came from: the original counts up, the preview down.
app::PcmSamples ramp(int count, int step)
{
    auto samples = std::make_shared<std::vector<std::int16_t>>(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        (*samples)[static_cast<std::size_t>(i)] = static_cast<std::int16_t>((i * step) % 30000);
    return samples;
}

std::vector<std::int16_t> slice(const app::PcmSamples& s, int from, int to)
{
    return {s->begin() + from, s->begin() + to};
}

std::vector<std::int16_t> joined(std::vector<std::int16_t> a, const std::vector<std::int16_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

class AudioPlayerTest : public QObject {
    Q_OBJECT

private slots:
    void theSinkGetsExactlyTheTrackAndPlayingEndsWithIt()
    {
        test::BufferAudioOutput output;
        AudioPlayer player(output, 48000);
        const app::PcmSamples original = ramp(10007, 3);
        player.setSamples(Track::Original, original);
        QSignalSpy playing(&player, &AudioPlayer::playingChanged);
        QVERIFY(player.canPlay());
        QVERIFY(player.play());
        QCOMPARE(output.sampleRate, 48000);
        while (output.sink != nullptr && output.sink->pull(1000) > 0)
            player.poll();
        player.poll();
        QCOMPARE(output.playedSamples(), *original);
        QVERIFY(!player.isPlaying());
        QCOMPARE(playing.count(), 2);
        QCOMPARE(playing.at(1).at(0).toBool(), false);
        QCOMPARE(player.position(), std::int64_t{10007});

        // Played to the end, it starts over.
        QVERIFY(player.play());
        output.sink->pull(10);
        player.poll();
        QCOMPARE(player.position(), std::int64_t{10});
    }

    void switchingTracksGoesOnFromTheSameFrame()
    {
        test::BufferAudioOutput output;
        AudioPlayer player(output, 44100);
        const app::PcmSamples original = ramp(5000, 1);
        const app::PcmSamples preview = ramp(5000, -1);
        player.setSamples(Track::Original, original);
        player.setSamples(Track::Preview, preview);
        QVERIFY(player.play());
        output.sink->pull(1000);
        player.select(Track::Preview);
        output.sink->pull(500);
        QCOMPARE(player.position(), std::int64_t{1500});
        player.select(Track::Original);
        output.sink->pull(10);
        QCOMPARE(output.playedSamples(),
                 joined(joined(slice(original, 0, 1000), slice(preview, 1000, 1500)), slice(original, 1500, 1510)));
        QCOMPARE(output.sinksMade, 1); // one stream throughout
    }

    void aReplacedTrackPlaysOnInPlace()
    {
        // A re-rendered preview (a voice muted) swaps in under the running stream.
        test::BufferAudioOutput output;
        AudioPlayer player(output, 44100);
        const app::PcmSamples first = ramp(3000, 1);
        const app::PcmSamples second = ramp(3000, 7);
        player.setSamples(Track::Preview, first);
        player.select(Track::Preview);
        QVERIFY(player.play());
        output.sink->pull(100);
        player.setSamples(Track::Preview, second);
        output.sink->pull(100);
        QCOMPARE(output.playedSamples(), joined(slice(first, 0, 100), slice(second, 100, 200)));
    }

    void seekingMovesThePositionPlayingOrNot()
    {
        test::BufferAudioOutput output;
        AudioPlayer player(output, 44100);
        const app::PcmSamples original = ramp(20000, 1);
        player.setSamples(Track::Original, original);
        QSignalSpy moved(&player, &AudioPlayer::positionChanged);

        player.seek(4000); // stopped: playing starts there
        QCOMPARE(player.position(), std::int64_t{4000});
        QCOMPARE(moved.last().at(0).toLongLong(), qint64{4000});
        QVERIFY(player.play());
        output.sink->pull(100);
        QCOMPARE(player.position(), std::int64_t{4100});

        player.seek(15000); // playing: goes on from there at once
        QVERIFY(player.isPlaying());
        QCOMPARE(player.position(), std::int64_t{15000});
        output.sink->pull(50);
        player.poll();
        QCOMPARE(moved.last().at(0).toLongLong(), qint64{15050});
        QCOMPARE(output.playedSamples(), joined(slice(original, 4000, 4100), slice(original, 15000, 15050)));

        player.seek(-5); // clamped to the track
        QCOMPARE(player.position(), std::int64_t{0});
        player.seek(99999);
        QCOMPARE(player.position(), std::int64_t{20000});
    }

    void withoutAnOutputNothingPlays_data()
    {
        QTest::addColumn<bool>("present");
        QTest::addColumn<bool>("startable");
        QTest::newRow("no output device") << false << true;
        QTest::newRow("the device refuses the stream") << true << false;
    }

    void withoutAnOutputNothingPlays()
    {
        QFETCH(bool, present);
        QFETCH(bool, startable);
        test::BufferAudioOutput output;
        output.present = present;
        output.startable = startable;
        AudioPlayer player(output, 44100);
        player.setSamples(Track::Original, ramp(100, 1));
        QCOMPARE(player.canPlay(), present);
        QVERIFY(!player.play());
        QVERIFY(!player.isPlaying());
        // Without a device, no sink is even made.
        QCOMPARE(output.sinksMade, present ? 1 : 0);
        player.stop(); // harmless
        player.seek(50);
        QCOMPARE(player.position(), std::int64_t{50});
    }
};

QTEST_MAIN(AudioPlayerTest)
#include "audio_player_test.moc"
