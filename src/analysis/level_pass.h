#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "analysis/analysis_passes.h"
#include "analysis/component_store.h"
#include "analysis/frame_geometry.h"
#include "analysis/frame_record.h"
#include "analysis/unit_progress.h"

namespace quillwave {

// A sixth of a second on a grid of 132300 samples per second, whatever the input's rate.
inline constexpr int kLevelSamples = 22050;

using VoiceChain = std::array<Component, kSlotsPerVoice>;

// Where the level pass synthesises a voice; reused for every voice and frame.
using LevelBuffer = std::vector<double>;
inline LevelBuffer makeLevelBuffer() { return LevelBuffer(kLevelSamples); }

// A component's synthesis on the level pass's own grid, whatever the input's sample rate.
SynthesisAngles levelAngles(const Component& component);
// The level that the sum of absolute values over kLevelSamples samples stands for.
std::int32_t levelFromSum(double sum);

// The mean absolute value of the chain's 14 sinusoids synthesised together, each from its
// own start phase: the level the parameter file carries.
std::int32_t measureVoiceLevel(const VoiceChain& chain, LevelBuffer& buffer);
std::int32_t measureVoiceLevel(const ComponentStore& store, std::int32_t frame, int voice, LevelBuffer& buffer);

// Slot 0's frequency in 0.1 Hz, a half going up.
inline std::int32_t voiceFrequencyE1(std::int32_t frequencyE4) { return (frequencyE4 + 500) / 1000; }

// Fills every voice pair of records 0 .. frameCount - 1, all frames of a voice before the
// next voice, one frame unit each. False when aborted.
bool runLevelPass(const FrameGeometry& geometry, const ComponentStore& store, OutputRecords& records,
                  LevelBuffer& buffer, UnitProgress& progress);

} // namespace quillwave
