#include <QButtonGroup>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "app/converter_dialog.h"
#include "app/dialog_units.h"
#include "app/result_window.h"
#include "platform/messages.h"
#include "support/buffer_audio_output.h"
#include "support/stepping_engine.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using namespace quillwave;
using app::ConverterDialog;
using app::DialogUnits;

namespace {

// The main dialog on a scripted clock (every frame unit lasts a quarter second and ends with
// a progress check) and a stepping engine; message boxes are recorded, not shown.
struct Harness {
    struct Shown {
        std::string text;
        MessageIcon icon;
        bool dialogVisible;
        bool progressOpen;
        int resultWindows;
    };

    Harness()
    {
        clock.tickStep = 101;
        clock.counterStep = 250000;
        auto stepping = std::make_unique<test::SteppingEngine>();
        engine = stepping.get();
        dialog.job().useEngine(std::move(stepping));
        dialog.results().useAudioOutput(std::make_unique<test::BufferAudioOutput>());
        dialog.host().presentMessage = [this](const std::string& text, MessageIcon icon) {
            shown.push_back({text, icon, dialog.isVisible(), dialog.host().progressDialog() != nullptr,
                             dialog.results().count()});
        };
        dialog.show();
    }

    // A tenth of a second of tone: 7 frames at 60 per second.
    fs::path writeTone(const std::string& name)
    {
        test::WaveSpec waveSpec;
        waveSpec.samples = test::sineSamples(4410, 44100, {{440.0, 8000.0}});
        test::writeFile(dir / name, test::makeWave(waveSpec));
        dialog.pathBox()->setText(QString::fromStdString((dir / name).string()));
        return dir / name;
    }

    void click(int controlId) { QTest::mouseClick(dialog.button(controlId), Qt::LeftButton); }

    // `action` waits in the event queue, as a user's click does, from the first unit at
    // which `when` holds; the job's next pump delivers it.
    void during(std::function<bool(const UnitPosition&)> when, std::function<void()> action)
    {
        engine->atUnit = [this, when, action](const UnitPosition& at) {
            if (queuedAt < 0 && when(at)) {
                queuedAt = engine->units;
                QMetaObject::invokeMethod(&dialog, action, Qt::QueuedConnection);
            }
        };
    }

    bool showedOnly(const char* text)
    {
        return shown.size() == 1 && shown[0].text == text && shown[0].icon == MessageIcon::None;
    }

    test::TempDir dir;
    test::FakeClock clock;
    ConverterDialog dialog{clock};
    test::SteppingEngine* engine = nullptr;
    std::vector<Shown> shown;
    int queuedAt = -1;
};

bool inPhase(const UnitPosition& at, Phase phase) { return at.phase == phase && at.voice == 1 && at.frame == 2; }

} // namespace

class ConverterDialogTest : public QObject {
    Q_OBJECT

private slots:
    void startsWithTheFixedOptionsAndTheTemplateLayout()
    {
        Harness h;
        ConverterDialog& d = h.dialog;
        QVERIFY(QTest::qWaitForWindowActive(&d));
        QCOMPARE(d.windowTitle(), QStringLiteral("Quillwave"));
        QVERIFY(!d.windowIcon().isNull());
        QCOMPARE(d.pathBox()->text(), QString());
        QCOMPARE(QApplication::focusWidget(), d.pathBox());

        struct Radio {
            int id;
            const char* text;
            bool checked;
            bool enabled;
        };
        const Radio radios[] = {
            {control::kFrames15, "1/15秒", false, false}, {control::kFrames20, "1/20秒", false, false},
            {control::kFrames30, "1/30秒", false, false}, {control::kFrames60, "1/60秒", true, true},
            {control::kStaggerOn, "有り", false, false},  {control::kStaggerOff, "無し", true, false},
            {control::kSinglePass, "しない", false, true}, {control::kFourPasses, "する", true, true},
        };
        for (const Radio& r : radios) {
            QRadioButton* b = d.radio(r.id);
            QVERIFY2(b != nullptr, r.text);
            QCOMPARE(b->text(), QString::fromUtf8(r.text));
            QCOMPARE(b->isChecked(), r.checked);
            QCOMPARE(b->isEnabled(), r.enabled);
        }
        QCOMPARE(d.button(control::kBrowse)->text(), QStringLiteral("参照"));
        QCOMPARE(d.button(control::kConvert)->text(), QStringLiteral("変換"));
        QCOMPARE(d.button(control::kExit)->text(), QStringLiteral("終了"));
        QStringList groups;
        for (auto* box : d.findChildren<QGroupBox*>())
            groups << box->title();
        QCOMPARE(groups, (QStringList{"発音単位", "発音ずらし", "超最適化"}));
        QVERIFY(d.findChild<QLabel*>()->text() == QStringLiteral("ＷＡＶＥファイル"));

        // Laid out in dialog units of the dialog's own font.
        const DialogUnits units = DialogUnits::forFont(d.font());
        QCOMPARE(d.size(), units.toPixels(279, 165));
        QCOMPARE(d.pathBox()->geometry(), units.toPixels(20, 25, 180, 22));
        QCOMPARE(d.button(control::kConvert)->geometry(), units.toPixels(20, 115, 40, 30));
        QCOMPARE(d.radio(control::kSinglePass)->geometry(), units.toPixels(89, 67, 30, 10));

        // Tab cycles among the box and the three buttons only.
        const QWidget* order[] = {d.button(control::kBrowse), d.button(control::kConvert),
                                  d.button(control::kExit), d.pathBox()};
        for (const QWidget* next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }

        // A click selects within its own group only.
        QTest::mouseClick(d.radio(control::kSinglePass), Qt::LeftButton);
        QVERIFY(d.radio(control::kSinglePass)->isChecked());
        QVERIFY(!d.radio(control::kFourPasses)->isChecked());
        QVERIFY(d.radio(control::kFrames60)->isChecked());
        QVERIFY(d.radio(control::kStaggerOff)->isChecked());
    }

