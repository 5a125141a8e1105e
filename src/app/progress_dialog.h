#pragma once
#include <QDialog>

#include "job/job_state.h"

class QLabel;
class QPushButton;

namespace quillwave::app {

// The small modeless window of a running job: one line with the remaining time and a Cancel
// button. It talks to the job only through the shared state: it reads the estimate, and
// however it goes away (Cancel, its close box, Esc, or being destroyed) it asks the job to
// stop and marks itself closed.
class ProgressDialog final : public QDialog {
    Q_OBJECT

public:
    // Opens at the top-left corner of the owner's client area; the line stays empty until
    // the first refresh.
    ProgressDialog(JobState& state, QWidget* owner);
    ~ProgressDialog() override;

    // Shows the estimate held in the shared state.
    void refresh();

    QString text() const;
    QPushButton* cancelButton() const { return cancel_; }
    // Whether this window has gone away (it may still wait to be deleted).
    bool isGone() const { return gone_; }

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void cancel();
    void goAway();

    JobState& state_;
    QLabel* line_;
    QPushButton* cancel_;
    bool gone_ = false;
};

} // namespace quillwave::app
