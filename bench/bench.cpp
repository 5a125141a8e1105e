// Converts generated signals with the fast and the reference engine in one run and prints
// the seconds each takes per second of audio, their ratio, the fast engine's time per stage
// and what its reuse saved. The reference is very slow, so it is timed on a prefix of each
// signal (the table says how long); the fast engine's output on that prefix is checked
// against it byte for byte.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "analysis/fast/fast_engine.h"
#include "analysis/frame_record.h"
#include "analysis/reference_engine.h"
#include "analysis/signal_buffer.h"
#include "job/wave_input.h"
#include "platform/file_io.h"
#include "platform/work_pool.h"

using namespace quillwave;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Something like a voice over a backing: a gliding fundamental with harmonics, a held chord,
// noise bursts, pauses, and loudness that comes and goes. Samples in residual units.
std::vector<std::int32_t> generateSignal(double seconds, int sampleRate)
{
    const auto count = static_cast<std::size_t>(seconds * sampleRate);
    std::vector<std::int32_t> out(count);
    std::uint32_t noise = 12345;
    double phase = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        const double pitch = 180 + 60 * std::sin(2 * M_PI * 0.7 * t) + 25 * std::sin(2 * M_PI * 5.5 * t);
        phase += 2 * M_PI * pitch / sampleRate;
        double voice = 0;
        for (int h = 1; h <= 8; ++h)
            voice += std::sin(h * phase) / h;
        const double syllable = std::max(0.0, std::sin(2 * M_PI * 2.3 * t));
        double x = 9e5 * voice * syllable;
        x += 4e5 * (std::sin(2 * M_PI * 220 * t) + std::sin(2 * M_PI * 277.18 * t) + std::sin(2 * M_PI * 329.63 * t));
        noise = noise * 1664525u + 1013904223u;
        if (std::fmod(t, 1.3) < 0.12)
            x += static_cast<double>(static_cast<std::int32_t>(noise) >> 10);
        if (std::fmod(t, 2.9) > 2.6)
            x = 0; // a pause: silent components, nothing to synthesise
        out[i] = static_cast<std::int32_t>(std::clamp(x, -8388608.0, 8388352.0));
    }
    return out;
}

// Processor time of the whole process so far (every thread), in seconds.
double processorSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Run {
    double seconds = 0;
    double processor = 0; // processor seconds spent meanwhile
    std::vector<Component> components;
    std::vector<FrameRecord> records;
};

// Engine work only: preparing the job, the passes and the level pass (no file input/output).
Run runEngine(AnalysisEngine& engine, const std::vector<std::int32_t>& samples, int sampleRate, int passes,
              int framesPerSecond, bool staggered)
{
    const auto n = static_cast<std::int32_t>(samples.size());
    std::vector<std::int32_t> residual(samples.size() + 2 * kPadSamples, 0);
    std::copy(samples.begin(), samples.end(), residual.begin() + kPadSamples);
    std::vector<std::int32_t> pristine = residual;
    SignalBuffer signal{residual.data(), pristine.data(), n};
    auto store = std::make_unique<ComponentStore>();
    auto records = std::make_unique<OutputRecords>();
    NoProgress progress;
    const FrameGeometry geometry = makeFrameGeometry(sampleRate, framesPerSecond, staggered, n);

    Run run;
    const double processorStart = processorSeconds();
    const Clock::time_point start = Clock::now();
    engine.prepareJob(geometry);
    engine.runAnalysisPasses(geometry, passes, signal, *store, progress);
    engine.runLevelPass(geometry, *store, *records, progress);
    run.seconds = secondsSince(start);
    run.processor = processorSeconds() - processorStart;
    for (std::int32_t g = 0; g < geometry.frameCount; ++g) {
        for (int v = 0; v < kVoiceCount; ++v)
            for (int s = 0; s < kSlotsPerVoice; ++s)
                run.components.push_back(store->componentAt(g, v, s));
        run.records.push_back((*records)[g]);
    }
    return run;
}

bool sameOutput(const Run& a, const Run& b)
{
    if (a.components != b.components || a.records.size() != b.records.size())
        return false;
    for (std::size_t g = 0; g < a.records.size(); ++g)
        if (!std::equal(std::begin(a.records[g].words), std::end(a.records[g].words), std::begin(b.records[g].words)))
            return false;
    return true;
}

double percent(std::int64_t part, std::int64_t whole) { return whole > 0 ? 100.0 * part / whole : 0.0; }