    void enterAndEscNeverEndTheDialog()
    {
        Harness h;
        QVERIFY(QTest::qWaitForWindowActive(&h.dialog));
        h.dialog.pathBox()->setText("missing.wav");
        for (QWidget* w : {static_cast<QWidget*>(h.dialog.pathBox()), static_cast<QWidget*>(h.dialog.button(control::kExit)),
                           static_cast<QWidget*>(h.dialog.button(control::kConvert))}) {
            w->setFocus();
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
                QTest::keyClick(w, key);
        }
        QVERIFY(h.dialog.isVisible());
        QVERIFY(h.shown.empty()); // no conversion started either
    }

    void aPathNotEndingInWavIsRefusedWithAWarning()
    {
        Harness h;
        h.dialog.pathBox()->setText("notes.txt");
        h.click(control::kConvert);
        QCOMPARE(h.shown.size(), size_t{1});
        QCOMPARE(h.shown[0].text, std::string(messages::kNotWave));
        QCOMPARE(h.shown[0].icon, MessageIcon::Warning);
        QCOMPARE(h.engine->units, 0);
    }

    void aShortConversionFinishesAndWritesTheFile()
    {
        Harness h;
        // The program's own engine, not the stepping one.
        h.dialog.job().useEngine(makeAnalysisEngine(EngineKind::Fast));
        h.writeTone("tone.wav");
        h.click(control::kConvert);
        QVERIFY(h.showedOnly(messages::kFinished));
        QVERIFY(!h.shown[0].progressOpen); // closed before the message
        QCOMPARE(test::readFile(h.dir / "tone.dat").size(), size_t{64 * (7 + 1)});
        QVERIFY(!h.dialog.state().busy);
        QVERIFY(h.dialog.host().progressDialog() == nullptr);
        QVERIFY(h.dialog.isVisible());
    }

    void theProgressWindowShowsTheEstimateOfEachPhase()
    {
        Harness h;
        h.writeTone("tone.wav");
        QTest::mouseClick(h.dialog.radio(control::kSinglePass), Qt::LeftButton);
        std::map<std::pair<int, int>, QString> seen; // (phase, unit in phase) -> text
        h.engine->atUnit = [&](const UnitPosition& at) {
            const app::ProgressDialog* p = h.dialog.host().progressDialog();
            QVERIFY(p != nullptr);
            QVERIFY(p->isVisible());
            seen[{static_cast<int>(at.phase), at.voice * at.frameCount + at.frame}] = p->text();
        };
        h.click(control::kConvert);
        QVERIFY(h.showedOnly(messages::kFinished));
        const auto at = [&seen](Phase phase, int unit) { return seen[{static_cast<int>(phase), unit}]; };
        QCOMPARE(at(Phase::Analysis, 0), QString()); // no check yet
        // After the first unit: 42 units of a quarter second, rounded up.
        QCOMPARE(at(Phase::Analysis, 1), QStringLiteral("残り時間約11＋α秒"));
        // After the last analysis unit one more unit is still counted.
        QCOMPARE(at(Phase::Levels, 0), QStringLiteral("残り時間約1＋α秒"));
        // After the first level unit: 41 units left, and no "＋α".
        QCOMPARE(at(Phase::Levels, 1), QStringLiteral("残り時間約11秒"));
    }

    void cancelStopsTheJobAndLeavesTheOldFile_data()
    {
        QTest::addColumn<int>("phase");
        QTest::newRow("analysis passes") << static_cast<int>(Phase::Analysis);
        QTest::newRow("level pass") << static_cast<int>(Phase::Levels);
    }

