#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QtTest>
#include <cmath>

#include "app/audio_player.h"
#include "app/result_view.h"
#include "app/result_window.h"
#include "support/buffer_audio_output.h"
#include "support/test_support.h"

using namespace quillwave;
using app::ResultView;
using app::ResultWindow;

namespace {

// A result of two seconds of tone at 44100 Hz.
struct Result {
    Result()
    {
        test::WaveSpec wave;
        wave.samples = test::sineSamples(88200, 44100, {{440.0, 8000.0}});
        test::writeFile(dir / "tone.wav", test::makeWave(wave));
        files = {(dir / "tone.wav").string(), (dir / "tone.dat").string()};
    }

    std::unique_ptr<ResultWindow> open()
    {
        auto window = std::make_unique<ResultWindow>(files, output);
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->show();
        window->waitUntilLoaded();
        return window;
    }

    test::TempDir dir;
    app::ResultFiles files;
    test::BufferAudioOutput output;
};

QPoint pointAt(const ResultView& view, double seconds)
{
    const QRect area = view.plotArea();
    return {static_cast<int>(std::lround(view.xAt(seconds))), area.center().y()};
}

} // namespace

class ResultWindowTest : public QObject {
    Q_OBJECT

private slots:
    void theTitleNamesTheParameterFile()
    {
        QCOMPARE(app::resultWindowTitle("/home/user/voice.dat"), QStringLiteral("voice.dat - Quillwave"));
        QCOMPARE(app::resultWindowTitle("relative name.dat"), QStringLiteral("relative name.dat - Quillwave"));
    }

    void theControlsSpeakJapanese()
    {
        Result r;
        auto w = r.open();
        QCOMPARE(w->windowTitle(), QStringLiteral("tone.dat - Quillwave"));
        QCOMPARE(w->playButton()->text(), QStringLiteral("再生"));
        QCOMPARE(w->originalChoice()->text(), QStringLiteral("原音"));
        QCOMPARE(w->previewChoice()->text(), QStringLiteral("プレビュー"));
        QCOMPARE(w->exportButton()->text(), QStringLiteral("書き出し…"));
        for (int v = 0; v < 6; ++v) {
            QCOMPARE(w->voiceToggle(v)->text(), QStringLiteral("音%1").arg(v));
            QVERIFY(w->voiceToggle(v)->isChecked());
        }
        QVERIFY(w->originalChoice()->isChecked());
        QVERIFY(!w->isModal());
    }

    void playStartsAndStopsAndTheButtonSaysWhich()
    {
        Result r;
        auto w = r.open();
        QVERIFY(w->playButton()->isEnabled());
        QTest::mouseClick(w->playButton(), Qt::LeftButton);
        QVERIFY(w->player()->isPlaying());
        QCOMPARE(w->playButton()->text(), QStringLiteral("停止"));
        QTest::mouseClick(w->playButton(), Qt::LeftButton);
        QVERIFY(!w->player()->isPlaying());
        QCOMPARE(w->playButton()->text(), QStringLiteral("再生"));
    }

    void withoutAnOutputThePlayControlsAreOffAndSayWhy()
    {
        Result r;
        r.output.present = false;
        auto w = r.open();
        for (QWidget* control : {static_cast<QWidget*>(w->playButton()), static_cast<QWidget*>(w->originalChoice()),
                                 static_cast<QWidget*>(w->previewChoice())}) {
            QVERIFY(!control->isEnabled());
            QCOMPARE(control->toolTip(), QStringLiteral("音声の出力先が見つからないため再生できません"));
        }
        QTest::keyClick(w.get(), Qt::Key_Space);
        QVERIFY(!w->player()->isPlaying());
        QCOMPARE(r.output.sinksMade, 0);
        // The picture still seeks.
        QTest::mouseClick(w->view()->viewport(), Qt::LeftButton, {}, pointAt(*w->view(), 1.0));
        QVERIFY(std::abs(w->view()->playhead() - 1.0) < 0.01);
    }

    void aClickSeeksAndThePlayheadFollowsPlaying()
    {
        Result r;
        auto w = r.open();
        ResultView& view = *w->view();
        QCOMPARE(view.duration(), 2.0);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, pointAt(view, 1.5));
        const double clicked = view.playhead();
        QVERIFY2(std::abs(clicked - 1.5) < 2.0 / view.plotArea().width(), qPrintable(QString::number(clicked)));
        QCOMPARE(w->player()->position(), std::llround(clicked * 44100));

        QTest::mouseClick(w->playButton(), Qt::LeftButton);
        r.output.sink->pull(4410);
        w->player()->poll();
        QVERIFY(std::abs(view.playhead() - (clicked + 0.1)) < 1e-6);
        // The same samples as the input's, from the clicked place.
        const std::vector<std::int16_t> played = r.output.playedSamples();
        QCOMPARE(played.size(), std::size_t{4410});
        QCOMPARE(played.front(), (*w->data().original)[static_cast<std::size_t>(std::llround(clicked * 44100))]);
    }

    void zoomKeepsTheAnchorInPlaceAndScrolls()
    {
        Result r;
        auto w = r.open();
        ResultView& view = *w->view();
        QCOMPARE(view.firstVisible(), 0.0);
        QVERIFY(std::abs(view.lastVisible() - 2.0) < 1e-9);

        const double x = view.xAt(0.5);
        view.setZoom(4.0, 0.5);
        QVERIFY(std::abs(view.xAt(0.5) - x) < 1.0);
        QVERIFY(std::abs((view.lastVisible() - view.firstVisible()) - 0.5) < 0.01);

        // The wheel zooms about the pointer; + and − step by two.
        const QPoint at = pointAt(view, 0.6);
        QWheelEvent wheel(at, view.viewport()->mapToGlobal(at), {}, QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.viewport(), &wheel);
        QCOMPARE(view.zoom(), 8.0);
        QVERIFY(std::abs(view.secondsAt(at.x()) - 0.6) < 0.01);
        QTest::keyClick(&view, Qt::Key_Minus);
        QCOMPARE(view.zoom(), 4.0);
        QTest::keyClick(&view, Qt::Key_Plus);
        QCOMPARE(view.zoom(), 8.0);

        // Scrolling to the end shows the end.
        view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
        QVERIFY(std::abs(view.lastVisible() - 2.0) < 0.01);
        view.setZoom(0.1, 1.0); // never less than the whole
        QCOMPARE(view.zoom(), 1.0);
    }

    void aFileThatCannotBeReadIsSaidSo()
    {
        Result r;
        r.files.inputPath = (r.dir / "gone.wav").string();
        auto w = r.open();
        QVERIFY(w->isLoaded());
        QVERIFY(!w->playButton()->isEnabled());
        QVERIFY(w->player() == nullptr);
        QVERIFY(w->findChild<QLabel*>() != nullptr);
        bool said = false;
        for (QLabel* label : w->findChildren<QLabel*>())
            said = said || label->text() == QStringLiteral("読み込めませんでした: ファイルが見つかりません");
        QVERIFY(said);
    }
};

QTEST_MAIN(ResultWindowTest)
#include "result_window_test.moc"
