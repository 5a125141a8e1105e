#include <gtest/gtest.h>

#include <memory>

#include "analysis/level_pass.h"

namespace quillwave {
namespace {

VoiceChain chainOf(std::initializer_list<Component> components)
{
    VoiceChain chain{};
    std::size_t s = 0;
    for (const Component& c : components)
        chain[s++] = c;
    return chain;
}

TEST(VoiceLevel, IsTheMeanAbsoluteValueOfTheChain)
{
    LevelBuffer buffer = makeLevelBuffer();
    struct Case {
        VoiceChain chain;
        std::int32_t level;
    };
    const Case cases[] = {
        {chainOf({{1000000, 10000000, 0}}), 636440},
        {chainOf({{1000000, 6000000, 0}}), 636617}, // close to 2 x 1000000 / pi
        {chainOf({{1000000, 10000000, 0}, {1000000, 10000000, 32768}}), 0}, // half a turn apart
        {chainOf({{0, 10000000, 0}, {0, 4400000, 100}}), 0},
        // A silent slot 0 adds nothing; the level comes from the others.
        {chainOf({{0, 0, 0}, {1000000, 6000000, 0}}), 636617},
    };
    for (const Case& c : cases)
        EXPECT_EQ(measureVoiceLevel(c.chain, buffer), c.level);
    // The buffer starts from zero for every measurement.
    EXPECT_EQ(measureVoiceLevel(cases[0].chain, buffer), 636440);
}

TEST(VoiceLevel, FrequencyWordIsSlot0RoundedToATenth)
{
    EXPECT_EQ(voiceFrequencyE1(4400499), 4400);
    EXPECT_EQ(voiceFrequencyE1(4400500), 4401);
    EXPECT_EQ(voiceFrequencyE1(550000), 550);
    EXPECT_EQ(voiceFrequencyE1(80000000), 80000);
}

TEST(LevelPass, FillsEveryVoicePairFromTheStore)
{
    auto store = std::make_unique<ComponentStore>();
    auto records = std::make_unique<OutputRecords>();
    store->storeComponent(1, 3, 0, {1000000, 4400000, 0});
    store->storeComponent(1, 3, 5, {1000000, 4400000, 32768}); // cancels slot 0
    store->storeComponent(2, 5, 0, {1000000, 10000000, 0});
    store->storeComponent(2, 5, 13, {0, 77770000, 0}); // later slots never give the frequency

    const FrameGeometry geometry = makeFrameGeometry(48000, 60, false, 1600);
    ASSERT_EQ(geometry.frameCount, 3);
    LevelBuffer buffer = makeLevelBuffer();
    NoProgress progress;
    ASSERT_TRUE(runLevelPass(geometry, *store, *records, buffer, progress));

    for (std::int32_t f = 0; f < 3; ++f)
        for (int v = 0; v < kVoiceCount; ++v) {
            const std::int32_t* w = (*records)[f].words;
            std::int32_t level = 0;
            std::int32_t frequency = 0; // an empty slot 0: (0 + 500) / 1000
            if (f == 1 && v == 3)
                frequency = 4400;
            if (f == 2 && v == 5) {
                level = 636440;
                frequency = 10000;
            }
            EXPECT_EQ(w[2 * v], level) << f << "/" << v;
            EXPECT_EQ(w[2 * v + 1], frequency) << f << "/" << v;
        }
    for (int word = 12; word < 16; ++word)
        EXPECT_EQ((*records)[2].words[word], 0);
}

} // namespace
} // namespace quillwave
