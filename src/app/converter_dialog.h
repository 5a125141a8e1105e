#pragma once
#include <QDialog>
#include <map>
#include <optional>

#include "app/dialog_job_host.h"
#include "app/result_windows.h"
#include "job/conversion_job.h"
#include "job/job_state.h"
#include "platform/clock.h"

class QAbstractButton;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quillwave::app {

// The main window: the WAVE file's path, the options, and the convert and exit buttons.
// A conversion runs inside the convert button's handler; while it runs, the exit button and
// a close request ask it to stop, and a close request (or a quit) ends the window once the
// job has shown its last message.
class ConverterDialog final : public QDialog {
    Q_OBJECT

public:
    explicit ConverterDialog(const Clock& clock = systemClock(), QWidget* parent = nullptr);
    ~ConverterDialog() override;

    // The browse button's file type: as the user reads it, and as the file dialog takes it.
    static const QString kWaveFilterDescription;
    static const QString kWaveFilter;

    QLineEdit* pathBox() const { return path_; }
    QPushButton* button(int controlId) const;
    QRadioButton* radio(int controlId) const;
    DialogJobHost& host() { return host_; }
    ConversionJob& job() { return job_; }
    const JobState& state() const { return state_; }
    ResultWindows& results() { return results_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createControls();
    void onBrowse();
    void onConvert();
    void onExit();
    // Runs one job; the files of its conversion when it finished.
    std::optional<ResultFiles> runJob();

    // Declared first so it outlives the host and the job.
    JobState state_;
    QLineEdit* path_ = nullptr;
    std::map<int, QPushButton*> buttons_;
    std::map<int, QRadioButton*> radios_;
    DialogJobHost host_;
    ConversionJob job_;
    ResultWindows results_;
    bool endAfterJob_ = false;
};

} // namespace quillwave::app
