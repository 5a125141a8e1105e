#include "app/progress_dialog.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

#include "app/appearance.h"
#include "app/dialog_units.h"
#include "job/progress_clock.h"

namespace quillwave::app {

ProgressDialog::ProgressDialog(JobState& state, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      state_(state)
{
    setFont(dialogFont());
    setWindowTitle(QStringLiteral("Dialog"));
    const DialogUnits units = DialogUnits::forFont(font());
    setFixedSize(units.toPixels(186, 60));

    line_ = new QLabel(this);
    line_->setGeometry(units.toPixels(7, 7, 150, 12));
    line_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    line_->setTextFormat(Qt::PlainText);

    cancel_ = new QPushButton(QStringLiteral("キャンセル"), this);
    cancel_->setGeometry(units.toPixels(129, 33, 50, 20));
    // Enter must not cancel a long conversion by accident; only a deliberate click, the
    // close box or Esc does.
    cancel_->setAutoDefault(false);
    connect(cancel_, &QPushButton::clicked, this, &ProgressDialog::cancel);

    if (owner != nullptr)
        move(owner->mapToGlobal(QPoint(0, 0)));
    show();
}

ProgressDialog::~ProgressDialog() { goAway(); }

void ProgressDialog::refresh()
{
    line_->setText(QString::fromStdString(progressText(state_.remainingSeconds, state_.firstPhase)));
}

QString ProgressDialog::text() const { return line_->text(); }

void ProgressDialog::reject() { cancel(); }

void ProgressDialog::closeEvent(QCloseEvent* event)
{
    cancel();
    event->accept();
}

void ProgressDialog::cancel()
{
    goAway();
    // Deleted later: this runs inside the window's own event handling.
    deleteLater();
}

void ProgressDialog::goAway()
{
    if (gone_)
        return;
    gone_ = true;
    state_.abortRequested = true;
    state_.progressWindow = false;
    hide();
}

} // namespace quillwave::app
