#include "app/dialog_job_host.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QGridLayout>
#include <QLineEdit>
#include <QMessageBox>

#include "platform/messages.h"

namespace quillwave::app {

void showMessageBox(QWidget& owner, const std::string& text, MessageIcon icon)
{
    const QString caption = QString::fromUtf8(messages::kCaption);
    QMessageBox box(icon == MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, caption,
                    QString::fromStdString(text), QMessageBox::Ok, &owner);
    // The box sizes itself to its text alone, so a short message would leave the window
    // manager too narrow a title bar for the caption; a spacer keeps room for it and the
    // title bar's buttons.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int width = box.fontMetrics().horizontalAdvance(caption) + 160;
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    box.exec();
}

DialogJobHost::DialogJobHost(JobState& state, QWidget& owner) : state_(state), owner_(owner)
{
    presentMessage = [this](const std::string& text, MessageIcon icon) { showMessageBox(owner_, text, icon); };
    QCoreApplication::instance()->installEventFilter(this);
}

DialogJobHost::~DialogJobHost()
{
    // The window reports its end to the shared state, which must still be there.
    if (progress_ && !progress_->isGone())
        delete progress_;
}

void DialogJobHost::bindControls(QLineEdit* path, std::map<int, QAbstractButton*> radios)
{
    path_ = path;
    radios_ = std::move(radios);
}

ProgressDialog* DialogJobHost::progressDialog() const
{
    return progress_ && !progress_->isGone() ? progress_.data() : nullptr;
}

bool DialogJobHost::takeQuitRequest()
{
    const bool requested = quitRequested_;
    quitRequested_ = false;
    return requested;
}

std::string DialogJobHost::pathText()
{
    // The file system's own encoding of the name, as the files layer opens it.
    return path_ != nullptr ? QFile::encodeName(path_->text()).toStdString() : std::string();
}

bool DialogJobHost::isChecked(int controlId)
{
    const auto it = radios_.find(controlId);
    return it != radios_.end() && it->second->isChecked();
}

void DialogJobHost::showMessage(const std::string& text, MessageIcon icon) { presentMessage(text, icon); }

bool DialogJobHost::createProgressWindow()
{
    progress_ = new ProgressDialog(state_, &owner_);
    return true;
}

void DialogJobHost::refreshProgressWindow()
{
    if (ProgressDialog* dialog = progressDialog())
        dialog->refresh();
}

void DialogJobHost::destroyProgressWindow()
{
    // Deleted at once: the callers (the job's end, the main dialog's handlers) never run
    // inside the progress window's own event handling.
    if (ProgressDialog* dialog = progressDialog())
        delete dialog;
}

void DialogJobHost::pumpMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

bool DialogJobHost::eventFilter(QObject* watched, QEvent* event)
{
    // A quit request must not cut a job short: it is held and honoured once the job is over.
    if (event->type() == QEvent::Quit && watched == QCoreApplication::instance() && state_.busy) {
        quitRequested_ = true;
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quillwave::app
