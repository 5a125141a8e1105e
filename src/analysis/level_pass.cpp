#include "analysis/level_pass.h"

#include <algorithm>

#include "analysis/fixed_point.h"
#include "analysis/trig.h"

namespace quillwave {

std::int32_t measureVoiceLevel(const VoiceChain& chain, LevelBuffer& buffer)
{
    std::fill(buffer.begin(), buffer.end(), 0.0);
    // Every slot is synthesised, a silent one too: the sum of zeros it adds is exact.
    for (const Component& c : chain) {
        const double amplitude = c.amplitude;
        const SynthesisAngles angles = levelAngles(c);
        const double step = angles.step;
        double angle = angles.start;
        for (int n = 0; n < kLevelSamples; ++n) {
            buffer[static_cast<std::size_t>(n)] = sine(angle) * amplitude + buffer[static_cast<std::size_t>(n)];
            angle = angle + step;
        }
    }
    double sum = 0.0;
    for (const double x : buffer) {
        if (x < 0)
            sum = sum - x;
        else
            sum = sum + x;
    }
    return levelFromSum(sum);
}

SynthesisAngles levelAngles(const Component& component)
{
    const double f = component.frequencyE4 / 10000.0;
    return {component.phase16 * 6.2831853071796 / 65536, 6.2831853071796 * f / 44100 / 3};
}

std::int32_t levelFromSum(double sum) { return truncToInt32(sum / 735 / 30); }

std::int32_t measureVoiceLevel(const ComponentStore& store, std::int32_t frame, int voice, LevelBuffer& buffer)
{
    VoiceChain chain;
    for (int s = 0; s < kSlotsPerVoice; ++s)
        chain[static_cast<std::size_t>(s)] = store.componentAt(frame, voice, s);
    return measureVoiceLevel(chain, buffer);
}

bool runLevelPass(const FrameGeometry& geometry, const ComponentStore& store, OutputRecords& records,
                  LevelBuffer& buffer, UnitProgress& progress)
{
    UnitPosition position;
    position.phase = Phase::Levels;
    position.frameCount = geometry.frameCount;
    for (int v = 0; v < kVoiceCount; ++v) {
        position.voice = v;
        for (std::int32_t f = 0; f < geometry.frameCount; ++f) {
            progress.startUnit();
            const std::int32_t level = measureVoiceLevel(store, f, v, buffer);
            records.setVoice(f, v, level, voiceFrequencyE1(store.componentAt(f, v, 0).frequencyE4));
            position.frame = f;
            if (!progress.finishUnit(position))
                return false;
        }
    }
    return true;
}

} // namespace quillwave
