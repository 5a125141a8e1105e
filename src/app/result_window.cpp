#include "app/result_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <cmath>

#include "app/appearance.h"
#include "app/audio_player.h"
#include "app/result_view.h"

namespace quillwave::app {

const QString ResultWindow::kNoOutputTip = QStringLiteral("音声の出力先が見つからないため再生できません");

QString resultWindowTitle(const std::string& outputPath)
{
    return QFileInfo(QFile::decodeName(QByteArray::fromStdString(outputPath))).fileName() +
           QStringLiteral(" - Quillwave");
}

ResultWindow::ResultWindow(ResultFiles files, AudioOutput& audio, QWidget* parent)
    : QWidget(parent, Qt::Window), files_(std::move(files)), audio_(audio)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(resultWindowTitle(files_.outputPath));
    setWindowIcon(applicationIcon());
    createControls();
    connect(&loading_, &QFutureWatcher<ResultData>::finished, this, &ResultWindow::onLoaded);
    loading_.setFuture(QtConcurrent::run([files = files_] { return loadResult(files); }));
}

ResultWindow::~ResultWindow()
{
    // The loader holds only its own copies; waiting keeps it from outliving the program.
    loading_.waitForFinished();
}

void ResultWindow::waitUntilLoaded()
{
    loading_.waitForFinished();
    if (!loaded_)
        onLoaded();
}

void ResultWindow::createControls()
{
    auto* layout = new QVBoxLayout(this);
    auto* controls = new QHBoxLayout;
    layout->addLayout(controls);

    play_ = new QPushButton(QStringLiteral("再生"), this);
    play_->setToolTip(QStringLiteral("再生と停止（スペースキー）"));
    connect(play_, &QPushButton::clicked, this, &ResultWindow::togglePlay);
    controls->addWidget(play_);

    original_ = new QRadioButton(QStringLiteral("原音"), this);
    original_->setToolTip(QStringLiteral("変換前の録音を聞く"));
    preview_ = new QRadioButton(QStringLiteral("プレビュー"), this);
    preview_->setToolTip(QStringLiteral("パラメータファイルの6音を鳴らして聞く"));
    original_->setChecked(true);
    auto* tracks = new QButtonGroup(this);
    tracks->addButton(original_);
    tracks->addButton(preview_);
    controls->addWidget(original_);
    controls->addWidget(preview_);
    controls->addSpacing(12);

    for (int v = 0; v < kVoiceCount; ++v) {
        auto* toggle = new QCheckBox(QStringLiteral("音%1").arg(v), this);
        toggle->setChecked(true);
        toggle->setToolTip(QStringLiteral("プレビューで音%1を鳴らす").arg(v));
        voices_[static_cast<std::size_t>(v)] = toggle;
        controls->addWidget(toggle);
    }
    controls->addStretch(1);

    zoomIn_ = new QPushButton(QStringLiteral("＋"), this);
    zoomIn_->setToolTip(QStringLiteral("時間軸を拡大（＋キー、ホイール）"));
    zoomOut_ = new QPushButton(QStringLiteral("−"), this);
    zoomOut_->setToolTip(QStringLiteral("時間軸を縮小（−キー、ホイール）"));
    controls->addWidget(zoomIn_);
    controls->addWidget(zoomOut_);
    export_ = new QPushButton(QStringLiteral("書き出し…"), this);
    export_->setToolTip(QStringLiteral("プレビューのWAVE、CSV、JSON、図をファイルに保存する"));
    controls->addWidget(export_);

    view_ = new ResultView(this);
    view_->setMinimumSize(480, 240);
    layout->addWidget(view_, 1);
    connect(zoomIn_, &QPushButton::clicked, view_, &ResultView::zoomIn);
    connect(zoomOut_, &QPushButton::clicked, view_, &ResultView::zoomOut);
    connect(view_, &ResultView::hovered, this, &ResultWindow::showHover);

    status_ = new QLabel(QStringLiteral("読み込み中…"), this);
    readout_ = new QLabel(this);
    readout_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(readout_, 1);
    bottom->addWidget(status_);
    layout->addLayout(bottom);

    auto* space = new QShortcut(QKeySequence(Qt::Key_Space), this);
    connect(space, &QShortcut::activated, this, &ResultWindow::togglePlay);

    setPlayControlsEnabled(false, QString());
    export_->setEnabled(false);
    resize(960, 540);
}

void ResultWindow::setPlayControlsEnabled(bool enabled, const QString& tip)
{
    for (QWidget* w : {static_cast<QWidget*>(play_), static_cast<QWidget*>(original_), static_cast<QWidget*>(preview_)}) {
        w->setEnabled(enabled);
        if (!tip.isEmpty())
            w->setToolTip(tip);
    }
}

void ResultWindow::onLoaded()
{
    if (loaded_)
        return;
    loaded_ = true;
    data_ = loading_.result();
    if (!data_.message.empty()) {
        status_->setText(QStringLiteral("読み込めませんでした: ") + QString::fromStdString(data_.message));
        return;
    }
    status_->clear();
    view_->setDuration(data_.seconds());

    player_ = new AudioPlayer(audio_, data_.sampleRate, this);
    player_->setSamples(AudioPlayer::Track::Original, data_.original);
    connect(player_, &AudioPlayer::positionChanged, this,
            [this](qint64 frame) { view_->setPlayhead(double(frame) / data_.sampleRate); });
    connect(player_, &AudioPlayer::playingChanged, this, &ResultWindow::showPlaying);
    connect(view_, &ResultView::seekRequested, this,
            [this](double seconds) { player_->seek(std::llround(seconds * data_.sampleRate)); });
    connect(original_, &QRadioButton::toggled, this, [this](bool on) {
        player_->select(on ? AudioPlayer::Track::Original : AudioPlayer::Track::Preview);
    });

    if (player_->canPlay())
        setPlayControlsEnabled(true, QString());
    else
        setPlayControlsEnabled(false, kNoOutputTip);
}

void ResultWindow::togglePlay()
{
    if (player_ == nullptr || !play_->isEnabled())
        return;
    if (player_->isPlaying()) {
        player_->stop();
        return;
    }
    if (!player_->play())
        status_->setText(QStringLiteral("音声の出力を開けませんでした"));
}

void ResultWindow::stopPlayback()
{
    if (player_ != nullptr)
        player_->stop();
}

void ResultWindow::showPlaying(bool playing)
{
    play_->setText(playing ? QStringLiteral("停止") : QStringLiteral("再生"));
    if (playing)
        status_->clear();
}

void ResultWindow::showHover(double seconds, double)
{
    if (seconds < 0.0) {
        readout_->clear();
        return;
    }
    readout_->setText(QStringLiteral("%1 秒").arg(seconds, 0, 'f', 3));
}

} // namespace quillwave::app
