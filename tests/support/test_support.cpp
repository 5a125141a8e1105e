#include "support/test_support.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <random>
#include <unistd.h>

namespace quillwave::test {

void putU16(std::vector<std::uint8_t>& out, std::uint16_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void putU32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void putTag(std::vector<std::uint8_t>& out, const char tag[4])
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(tag[i]));
}

std::vector<std::uint8_t> makeWave(const WaveSpec& waveSpec)
{
    std::vector<std::uint8_t> fmt;
    putU16(fmt, waveSpec.formatTag);
    putU16(fmt, waveSpec.channels);
    putU32(fmt, waveSpec.sampleRate);
    putU32(fmt, waveSpec.sampleRate * waveSpec.channels * waveSpec.bits / 8);
    putU16(fmt, static_cast<std::uint16_t>(waveSpec.channels * waveSpec.bits / 8));
    putU16(fmt, waveSpec.bits);
    fmt.resize(waveSpec.fmtSize, 0);

    const std::uint32_t dataSize = static_cast<std::uint32_t>(waveSpec.samples.size() * 2);
    std::vector<std::uint8_t> out;
    putTag(out, "RIFF");
    putU32(out, static_cast<std::uint32_t>(4 + 8 + fmt.size() + 8 + dataSize));
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    putU32(out, waveSpec.fmtSize);
    out.insert(out.end(), fmt.begin(), fmt.end());
    putTag(out, "data");
    putU32(out, waveSpec.declaredDataSize >= 0 ? static_cast<std::uint32_t>(waveSpec.declaredDataSize) : dataSize);
    for (std::int16_t s : waveSpec.samples)
        putU16(out, static_cast<std::uint16_t>(s));
    return out;
}

std::vector<std::int16_t> sineSamples(int count, std::uint32_t sampleRate,
                                      const std::vector<std::pair<double, double>>& frequencyAmplitude)
{
    std::vector<std::int16_t> out(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        double v = 0;
        for (const auto& [f, a] : frequencyAmplitude)
            v += a * std::sin(2 * M_PI * f * i / sampleRate);
        out[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(std::lround(std::clamp(v, -32768.0, 32767.0)));
    }
    return out;
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quillwave-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void FakeHost::showMessage(const std::string& text, MessageIcon icon)
{
    messages.push_back({text, icon});
    if (onMessage)
        onMessage(*this);
}

bool FakeHost::createProgressWindow()
{
    if (!progressCreatable)
        return false;
    ++created;
    return true;
}

void FakeHost::refreshProgressWindow()
{
    ++refreshed;
    progressTexts.push_back(std::to_string(static_cast<int>(state.remainingSeconds)) + (state.firstPhase ? "+a" : ""));
}

void FakeHost::destroyProgressWindow()
{
    ++destroyed;
    // As the real window does when it goes away.
    state.abortRequested = true;
    state.progressWindow = false;
}

void FakeHost::pumpMessages()
{
    ++pumps;
    if (onPump)
        onPump(*this);
}

} // namespace quillwave::test
