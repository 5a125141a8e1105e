#include "job/conversion_job.h"

#include <cctype>
#include <exception>

#include "analysis/signal_buffer.h"
#include "job/progress_clock.h"
#include "job/wave_input.h"
#include "output/parameter_file.h"
#include "platform/file_io.h"
#include "platform/messages.h"

namespace quillwave {
namespace {

std::string trimRight(std::string text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    return text;
}

// Only the last three bytes count, in any case; the byte before them need not be a dot.
bool endsInWav(const std::string& path)
{
    std::string tail = path.size() > 3 ? path.substr(path.size() - 3) : path;
    for (char& c : tail)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == "wav";
}

} // namespace

ConversionSettings readSettings(JobHost& host)
{
    ConversionSettings s;
    s.passCount = host.isChecked(control::kSinglePass) ? 1 : 4;
    s.staggered = host.isChecked(control::kStaggerOn);
    // The last checked of the three wins; 15 when none of them is.
    s.framesPerSecond = 15;
    if (host.isChecked(control::kFrames20))
        s.framesPerSecond = 20;
    if (host.isChecked(control::kFrames30))
        s.framesPerSecond = 30;
    if (host.isChecked(control::kFrames60))
        s.framesPerSecond = 60;
    return s;
}

ConversionJob::ConversionJob(JobHost& host, JobState& state, const Clock& clock)
    : host_(host), state_(state), clock_(clock)
{
}

ConversionJob::~ConversionJob() = default;

AnalysisEngine& ConversionJob::engine()
{
    if (enginePinned_)
        return *engine_;
    if (!engine_ || engineKind_ != options.engine || engineThreads_ != options.threads) {
        engine_ = makeAnalysisEngine(options.engine, options.threads);
        engineKind_ = options.engine;
        engineThreads_ = options.threads;
    }
    return *engine_;
}

void ConversionJob::closeProgressWindow()
{
    if (state_.progressWindow) {
        state_.progressWindow = false;
        host_.destroyProgressWindow();
    }
}

void ConversionJob::run()
{
    if (state_.busy)
        return;
    const ConversionSettings settings = readSettings(host_);

    ProgressClock progress(state_, host_, clock_);
    if (!progress.readFrequency()) {
        host_.showMessage(messages::kNoCounter, MessageIcon::Warning);
        return;
    }
    const std::string path = trimRight(host_.pathText());
    if (!endsInWav(path)) {
        host_.showMessage(messages::kNotWave, MessageIcon::Warning);
        return;
    }

    std::string message;
    try {
        FileBlock file = readWholeFile(pool_, path, kReadSlack);
        message = file.message;
        ParsedWave parsed;
        if (message.empty()) {
            parsed = parseWave(file.block, file.fileLength);
            message = parsed.message;
        }
        if (message.empty()) {
            const std::int32_t frames = parsed.format.sampleFrames;
            SignalBuffer signal;
            signal.sampleFrames = frames;
            signal.residual = static_cast<std::int32_t*>(pool_.poolAlloc(signalBlockBytes(frames)));
            if (signal.residual != nullptr)
                signal.pristine = static_cast<std::int32_t*>(pool_.poolAlloc(signalBlockBytes(frames)));
            if (signal.pristine == nullptr) {
                pool_.poolFreeAll();
                host_.showMessage(messages::kNoMemory, MessageIcon::None);
                return;
            }

            const FrameGeometry geometry = makeFrameGeometry(static_cast<std::int32_t>(parsed.format.sampleRate),
                                                             settings.framesPerSecond, settings.staggered, frames);
            if (!store_)
                store_ = std::make_unique<ComponentStore>();
            if (!records_)
                records_ = std::make_unique<OutputRecords>();
            AnalysisEngine& analysis = engine();
            analysis.prepareJob(geometry);
            fillSignal(file.block, parsed.format, signal.residual);
            store_->reset();
            records_->clear();

            progress.restartPhase();
            state_.progressWindow = host_.createProgressWindow();
            state_.abortRequested = false;
            state_.busy = true;
            state_.firstPhase = true;
            savePristine(signal.residual, signal.pristine, frames);

            bool finished = analysis.runAnalysisPasses(geometry, settings.passCount, signal, *store_, progress);
            if (finished) {
                progress.restartPhase();
                state_.firstPhase = false;
                finished = analysis.runLevelPass(geometry, *store_, *records_, progress);
            }
            if (!finished) {
                // Whoever asked for the abort has closed the window; make sure of it anyway.
                closeProgressWindow();
                pool_.poolFreeAll();
                host_.showMessage(messages::kAborted, MessageIcon::None);
                state_.busy = false;
                return;
            }
            const std::string output = options.outputPath.empty() ? parameterFilePath(path) : options.outputPath;
            message = writeParameterFile(*records_, output, geometry.frameCount, settings.framesPerSecond);
        }
    } catch (const std::exception&) {
        // Memory, or the engine's worker threads, could not be had: the job still ends by
        // its one message with everything released, instead of leaving the window busy.
        message = messages::kNoMemory;
    }

    closeProgressWindow();
    pool_.poolFreeAll();
    if (message.empty())
        message = messages::kFinished;
    host_.showMessage(message, MessageIcon::None);
    state_.busy = false;
}

} // namespace quillwave
