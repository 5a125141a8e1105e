#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "job/job_host.h"
#include "platform/clock.h"

namespace quillwave::test {

// Little-endian byte writers for hand-built files.
void putU16(std::vector<std::uint8_t>& out, std::uint16_t v);
void putU32(std::vector<std::uint8_t>& out, std::uint32_t v);
void putTag(std::vector<std::uint8_t>& out, const char tag[4]);

struct WaveSpec {
    std::uint16_t formatTag = 1;
    std::uint16_t channels = 1;
    std::uint32_t sampleRate = 44100;
    std::uint16_t bits = 16;
    std::uint32_t fmtSize = 16;
    std::vector<std::int16_t> samples; // interleaved
    std::int64_t declaredDataSize = -1; // -1: the true size
};

// A canonical RIFF/WAVE file: RIFF header, fmt chunk, data chunk.
std::vector<std::uint8_t> makeWave(const WaveSpec& waveSpec);

// Mono 16-bit samples of a sum of sines (amplitudes in 16-bit units).
std::vector<std::int16_t> sineSamples(int count, std::uint32_t sampleRate,
                                      const std::vector<std::pair<double, double>>& frequencyAmplitude);

// A fresh empty folder below the system's temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> readFile(const std::filesystem::path& path);

// A scripted window: what the job reads and everything it does, recorded.
class FakeHost : public JobHost {
public:
    explicit FakeHost(JobState& state) : state(state) {}

    JobState& state;
    std::string path;
    std::map<int, bool> checks{{control::kFrames60, true}, {control::kStaggerOff, true}, {control::kFourPasses, true}};
    bool progressCreatable = true;

    struct Message {
        std::string text;
        MessageIcon icon;
    };
    std::vector<Message> messages;
    int created = 0;
    int refreshed = 0;
    int destroyed = 0;
    int pumps = 0;
    std::vector<std::string> progressTexts;
    std::function<void(FakeHost&)> onPump;    // runs inside every pump
    std::function<void(FakeHost&)> onMessage; // runs when a message box is shown

    std::string pathText() override { return path; }
    bool isChecked(int id) override
    {
        auto it = checks.find(id);
        return it != checks.end() && it->second;
    }
    void showMessage(const std::string& text, MessageIcon icon) override;
    bool createProgressWindow() override;
    void refreshProgressWindow() override;
    void destroyProgressWindow() override;
    void pumpMessages() override;

    void setSinglePass(bool single)
    {
        checks[control::kSinglePass] = single;
        checks[control::kFourPasses] = !single;
    }
};

// A clock that advances by fixed steps at every reading.
class FakeClock : public Clock {
public:
    std::int64_t frequency = 1'000'000;
    mutable std::int64_t now = 0;        // counter value
    std::int64_t counterStep = 0;         // added after each counter() read
    mutable std::int32_t tickNow = 0;
    std::int32_t tickStep = 0;            // added after each ticks() read

    std::int64_t counterFrequency() const override { return frequency; }
    std::int64_t counter() const override
    {
        const std::int64_t v = now;
        now += counterStep;
        return v;
    }
    std::int32_t ticks() const override
    {
        const std::int32_t v = tickNow;
        tickNow += tickStep;
        return v;
    }
};

} // namespace quillwave::test
