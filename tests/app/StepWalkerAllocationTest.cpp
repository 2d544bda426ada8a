#include "AllocationCounter.h"
#include "app/ClickRate.h"
#include "app/StepWalker.h"
#include "platform/audio/AudioClip.h"

#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr int kBlock = 512;

} // namespace

// The step players' audio side runs in the callback: whatever the engine form hands over,
// walking the pattern, starting and cutting clips and reporting lit steps allocate nothing.
TEST(StepWalkerAllocationTest, WalkingAllocatesNothingWhateverTheEngineFormSends)
{
    auto clip = std::make_shared<AudioClip>();
    clip->samples.assign(2 * 200, 0.25f);
    const auto makePattern = [&clip](int letters) {
        auto pattern = std::make_unique<StepWalker::Pattern>();
        for (int i = 0; i < letters; ++i) {
            const auto light = i % 4 == 0 ? StepWalker::Light::Accent : StepWalker::Light::Down;
            pattern->pattern.push_back({ clip.get(), StepWalker::Light::None });
            pattern->metronome.push_back({ i % 3 == 2 ? nullptr : clip.get(), light });
        }
        return pattern;
    };

    StepWalker walker;
    std::vector<float> out(2 * kBlock);
    std::int64_t sample = 0;
    using Player = StepWalker::Player;

    struct Step
    {
        const char* what;
        std::function<void()> act;
    };

    const Step steps[] = {
        { "the metronome player at the fastest rate",
            [&] {
                walker.setPattern(makePattern(4), 1);
                walker.setInterval(*ExactInterval::forRateText(QStringLiteral("8000")));
                walker.setEnabled(Player::Metronome, true, sample);
            } },
        { "the pattern player too, at a new rate",
            [&] {
                walker.setEnabled(Player::Pattern, true, sample);
                walker.setInterval(*ExactInterval::forRateText(QStringLiteral("133.3")));
            } },
        { "a new pattern while both run, a purge, new clips",
            [&] {
                walker.setPattern(makePattern(7), 3);
                walker.purge();
                walker.setSteps(makePattern(7));
            } },
        { "a restart of the metronome player",
            [&] {
                walker.setEnabled(Player::Metronome, false, sample);
                walker.setEnabled(Player::Metronome, true, sample);
            } },
    };
    int lit = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        AllocationCounter::Count count;
        for (int block = 0; block < 200; ++block) {
            AllocationCounter::arm();
            walker.render(out.data(), kBlock, sample);
            count += AllocationCounter::disarm();
            sample += kBlock;
        }
        EXPECT_EQ(count.total, 0) << count.describe();
        while (walker.takeLit())
            ++lit;
    }
    // The blocks did walk: the 200 blocks at 8000 steps a minute alone lit over 300 beats.
    EXPECT_GT(lit, 300);
}
