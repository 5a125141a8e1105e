#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include "app/appearance.h"
#include "app/dialog_units.h"
#include "app/progress_dialog.h"

using quillwave::JobState;
using quillwave::app::DialogUnits;
using quillwave::app::ProgressDialog;

class ProgressDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        state = JobState{};
        state.busy = true;
        state.progressWindow = true;
        owner = new QWidget;
        owner->setGeometry(120, 90, 400, 300);
        owner->show();
        QVERIFY(QTest::qWaitForWindowExposed(owner));
    }

    void cleanup() { delete owner; }

    void opensEmptyAtTheOwnersTopLeft()
    {
        auto* dialog = new ProgressDialog(state, owner);
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->isModal());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Dialog"));
        QCOMPARE(dialog->cancelButton()->text(), QStringLiteral("キャンセル"));
        QCOMPARE(dialog->text(), QString()); // nothing until the job's first check
        QCOMPARE(dialog->pos(), owner->mapToGlobal(QPoint(0, 0)));
        const DialogUnits units = DialogUnits::forFont(dialog->font());
        QCOMPARE(dialog->size(), units.toPixels(186, 60));
        QCOMPARE(dialog->cancelButton()->geometry(), units.toPixels(129, 33, 50, 20));
    }

    void refreshShowsTheEstimateOfEitherPhase_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<bool>("firstPhase");
        QTest::addColumn<QString>("text");
        QTest::newRow("analysis") << 125.999999 << true << QStringLiteral("残り時間約125＋α秒");
        QTest::newRow("levels") << 9.249999 << false << QStringLiteral("残り時間約9秒");
        QTest::newRow("rounded up, then truncated") << 1.749999 << false << QStringLiteral("残り時間約1秒");
        QTest::newRow("after the last unit") << 0.999999 << false << QStringLiteral("残り時間約0秒");
    }

    void refreshShowsTheEstimateOfEitherPhase()
    {
        QFETCH(double, seconds);
        QFETCH(bool, firstPhase);
        QFETCH(QString, text);
        ProgressDialog dialog(state, owner);
        state.remainingSeconds = seconds;
        state.firstPhase = firstPhase;
        dialog.refresh();
        QCOMPARE(dialog.text(), text);
    }

    void everyWayOfClosingAbortsTheJob_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("Cancel") << "cancel";
        QTest::newRow("close box") << "close";
        QTest::newRow("Esc") << "escape";
        QTest::newRow("destroyed") << "delete";
    }

    void everyWayOfClosingAbortsTheJob()
    {
        QFETCH(QString, way);
        QPointer<ProgressDialog> dialog = new ProgressDialog(state, owner);
        if (way == "cancel")
            QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
        else if (way == "close")
            dialog->close();
        else if (way == "escape")
            QTest::keyClick(dialog, Qt::Key_Escape);
        else
            delete dialog;

        QVERIFY(state.abortRequested);
        QVERIFY(!state.progressWindow);
        if (dialog) {
            QVERIFY(!dialog->isVisible()); // gone at once, deleted a moment later
            QVERIFY(dialog->isGone());
        }

        // The next job's window is open by the time the old one is finally deleted: that
        // deletion must leave the new job alone.
        state.abortRequested = false;
        state.progressWindow = true;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(dialog.isNull());
        QVERIFY(!state.abortRequested);
        QVERIFY(state.progressWindow);
    }

    void enterDoesNotCancel()
    {
        ProgressDialog dialog(state, owner);
        QTest::keyClick(dialog.cancelButton(), Qt::Key_Return);
        QTest::keyClick(&dialog, Qt::Key_Enter);
        QVERIFY(!state.abortRequested);
        QVERIFY(dialog.isVisible());
    }

    void dialogUnitsConvertCornersAndRoundHalfUp()
    {
        const DialogUnits units(6, 12);
        QCOMPARE(units.toPixels(20, 15, 90, 8), QRect(30, 23, 135, 12)); // 22.5 rounds up
        // Corners, not sizes: 1 unit at x = 1 spans pixels 2 to 3, so controls meeting in
        // units meet in pixels.
        QCOMPARE(units.toPixels(1, 0, 1, 0).width(), 1);
        QCOMPARE(units.toPixels(0, 0, 1, 0).width(), 2);
        QCOMPARE(units.toPixels(279, 165), QSize(419, 248));

        const QFont font = quillwave::app::dialogFont();
        const DialogUnits fromFont = DialogUnits::forFont(font);
        QCOMPARE(fromFont.baseY(), QFontMetrics(font).height());
        QVERIFY(fromFont.baseX() >= 4 && fromFont.baseX() <= 10);
    }

private:
    JobState state;
    QWidget* owner = nullptr;
};

QTEST_MAIN(ProgressDialogTest)
#include "progress_dialog_test.moc"
