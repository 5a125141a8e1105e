#pragma once
#include <QObject>
#include <QPointer>
#include <functional>
#include <map>

#include "app/progress_dialog.h"
#include "job/job_host.h"

class QAbstractButton;
class QLineEdit;
class QWidget;

namespace quillwave::app {

// The main dialog as the job sees it: the path box, the radio buttons, message boxes owned
// by the dialog, the progress window and the event pump.
class DialogJobHost final : public QObject, public JobHost {
    Q_OBJECT

public:
    DialogJobHost(JobState& state, QWidget& owner);
    ~DialogJobHost() override;

    // Attaches the controls the job reads, once the dialog has created them.
    void bindControls(QLineEdit* path, std::map<int, QAbstractButton*> radios);

    // How a message reaches the user: a modal box by default; tests record it instead.
    std::function<void(const std::string& text, MessageIcon icon)> presentMessage;

    // The progress window of the running job, or null.
    ProgressDialog* progressDialog() const;
    // Whether the application was asked to quit while a job ran; clears the request.
    bool takeQuitRequest();

    std::string pathText() override;
    bool isChecked(int controlId) override;
    void showMessage(const std::string& text, MessageIcon icon) override;
    bool createProgressWindow() override;
    void refreshProgressWindow() override;
    void destroyProgressWindow() override;
    void pumpMessages() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    JobState& state_;
    QWidget& owner_;
    QLineEdit* path_ = nullptr;
    std::map<int, QAbstractButton*> radios_;
    QPointer<ProgressDialog> progress_;
    bool quitRequested_ = false;
};

// A modal box owned by `owner` with the job's caption, an OK button and the given icon.
void showMessageBox(QWidget& owner, const std::string& text, MessageIcon icon);

} // namespace quillwave::app
