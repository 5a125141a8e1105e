#pragma once
#include <memory>
#include <string>

#include "analysis/analysis_engine.h"
#include "analysis/component_store.h"
#include "analysis/frame_record.h"
#include "job/job_host.h"
#include "job/job_state.h"
#include "platform/clock.h"
#include "platform/work_pool.h"

namespace quillwave {

// The options a job reads from its window at the start.
struct ConversionSettings {
    int passCount = 4;
    bool staggered = false;
    int framesPerSecond = 60;
};

ConversionSettings readSettings(JobHost& host);

// Not part of the window: how the engine runs and where the output goes.
struct JobOptions {
    EngineKind engine = EngineKind::Fast;
    int threads = 0;        // 0 = every core
    std::string outputPath; // empty = the input path with ".dat"
};

// The convert command: reads, checks and analyses one WAVE file, writes the parameter file
// and reports the outcome in exactly one message (none when refused because one runs).
// The large arrays live here and are reused from job to job.
class ConversionJob {
public:
    ConversionJob(JobHost& host, JobState& state, const Clock& clock = systemClock());
    ~ConversionJob();

    void run();

    JobOptions options;

    // Runs every later job on this engine instead of the one options name (tests).
    void useEngine(std::unique_ptr<AnalysisEngine> engine)
    {
        engine_ = std::move(engine);
        enginePinned_ = true;
    }

    WorkPool& pool() { return pool_; }
    const ComponentStore& store() const { return *store_; }
    const OutputRecords& records() const { return *records_; }

private:
    enum class Outcome { Finished, Aborted };

    std::string convert(const std::string& path, const ConversionSettings& settings, Outcome& outcome);
    void endJob(const std::string& message);
    void closeProgressWindow();
    AnalysisEngine& engine();

    JobHost& host_;
    JobState& state_;
    const Clock& clock_;
    WorkPool pool_;
    std::unique_ptr<ComponentStore> store_;
    std::unique_ptr<OutputRecords> records_;
    std::unique_ptr<AnalysisEngine> engine_;
    EngineKind engineKind_ = EngineKind::Fast;
    int engineThreads_ = -1;
    bool enginePinned_ = false;
};

} // namespace quillwave
