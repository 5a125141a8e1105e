#include "app/converter_dialog.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>
#include <cctype>

#include "app/appearance.h"
#include "app/dialog_units.h"
#include "platform/messages.h"
#include "output/parameter_file.h"

namespace quillwave::app {
namespace {

// The group's frame runs through the middle of its title, as the layout was drawn for; the
// toolkit's own style puts the title above the frame, so the frame's top edge would cut
// through the first button of each group.
const char* const kGroupBoxStyle =
    "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 0.5em; }"
    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 6px; padding: 0 2px; }";

// The first local WAVE file among the dropped items, or empty.
QString droppedWave(const QMimeData* mime)
{
    if (mime == nullptr || !mime->hasUrls())
        return {};
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile() && url.toLocalFile().endsWith(QStringLiteral(".wav"), Qt::CaseInsensitive))
            return QDir::toNativeSeparators(url.toLocalFile());
    return {};
}

} // namespace

// Two blanks after "File" and full-width parentheses around the pattern; the filter adds the
// pattern itself in the file dialog's notation.
const QString ConverterDialog::kWaveFilterDescription = QStringLiteral("WAVE File  （ *.wav ）");
const QString ConverterDialog::kWaveFilter = kWaveFilterDescription + QStringLiteral("(*.wav)");

ConverterDialog::ConverterDialog(const Clock& clock, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      host_(state_, *this), job_(host_, state_, clock)
{
    setFont(dialogFont());
    setWindowTitle(QStringLiteral("Quillwave"));
    setWindowIcon(applicationIcon());
    setAcceptDrops(true);
    createControls();

    std::map<int, QAbstractButton*> radios(radios_.begin(), radios_.end());
    host_.bindControls(path_, std::move(radios));

    // Only the super optimisation is the user's choice: one frame length, no stagger.
    radio(control::kFrames60)->setChecked(true);
    radio(control::kStaggerOff)->setChecked(true);
    radio(control::kFourPasses)->setChecked(true);
    for (int id : {control::kFrames15, control::kFrames20, control::kFrames30, control::kStaggerOn,
                   control::kStaggerOff})
        radio(id)->setEnabled(false);
    path_->setFocus();
}

ConverterDialog::~ConverterDialog()
{
    if (state_.busy)
        requestAbort(state_, host_);
}

void ConverterDialog::createControls()
{
    const DialogUnits units = DialogUnits::forFont(font());
    setFixedSize(units.toPixels(279, 165));

    // Created in tab order; a group box comes before its buttons so they lie on top of it.
    auto* fileLabel = new QLabel(QStringLiteral("ＷＡＶＥファイル"), this);
    fileLabel->setGeometry(units.toPixels(20, 15, 90, 8));

    path_ = new QLineEdit(this);
    path_->setGeometry(units.toPixels(20, 25, 180, 22));
    // A dropped file goes to the dialog, which takes its path; the box would insert a URL.
    path_->setAcceptDrops(false);

    const auto addButton = [&](int id, const char* text, QRect geometry, void (ConverterDialog::*handler)()) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setGeometry(geometry);
        // No default button: Enter never converts or ends the dialog.
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, handler);
        buttons_[id] = b;
    };
    addButton(control::kBrowse, "参照", units.toPixels(220, 25, 40, 22), &ConverterDialog::onBrowse);
    addButton(control::kConvert, "変換", units.toPixels(20, 115, 40, 30), &ConverterDialog::onConvert);
    addButton(control::kExit, "終了", units.toPixels(220, 115, 40, 30), &ConverterDialog::onExit);

    struct Choice {
        int id;
        const char* text;
        int x, y, width;
    };
    const auto addGroup = [&](const char* title, QRect frame, std::initializer_list<Choice> choices) {
        auto* box = new QGroupBox(QString::fromUtf8(title), this);
        box->setGeometry(frame);
        box->setStyleSheet(QString::fromLatin1(kGroupBoxStyle));
        auto* group = new QButtonGroup(this);
        for (const Choice& c : choices) {
            auto* r = new QRadioButton(QString::fromUtf8(c.text), this);
            r->setGeometry(units.toPixels(c.x, c.y, c.width, 10));
            // The radio buttons are reached by click only; Tab skips them.
            r->setFocusPolicy(Qt::ClickFocus);
            group->addButton(r, c.id);
            radios_[c.id] = r;
        }
    };
    addGroup("発音単位", units.toPixels(153, 78, 48, 68),
             {{control::kFrames15, "1/15秒", 160, 89, 35},
              {control::kFrames20, "1/20秒", 160, 103, 35},
              {control::kFrames30, "1/30秒", 160, 117, 35},
              {control::kFrames60, "1/60秒", 160, 131, 35}});
    addGroup("発音ずらし", units.toPixels(82, 106, 48, 40),
             {{control::kStaggerOn, "有り", 89, 117, 35}, {control::kStaggerOff, "無し", 89, 131, 35}});
    addGroup("超最適化", units.toPixels(82, 56, 48, 40),
             {{control::kSinglePass, "しない", 89, 67, 30}, {control::kFourPasses, "する", 89, 81, 30}});
}

