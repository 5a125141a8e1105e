#pragma once
#include <cstdint>

#include "analysis/component_store.h"
#include "analysis/frame_buffers.h"
#include "analysis/frame_geometry.h"
#include "analysis/oscillator_table.h"
#include "analysis/signal_buffer.h"
#include "analysis/unit_progress.h"

namespace quillwave {

// Where a component's synthesis starts and how far its angle moves per sample.
struct SynthesisAngles {
    double start;
    double step;
};
SynthesisAngles subtractionAngles(const Component& component, std::int32_t sampleRate);

// Synthesises a component as a sine over m samples and subtracts it from residual[start..].
// The angle runs by addition from the stored (rounded) phase and frequency.
void subtractComponent(std::int32_t* residual, std::int32_t start, std::int32_t frameLength,
                       std::int32_t sampleRate, const Component& component);

// Restores the residual from the pristine signal, then subtracts the stored components of
// every voice but `voice`, each at its own voice's frame start, in every frame.
void subtractOtherVoices(const FrameGeometry& geometry, const ComponentStore& store, SignalBuffer& signal,
                         int voice);

// Finds and stores the 14 components of one voice in one frame: slot 0 from the coarse
// peak, then each later slot on what is left after the previous one was subtracted, all
// around the same coarse index.
void searchVoiceFrame(const FrameGeometry& geometry, const OscillatorTable& table, FrameBuffers& buffers,
                      std::int32_t* residual, ComponentStore& store, int voice, std::int32_t frame);

// Every pass, every voice, every frame, one frame unit at a time. False when aborted.
bool runAnalysisPasses(const FrameGeometry& geometry, int passCount, const OscillatorTable& table,
                       FrameBuffers& buffers, SignalBuffer& signal, ComponentStore& store, UnitProgress& progress);

} // namespace quillwave
