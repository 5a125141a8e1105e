#include "analysis/analysis_passes.h"

#include "analysis/coarse_scan.h"
#include "analysis/fine_estimator.h"
#include "analysis/fixed_point.h"
#include "analysis/trig.h"

namespace quillwave {

SynthesisAngles subtractionAngles(const Component& component, std::int32_t sampleRate)
{
    return {component.phase16 * 6.2831853071796 / 65536,
            6.2831853071796 * (component.frequencyE4 / 10000.0) / sampleRate};
}

void subtractComponent(std::int32_t* residual, std::int32_t start, std::int32_t frameLength,
                       std::int32_t sampleRate, const Component& component)
{
    const double amplitude = component.amplitude;
    const SynthesisAngles angles = subtractionAngles(component, sampleRate);
    const double omega = angles.step;
    double angle = angles.start;
    for (std::int32_t i = 0; i < frameLength; ++i) {
        std::int32_t& sample = residual[start + i];
        sample = wrappingSubtract(sample, truncToInt32(sine(angle) * amplitude));
        angle = angle + omega;
    }
}

void subtractOtherVoices(const FrameGeometry& geometry, const ComponentStore& store, SignalBuffer& signal,
                         int voice)
{
    restoreResidual(signal.pristine, signal.residual, signal.sampleFrames);
    // Every frame before the search starts: a staggered frame overlaps two of another voice.
    for (std::int32_t g = 0; g < geometry.frameCount; ++g) {
        for (int h = 0; h < kVoiceCount * kSlotsPerVoice; ++h) {
            const int owner = h / kSlotsPerVoice;
            if (owner == voice)
                continue;
            subtractComponent(signal.residual, frameStart(geometry, g, owner), geometry.frameLength,
                              geometry.sampleRate, store.componentAt(g, owner, h % kSlotsPerVoice));
        }
    }
}

void searchVoiceFrame(const FrameGeometry& geometry, const OscillatorTable& table, FrameBuffers& buffers,
                      std::int32_t* residual, ComponentStore& store, int voice, std::int32_t frame)
{
    const std::int32_t m = geometry.frameLength;
    const std::int32_t start = frameStart(geometry, frame, voice);
    prepareFrame(buffers, residual, start, m);
    const std::int32_t coarse = coarseScan(buffers.packed.data(), pairCount(m), m, geometry.sampleRate, table);

    store.storeComponent(frame, voice, 0,
                         refineComponent(buffers.reversed.data(), m, geometry.sampleRate, coarse, kSlot0Ladder));
    for (int slot = 1; slot < kSlotsPerVoice; ++slot) {
        subtractComponent(residual, start, m, geometry.sampleRate, store.componentAt(frame, voice, slot - 1));
        refreshReversed(buffers, residual, start, m);
        store.storeComponent(frame, voice, slot,
                             refineComponent(buffers.reversed.data(), m, geometry.sampleRate, coarse, kChainLadder));
    }
    // The last slot stays in the residual: nothing later in this voice's search reads it.
}

bool runAnalysisPasses(const FrameGeometry& geometry, int passCount, const OscillatorTable& table,
                       FrameBuffers& buffers, SignalBuffer& signal, ComponentStore& store, UnitProgress& progress)
{
    UnitPosition position;
    position.phase = Phase::Analysis;
    position.passCount = passCount;
    position.frameCount = geometry.frameCount;
    for (int p = 0; p < passCount; ++p) {
        position.pass = p;
        for (int v = 0; v < kVoiceCount; ++v) {
            position.voice = v;
            subtractOtherVoices(geometry, store, signal, v);
            for (std::int32_t g = 0; g < geometry.frameCount; ++g) {
                progress.startUnit();
                searchVoiceFrame(geometry, table, buffers, signal.residual, store, v, g);
                position.frame = g;
                if (!progress.finishUnit(position))
                    return false;
            }
        }
    }
    return true;
}

} // namespace quillwave
