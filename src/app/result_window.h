#pragma once
#include <QFutureWatcher>
#include <QWidget>
#include <array>

#include "analysis/frame_geometry.h"

#include "app/audio_output.h"
#include "app/result_data.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace quillwave::app {

class AudioPlayer;
class ResultView;

// What one finished conversion sounds and looks like: the picture of the input with the
// voices' tracks, playing of the original and of the preview, and export. Not modal; it
// loads its files off the UI thread and fills in when they are ready.
class ResultWindow final : public QWidget {
    Q_OBJECT

public:
    ResultWindow(ResultFiles files, AudioOutput& audio, QWidget* parent = nullptr);
    ~ResultWindow() override;

    const ResultFiles& files() const { return files_; }
    // Whether loading has finished (successfully or not).
    bool isLoaded() const { return loaded_; }
    // Waits for loading to finish (tests).
    void waitUntilLoaded();
    const ResultData& data() const { return data_; }

    QPushButton* playButton() const { return play_; }
    QRadioButton* originalChoice() const { return original_; }
    QRadioButton* previewChoice() const { return preview_; }
    QCheckBox* voiceToggle(int voice) const { return voices_[static_cast<std::size_t>(voice)]; }
    QPushButton* exportButton() const { return export_; }
    QLabel* readout() const { return readout_; }
    ResultView* view() const { return view_; }
    AudioPlayer* player() const { return player_; }

    // The player's texts: its tooltip when nothing can be played, as the user reads it.
    static const QString kNoOutputTip;

    void stopPlayback();

private:
    void createControls();
    void onLoaded();
    void togglePlay();
    void showPlaying(bool playing);
    void showHover(double seconds, double height);
    void setPlayControlsEnabled(bool enabled, const QString& tip);

    ResultFiles files_;
    AudioOutput& audio_;
    ResultData data_;
    bool loaded_ = false;
    QFutureWatcher<ResultData> loading_;

    AudioPlayer* player_ = nullptr;
    ResultView* view_ = nullptr;
    QPushButton* play_ = nullptr;
    QRadioButton* original_ = nullptr;
    QRadioButton* preview_ = nullptr;
    std::array<QCheckBox*, kVoiceCount> voices_{};
    QPushButton* zoomIn_ = nullptr;
    QPushButton* zoomOut_ = nullptr;
    QPushButton* export_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* readout_ = nullptr;
};

// "voice.dat - Quillwave" for the parameter file voice.dat.
QString resultWindowTitle(const std::string& outputPath);

} // namespace quillwave::app
