#include <gtest/gtest.h>

#include "analysis/frame_geometry.h"

namespace quillwave {
namespace {

struct CountCase {
    std::int32_t rate;
    std::int32_t fps;
    std::int32_t sampleFrames;
    std::int32_t frameLength;
    std::int32_t frameCount;
};

TEST(FrameGeometry, FrameLengthAndCount)
{
    const CountCase cases[] = {
        {44100, 60, 0, 735, 1},          {44100, 60, 1, 735, 2},
        {44100, 60, 735, 735, 2},        {44100, 60, 736, 735, 3},
        {44100, 60, 44100, 735, 61},     {48000, 60, 48000, 800, 61},
        {44100, 60, 26460000, 735, 36001}, {44100, 60, 26459266, 735, 36001},
        {44100, 60, 26459265, 735, 36000}, {48000, 60, 28800000, 800, 36001},
        {48000, 60, 28799201, 800, 36001}, {44100, 15, 26460000, 2940, 9001},
        {48000, 15, 0, 3200, 1},         {44100, 20, 0, 2205, 1},
        {48000, 30, 48000, 1600, 31},
    };
    for (const CountCase& c : cases) {
        const FrameGeometry g = makeFrameGeometry(c.rate, c.fps, false, c.sampleFrames);
        EXPECT_EQ(g.frameLength, c.frameLength) << c.rate << "/" << c.fps;
        EXPECT_EQ(g.frameCount, c.frameCount) << c.rate << "/" << c.fps << " n=" << c.sampleFrames;
        EXPECT_LE(g.frameCount, kMaxFrames);
    }
}

TEST(FrameGeometry, StaggerMovesFrameStartsBySixtieths)
{
    const FrameGeometry g15 = makeFrameGeometry(48000, 15, true, 48000);
    EXPECT_EQ(frameStart(g15, 0, 0), 13984);
    EXPECT_EQ(frameStart(g15, 0, 4), 13984);
    EXPECT_EQ(frameStart(g15, 0, 3), 16384);
    EXPECT_EQ(frameStart(g15, 5, 1), 16384 + 3200 * 5 - 1600);

    const FrameGeometry g20 = makeFrameGeometry(44100, 20, true, 44100);
    const int expected20[6] = {-2, -1, 0, -2, -1, 0};
    const FrameGeometry g30 = makeFrameGeometry(44100, 30, true, 44100);
    const int expected30[6] = {-1, 0, -1, 0, -1, 0};
    for (int v = 0; v < 6; ++v) {
        EXPECT_EQ(staggerOffset(g20, v), expected20[v] * 735) << v;
        EXPECT_EQ(staggerOffset(g30, v), expected30[v] * 735) << v;
    }
    EXPECT_EQ(staggerOffset(g20, 3), -1470);

    const FrameGeometry g60 = makeFrameGeometry(44100, 60, true, 44100);
    const FrameGeometry plain = makeFrameGeometry(48000, 15, false, 48000);
    for (int v = 0; v < 6; ++v) {
        EXPECT_EQ(frameStart(g60, 7, v), 16384 + 7 * 735);
        EXPECT_EQ(frameStart(plain, 2, v), 16384 + 2 * 3200);
    }
}

} // namespace
} // namespace quillwave
