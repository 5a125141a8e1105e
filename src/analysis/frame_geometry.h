#pragma once
#include <cstdint>

namespace quillwave {

inline constexpr int kVoiceCount = 6;
inline constexpr int kSlotsPerVoice = 14;
inline constexpr int kPadSamples = 16384;
inline constexpr int kMaxSeconds = 600;
inline constexpr int kMaxFrameLength = 3200;
// 600 s at 60 frames per second gives 36000 frame lengths; the frame count adds one
// frame past the signal, so the longest accepted inputs have 36001 frames.
inline constexpr int kMaxFrames = 36001;

// How one job's padded signal is cut into frames.
struct FrameGeometry {
    std::int32_t sampleRate = 44100;
    std::int32_t framesPerSecond = 60;
    bool staggered = false;
    std::int32_t samplesPerSixtieth = 735;
    std::int32_t sixtiethsPerFrame = 1;
    std::int32_t frameLength = 735; // m: hop, frame span, window length, amplitude divisor
    std::int32_t frameCount = 1;    // F
};

// Fixes the frame length; the frame count follows from sampleFrames.
FrameGeometry makeFrameGeometry(std::int32_t sampleRate, std::int32_t framesPerSecond,
                                bool staggered, std::int32_t sampleFrames);

// (n + 2m - 1) / m: every sample covered, plus one frame past the end.
std::int32_t frameCountFor(std::int32_t sampleFrames, std::int32_t frameLength);

// Whole sixtieths (never positive) by which a staggered voice's frames start early.
std::int32_t staggerOffset(const FrameGeometry& geometry, int voice);

// Index in the padded signal of the first sample of this voice's frame.
std::int32_t frameStart(const FrameGeometry& geometry, std::int32_t frame, int voice);

} // namespace quillwave
