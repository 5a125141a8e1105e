#include "analysis/frame_geometry.h"

namespace quillwave {

std::int32_t frameCountFor(std::int32_t sampleFrames, std::int32_t frameLength)
{
    // In 64 bits: n + 2m - 1 stays far below 2^31 for accepted inputs, but costs nothing.
    return static_cast<std::int32_t>((static_cast<std::int64_t>(sampleFrames) + 2 * frameLength - 1) /
                                     frameLength);
}

FrameGeometry makeFrameGeometry(std::int32_t sampleRate, std::int32_t framesPerSecond,
                                bool staggered, std::int32_t sampleFrames)
{
    FrameGeometry g;
    g.sampleRate = sampleRate;
    g.framesPerSecond = framesPerSecond;
    g.staggered = staggered;
    g.samplesPerSixtieth = sampleRate / 60;
    g.sixtiethsPerFrame = 60 / framesPerSecond;
    g.frameLength = g.samplesPerSixtieth * g.sixtiethsPerFrame;
    g.frameCount = frameCountFor(sampleFrames, g.frameLength);
    return g;
}

std::int32_t staggerOffset(const FrameGeometry& geometry, int voice)
{
    if (!geometry.staggered)
        return 0;
    const int k = geometry.sixtiethsPerFrame;
    return geometry.samplesPerSixtieth * ((voice % k) - (k - 1));
}

std::int32_t frameStart(const FrameGeometry& geometry, std::int32_t frame, int voice)
{
    return kPadSamples + frame * geometry.frameLength + staggerOffset(geometry, voice);
}

} // namespace quillwave