double megabytes(double bytes) { return bytes / (1 << 20); }

// The memory a conversion of `path` can take at its peak, without running the analysis: the
// job's blocks as the job allocates and fills them, the store and records, and the fast
// engine's tables (the workers add only a few small buffers).
int measureMemory(const std::string& path, int framesPerSecond, int threads)
{
    WorkPool pool;
    FileBlock file = readWholeFile(pool, path, kReadSlack);
    ParsedWave parsed;
    if (file.message.empty())
        parsed = parseWave(file.block, file.fileLength);
    const std::string message = file.message.empty() ? parsed.message : file.message;
    if (!message.empty()) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), message.c_str());
        return 1;
    }
    const std::int32_t frames = parsed.format.sampleFrames;
    SignalBuffer signal;
    signal.sampleFrames = frames;
    signal.residual = static_cast<std::int32_t*>(pool.poolAlloc(signalBlockBytes(frames)));
    signal.pristine = static_cast<std::int32_t*>(pool.poolAlloc(signalBlockBytes(frames)));
    fillSignal(file.block, parsed.format, signal.residual);
    savePristine(signal.residual, signal.pristine, frames);
    auto store = std::make_unique<ComponentStore>();
    auto records = std::make_unique<OutputRecords>();
    store->reset();
    records->clear();

    const FrameGeometry geometry =
        makeFrameGeometry(static_cast<std::int32_t>(parsed.format.sampleRate), framesPerSecond, false, frames);
    FastEngine fast(threads);
    fast.prepareJob(geometry);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double measured = megabytes(static_cast<double>(usage.ru_maxrss) * 1024);
    std::printf("%s: %d frames of %d samples at %d Hz, %d channels\n", path.c_str(), geometry.frameCount,
                geometry.frameLength, geometry.sampleRate, parsed.format.channelCount);
    std::printf("  peak resident with the job's blocks, store, records and tables: %.0f MB (%.2f GiB)\n",
                measured, measured / 1024);
    std::printf("  (of which the fast engine's tables: %.0f MB)\n", megabytes(static_cast<double>(fast.tableBytes())));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Quillwave benchmark: fast engine against the reference engine"};
    std::vector<double> lengths{1, 10};
    double referenceSeconds = 1;
    int passes = 4;
    int framesPerSecond = 60;
    int sampleRate = 44100;
    int threads = 0;
    std::string simd;
    bool savings = true;
    std::string memoryInput;
    app.add_option("--seconds", lengths, "Signal lengths in seconds")->capture_default_str();
    app.add_option("--reference-seconds", referenceSeconds,
                   "Prefix of each signal the reference converts (0 = none)")
        ->capture_default_str();
    app.add_option("--passes", passes, "Analysis passes")->check(CLI::IsMember({1, 4}))->capture_default_str();
    app.add_option("--fps", framesPerSecond, "Frames per second")->check(CLI::IsMember({15, 20, 30, 60}))->capture_default_str();
    app.add_option("--rate", sampleRate, "Sample rate")->check(CLI::IsMember({44100, 48000}))->capture_default_str();
    app.add_option("--threads", threads, "Fast engine threads (0 = every core)")->capture_default_str();
    app.add_option("--simd", simd, "Force a width: scalar, avx2, avx512");
    app.add_flag("!--no-savings", savings, "Skip timing each shortcut switched off (first signal)");
    app.add_option("--memory", memoryInput, "Only measure the peak memory a conversion of this WAVE file can take");
    CLI11_PARSE(app, argc, argv);
    if (!memoryInput.empty())
        return measureMemory(memoryInput, framesPerSecond, threads);

    SimdWidth width = chooseSimdWidth();
    if (!simd.empty() && !parseSimdWidth(simd, width)) {
        std::fprintf(stderr, "unknown width %s\n", simd.c_str());
        return 2;
    }
    FastEngine fast(threads, width);
    ReferenceEngine reference;
    std::printf("%d Hz, %d passes, %d frames per second; fast engine: %d threads, %s\n", sampleRate, passes,
                framesPerSecond, fast.threadCount(), simdWidthName(fast.width()));

    for (const double length : lengths) {
        const std::vector<std::int32_t> samples = generateSignal(length, sampleRate);
        std::printf("\n== %.3g s signal\n", length);
        const Run fastRun = runEngine(fast, samples, sampleRate, passes, framesPerSecond, false);
        const StageTimes times = fast.stageTimes();
        const ReuseCounts reuse = fast.reuseCounts();
        const LevelCounts levels = fast.levelCounts();
        const double fastRate = fastRun.seconds / length;
        std::printf("fast engine:      %8.3f s for %.3g s of audio = %.3f s per second of audio\n", fastRun.seconds,
                    length, fastRate);
        // Other work on the machine shows here: fewer cores than threads means it was busy.
        std::printf("  its threads got %.2f cores on average\n", fastRun.processor / fastRun.seconds);
        std::printf("  coarse scan %.3f s, fine search %.3f s, sweeps %.3f s, level pass %.3f s\n", times.coarseScan,
                    times.fineSearch, times.sweeps, times.levelPass);
        std::printf("  candidates: %lld measured, %.3f%% settled by their estimates, %lld left open and computed "
                    "exactly; %lld phases of last winners left open\n",
                    static_cast<long long>(reuse.measured), percent(reuse.estimated, reuse.measured),
                    static_cast<long long>(reuse.undecided), static_cast<long long>(reuse.winners));
        std::printf("  syntheses: %lld done, %lld silent ones skipped; frame searches: %lld run, %lld skipped "
                    "(samples unchanged since the last pass)\n",
                    static_cast<long long>(reuse.syntheses), static_cast<long long>(reuse.skippedSyntheses),
                    static_cast<long long>(reuse.searches), static_cast<long long>(reuse.skippedSearches));
        std::printf("  levels: %lld settled by the bounded estimate, %lld computed in full, %lld silent\n",
                    static_cast<long long>(levels.estimated), static_cast<long long>(levels.computed),
                    static_cast<long long>(levels.silent));

        if (savings && length == lengths.front()) {
            // Each exact shortcut switched off in turn: what it saves on this signal. The tables are
            // warm by now, so the baseline is timed again; each time is the best of three, as the
            // machine may be busy with other work.
            const auto bestOf3 = [&](const Shortcuts& options, Run& run) {
                fast.setShortcuts(options);
                double best = 1e300;
                for (int i = 0; i < 3; ++i) {
                    run = runEngine(fast, samples, sampleRate, passes, framesPerSecond, false);
                    best = std::min(best, run.seconds);
                }
                return best;
            };
            Run warm;
            const double baseline = bestOf3(Shortcuts{}, warm);
            std::printf("  with every shortcut (tables warm, best of 3): %.3f s\n", baseline);
            const struct {
                const char* name;
                bool Shortcuts::*flag;
            } reuses[] = {{"correlation estimates", &Shortcuts::estimateCorrelations},
                          {"skipping silent syntheses", &Shortcuts::skipSilentSyntheses},
                          {"skipping unchanged searches", &Shortcuts::skipUnchangedSearches},
                          {"bounded level estimates", &Shortcuts::estimateLevels}};
            for (const auto& reuse : reuses) {
                Shortcuts options;
                options.*reuse.flag = false;
                Run without;
                const double seconds = bestOf3(options, without);
                std::printf("  without %-28s %7.3f s: it saves %.3f s (%.0f%%)%s\n",
                            (std::string(reuse.name) + ":").c_str(), seconds, seconds - baseline,
                            100.0 * (seconds - baseline) / seconds, sameOutput(without, warm) ? "" : "  OUTPUT DIFFERS");
            }
            fast.setShortcuts(Shortcuts{});
        }

        if (referenceSeconds <= 0)
            continue;
        const double prefixSeconds = std::min(referenceSeconds, length);
        const std::vector<std::int32_t> prefix(samples.begin(),
                                               samples.begin() + static_cast<std::ptrdiff_t>(prefixSeconds * sampleRate));
        const Run referenceRun = runEngine(reference, prefix, sampleRate, passes, framesPerSecond, false);
        const Run fastPrefix = runEngine(fast, prefix, sampleRate, passes, framesPerSecond, false);
        const double referenceRate = referenceRun.seconds / prefixSeconds;
        std::printf("reference engine: %8.3f s for the first %.3g s = %.3f s per second of audio%s\n",
                    referenceRun.seconds, prefixSeconds, referenceRate,
                    prefixSeconds < length ? " (timed on this prefix only)" : "");
        std::printf("ratio:            %.1f times the reference's speed\n", referenceRate / fastRate);
        std::printf("identical output on the first %.3g s: %s\n", prefixSeconds,
                    sameOutput(referenceRun, fastPrefix) ? "yes" : "NO");
    }
    return 0;
}