QPushButton* ConverterDialog::button(int controlId) const
{
    const auto it = buttons_.find(controlId);
    return it != buttons_.end() ? it->second : nullptr;
}

QRadioButton* ConverterDialog::radio(int controlId) const
{
    const auto it = radios_.find(controlId);
    return it != radios_.end() ? it->second : nullptr;
}

void ConverterDialog::onBrowse()
{
    // Works during a job too: the job already holds its path.
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("wav"));
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilter(kWaveFilter);
    // The file dialog collapses the two blanks of the description; its own list of types
    // shows the text as written.
    if (auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
        types->setItemText(0, kWaveFilterDescription);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    path_->setText(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()));
}

void ConverterDialog::onConvert()
{
    if (state_.busy)
        return; // pressed again while a job runs: refused
    // The job holds the UI thread; playing would only stutter.
    results_.stopPlayback();
    const std::optional<ResultFiles> finished = runJob();
    if (host_.takeQuitRequest() || endAfterJob_) {
        endAfterJob_ = false;
        reject();
        return;
    }
    // The job's message has been confirmed by now.
    if (finished)
        results_.open(*finished, *this);
}

std::optional<ResultFiles> ConverterDialog::runJob()
{
    // The path as the job reads it at its start; the box may change while it runs.
    std::string input = host_.pathText();
    while (!input.empty() && std::isspace(static_cast<unsigned char>(input.back())))
        input.pop_back();
    bool finished = false;
    const auto present = host_.presentMessage;
    host_.presentMessage = [&](const std::string& text, MessageIcon icon) {
        finished = text == messages::kFinished;
        present(text, icon);
    };
    job_.run();
    host_.presentMessage = present;
    if (!finished)
        return std::nullopt;
    return ResultFiles{input, job_.options.outputPath.empty() ? parameterFilePath(input) : job_.options.outputPath};
}
void ConverterDialog::onExit()
{
    if (state_.busy) {
        requestAbort(state_, host_);
        return;
    }
    accept();
}

void ConverterDialog::closeEvent(QCloseEvent* event)
{
    if (state_.busy) {
        // The job is stopped, and the window ends after the job's last message.
        requestAbort(state_, host_);
        endAfterJob_ = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void ConverterDialog::keyPressEvent(QKeyEvent* event)
{
    // Enter and Esc stay with the focused control; they never end the dialog.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void ConverterDialog::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedWave(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void ConverterDialog::dropEvent(QDropEvent* event)
{
    const QString path = droppedWave(event->mimeData());
    if (path.isEmpty())
        return;
    // Only the path box changes; converting still takes the convert button.
    path_->setText(path);
    event->acceptProposedAction();
}

} // namespace quillwave::app