    void cancelStopsTheJobAndLeavesTheOldFile()
    {
        QFETCH(int, phase);
        Harness h;
        h.writeTone("tone.wav");
        const std::vector<std::uint8_t> old{'o', 'l', 'd'};
        test::writeFile(h.dir / "tone.dat", old);
        h.during([phase](const UnitPosition& at) { return inPhase(at, static_cast<Phase>(phase)); },
                 [&h] { QTest::mouseClick(h.dialog.host().progressDialog()->cancelButton(), Qt::LeftButton); });
        h.click(control::kConvert);

        QVERIFY(h.showedOnly(messages::kAborted));
        QCOMPARE(h.engine->units, h.queuedAt + 1); // stopped at the very next check
        QCOMPARE(test::readFile(h.dir / "tone.dat"), old);
        QVERIFY(!h.dialog.state().busy);
        QCOMPARE(h.dialog.job().pool().count(), 0);
        QVERIFY(h.dialog.isVisible());

        // The next job starts afresh, with a new progress window.
        h.engine->atUnit = [&h](const UnitPosition&) { QVERIFY(h.dialog.host().progressDialog() != nullptr); };
        h.shown.clear();
        h.click(control::kConvert);
        QVERIFY(h.showedOnly(messages::kFinished));
        QCOMPARE(test::readFile(h.dir / "tone.dat").size(), size_t{64 * 8});
    }

    void exitDuringAJobAbortsItAndKeepsTheDialog()
    {
        Harness h;
        h.writeTone("tone.wav");
        h.during([](const UnitPosition& at) { return inPhase(at, Phase::Analysis); },
                 [&h] { h.click(control::kExit); });
        h.click(control::kConvert);
        QVERIFY(h.showedOnly(messages::kAborted));
        QVERIFY(!fs::exists(h.dir / "tone.dat"));
        QVERIFY(h.dialog.isVisible());

        h.click(control::kExit); // idle now: the program ends
        QVERIFY(!h.dialog.isVisible());
        QCOMPARE(h.dialog.result(), int(QDialog::Accepted));
    }

    void closeDuringAJobEndsTheDialogAfterTheMessage()
    {
        Harness h;
        h.writeTone("tone.wav");
        h.during([](const UnitPosition& at) { return inPhase(at, Phase::Levels); }, [&h] { h.dialog.close(); });
        h.click(control::kConvert);
        QVERIFY(h.showedOnly(messages::kAborted));
        QVERIFY(h.shown[0].dialogVisible);
        QVERIFY(!fs::exists(h.dir / "tone.dat"));
        QVERIFY(!h.dialog.isVisible());
        QCOMPARE(h.dialog.result(), int(QDialog::Rejected));
    }

