#include "app/StepWalker.h"

#include "app/ClickRate.h"
#include "platform/audio/AudioClip.h"

#include <memory>
#include <vector>

#include <gtest/gtest.h>

// The audio clock can jump: after a stalled device the engine goes on where the wall clock
// stands. The tick due first plays at once; the ticks the jump passed over come as that one, and
// the run goes on on its grid.
TEST(StepWalkerTest, AClockThatJumpsOverStepsPlaysOneOfThemAtOnceAndKeepsTheGrid)
{
    auto clip = std::make_shared<AudioClip>();
    clip->samples.assign(2 * 100, 0.5f);
    auto pattern = std::make_unique<StepWalker::Pattern>();
    pattern->metronome.assign(4, { clip.get(), StepWalker::Light::Down });
    StepWalker walker;
    walker.setPattern(std::move(pattern), 1);
    walker.setInterval(*ExactInterval::forRateText(QStringLiteral(" 120")));
    walker.setEnabled(StepWalker::Player::Metronome, true, 0);

    constexpr int kBlock = 512;
    std::vector<float> out(2 * kBlock);
    std::vector<std::int64_t> onsets;
    const auto renderFrom = [&](std::int64_t first, int blocks) {
        for (int b = 0; b < blocks; ++b, first += kBlock) {
            std::fill(out.begin(), out.end(), 0.0f);
            walker.render(out.data(), kBlock, first);
            for (int i = 0; i < kBlock; ++i) {
                if (out[2 * i] != 0.0f && (i == 0 || out[2 * i - 2] == 0.0f))
                    onsets.push_back(first + i);
            }
        }
    };
    renderFrom(0, 60);
    const std::int64_t jumpedTo = 60 * kBlock + 10 * 22050;
    renderFrom(jumpedTo, 60);

    const std::int64_t first = StepWalker::kStartSamples;
    const std::vector<std::int64_t> wanted { first, first + 22050, jumpedTo, first + 12 * 22050 };
    EXPECT_EQ(onsets, wanted);
    std::vector<std::int64_t> lit;
    while (const auto step = walker.takeLit())
        lit.push_back(step->due);
    EXPECT_EQ(lit, wanted);
}