    void aQuitRequestWaitsForTheJob()
    {
        Harness h;
        h.writeTone("tone.wav");
        h.during([](const UnitPosition& at) { return inPhase(at, Phase::Analysis); },
                 [] { QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit)); });
        h.click(control::kConvert);
        QVERIFY(h.showedOnly(messages::kFinished));
        QVERIFY(h.shown[0].dialogVisible);
        QVERIFY(fs::exists(h.dir / "tone.dat"));
        QVERIFY(!h.dialog.isVisible());
    }

    void browseReplacesTheWholePath_data()
    {
        QTest::addColumn<bool>("choose");
        QTest::newRow("file chosen") << true;
        QTest::newRow("cancelled") << false;
    }

    void browseReplacesTheWholePath()
    {
        QFETCH(bool, choose);
        Harness h;
        const QString chosen = QString::fromStdString(h.writeTone("chosen.wav").string());
        h.dialog.pathBox()->setText("typed text.wav");
        QStringList filters;
        QString shownType;
        QString suffix;
        QTimer::singleShot(0, [&] {
            auto* fileDialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(fileDialog != nullptr);
            filters = fileDialog->nameFilters();
            if (auto* types = fileDialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
                shownType = types->currentText();
            suffix = fileDialog->defaultSuffix();
            if (choose) {
                fileDialog->selectFile(chosen);
                static_cast<QDialog*>(fileDialog)->accept();
            } else {
                static_cast<QDialog*>(fileDialog)->reject();
            }
        });
        h.click(control::kBrowse);
        QCOMPARE(filters, QStringList{QStringLiteral("WAVE File （ *.wav ）(*.wav)")}); // as Qt keeps it
        QCOMPARE(shownType, QStringLiteral("WAVE File  （ *.wav ）")); // as the user reads it
        QCOMPARE(suffix, QStringLiteral("wav"));
        QCOMPARE(h.dialog.pathBox()->text(), choose ? chosen : QStringLiteral("typed text.wav"));
        QVERIFY(h.shown.empty());
    }

    void aDroppedWaveFileFillsThePathBox()
    {
        Harness h;
        const QString wave = QString::fromStdString(h.writeTone("dropped.WAV").string());
        h.dialog.pathBox()->setText("before.wav");

        const auto drop = [&h](const QString& file) {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(file)});
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&h.dialog, &enter);
            if (!enter.isAccepted())
                return false;
            QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&h.dialog, &dropped);
            return dropped.isAccepted();
        };
        QVERIFY(!drop(QString::fromStdString((h.dir / "notes.txt").string())));
        QCOMPARE(h.dialog.pathBox()->text(), QStringLiteral("before.wav"));
        QVERIFY(drop(wave));
        QCOMPARE(h.dialog.pathBox()->text(), wave);
        QVERIFY(h.shown.empty()); // converting still takes the button
        QCOMPARE(h.engine->units, 0);
    }

    void messageBoxesCarryTheCaptionAndTheIcon_data()
    {
        QTest::addColumn<bool>("warning");
        QTest::newRow("plain") << false;
        QTest::newRow("warning") << true;
    }

    void messageBoxesCarryTheCaptionAndTheIcon()
    {
        QFETCH(bool, warning);
        QWidget owner;
        owner.show();
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::Information;
        QMessageBox::StandardButtons buttons;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = box->standardButtons();
            box->accept();
        });
        app::showMessageBox(owner, messages::kFinished, warning ? MessageIcon::Warning : MessageIcon::None);
        QCOMPARE(title, QStringLiteral("wave -> tonelace"));
        QCOMPARE(text, QStringLiteral("終了しました"));
        QCOMPARE(icon, warning ? QMessageBox::Warning : QMessageBox::NoIcon);
        QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
    void aResultWindowOpensOnlyAfterASuccess_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::newRow("finished") << "finished";
        QTest::newRow("cancelled") << "cancelled";
        QTest::newRow("not a WAVE file") << "bad file";
        QTest::newRow("cannot create the output") << "no output";
    }

    void aResultWindowOpensOnlyAfterASuccess()
    {
        QFETCH(QString, ending);
        Harness h;
        const fs::path wave = h.writeTone("tone.wav");
        if (ending == "cancelled")
            h.during([](const UnitPosition& at) { return inPhase(at, Phase::Analysis); },
                     [&h] { QTest::mouseClick(h.dialog.host().progressDialog()->cancelButton(), Qt::LeftButton); });
        if (ending == "bad file")
            test::writeFile(wave, {'R', 'I', 'F', 'F'});
        if (ending == "no output")
            fs::create_directory(h.dir / "tone.dat");
        h.click(control::kConvert);
        QCOMPARE(h.shown.size(), size_t{1});
        QCOMPARE(h.shown[0].resultWindows, 0); // nothing before the message is confirmed

        app::ResultWindow* result = h.dialog.results().find((h.dir / "tone.dat").string());
        if (ending != "finished") {
            QVERIFY(result == nullptr);
            QCOMPARE(h.dialog.results().count(), 0);
            return;
        }
        QCOMPARE(h.shown[0].text, std::string("終了しました"));
        QVERIFY(result != nullptr);
        QVERIFY(result->isVisible());
        QVERIFY(!result->isModal());
        QCOMPARE(result->windowTitle(), QStringLiteral("tone.dat - Quillwave"));
        QCOMPARE(result->files().inputPath, wave.string());

        // The main dialog is as it was: usable, and Tab still cycles among its four controls.
        QVERIFY(h.dialog.isVisible());
        h.dialog.activateWindow();
        h.dialog.pathBox()->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&h.dialog));
        const QWidget* order[] = {h.dialog.button(control::kBrowse), h.dialog.button(control::kConvert),
                                  h.dialog.button(control::kExit), h.dialog.pathBox()};
        for (const QWidget* next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
    }

    void aNewConversionOfTheSameInputReplacesItsWindow()
    {
        Harness h;
        h.writeTone("tone.wav");
        h.click(control::kConvert);
        QPointer<app::ResultWindow> first = h.dialog.results().find((h.dir / "tone.dat").string());
        QVERIFY(first != nullptr);

        h.writeTone("other.wav");
        h.click(control::kConvert);
        QCOMPARE(h.dialog.results().count(), 2); // another input: a window of its own

        h.writeTone("tone.wav");
        h.click(control::kConvert);
        QVERIFY(first == nullptr);
        QCOMPARE(h.dialog.results().count(), 2);
        QVERIFY(h.dialog.results().find((h.dir / "tone.dat").string())->isVisible());

        // A failed conversion keeps the window of the last good one.
        h.during([](const UnitPosition& at) { return inPhase(at, Phase::Levels); },
                 [&h] { QTest::mouseClick(h.dialog.host().progressDialog()->cancelButton(), Qt::LeftButton); });
        h.click(control::kConvert);
        QCOMPARE(h.dialog.results().count(), 2);
    }
};

QTEST_MAIN(ConverterDialogTest)
#include "converter_dialog_test.moc"
