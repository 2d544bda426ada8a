#include "ClickGrid.h"

#include <gtest/gtest.h>

namespace {

// Onsets on the grid of `rate` from `first`, step by step, each moved by `moved[k]`.
std::vector<std::int64_t> placed(
    std::int64_t rate, std::int64_t first, const std::vector<std::int64_t>& moved)
{
    std::vector<std::int64_t> onsets;
    const StepGrid grid = StepGrid::forRate(rate);
    for (std::size_t k = 0; k < moved.size(); ++k)
        onsets.push_back(first + grid.offsetOfStep(std::int64_t(k)) + moved[k]);
    return onsets;
}

TEST(ClickGridTest, JumpsAreToldApartFromLoneClicksOffTheGrid)
{
    struct Case
    {
        const char* what;
        std::int64_t rate;
        std::vector<std::int64_t> moved;
        std::vector<std::int64_t> jumps; // sizes, in order
        std::vector<std::size_t> at; // the clicks they start at
        std::int64_t largestOffGrid;
    };

    const Case cases[] = {
        { "on the grid", 400, { 0, 0, 0, 0, 0 }, {}, {}, 0 },
        // 120 in sixteenths: 5512.5 samples a step, so the grid alternates whole samples.
        { "a fractional step", 480, { 0, 0, 0, 0, 0, 0, 0 }, {}, {}, 0 },
        { "one jump", 400, { 0, 0, 37, 37, 37 }, { 37 }, { 2 }, 0 },
        { "jumps add up", 400, { 0, 5, 5, 228, 228, 228 }, { 5, 223 }, { 1, 3 }, 0 },
        { "a jump on consecutive clicks", 400, { 0, 10, 30, 30 }, { 10, 20 }, { 1, 2 }, 0 },
        { "a lone click late", 400, { 0, 0, 9, 0, 0 }, {}, {}, 9 },
        { "a lone click early", 480, { 0, 0, 0, -4, 0 }, {}, {}, 4 },
        { "off the grid after a jump", 400, { 0, 12, 12, 15, 12 }, { 12 }, { 1 }, 3 },
        { "the last click moved", 400, { 0, 0, 0, 6 }, { 6 }, { 3 }, 0 },
        { "a server that dropped sound", 400, { 0, 0, -50, -50 }, { -50 }, { 2 }, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const GridFit fit = fitToGrid(placed(c.rate, 1000, c.moved), StepGrid::forRate(c.rate));
        std::vector<std::int64_t> sizes;
        std::vector<std::size_t> at;
        for (const GridJump& jump : fit.jumps) {
            sizes.push_back(jump.frames);
            at.push_back(jump.click);
        }
        EXPECT_EQ(sizes, c.jumps);
        EXPECT_EQ(at, c.at);
        EXPECT_EQ(fit.largestOffGrid, c.largestOffGrid);
        EXPECT_EQ(fit.missingSteps, 0);
    }
}

TEST(ClickGridTest, ALongRunKeepsItsExactGridAndCountsStepsNotHeard)
{
    // 10 minutes at 351 in sixteenths (1404 a minute, 1884.6 samples a step): a grid of rounded
    // steps would drift by hundreds of samples.
    std::vector<std::int64_t> moved(14040, 0);
    std::vector<std::int64_t> onsets = placed(1404, 7, moved);
    onsets.erase(onsets.begin() + 5000, onsets.begin() + 5003);
    GridFit fit = fitToGrid(onsets, StepGrid::forRate(1404));
    EXPECT_TRUE(fit.jumps.empty());
    EXPECT_EQ(fit.largestOffGrid, 0);
    EXPECT_EQ(fit.missingSteps, 3);
    EXPECT_EQ(fit.extraClicks, 0);

    // A click heard twice, the second time 100 samples on: one extra on its step, no jump.
    onsets.insert(onsets.begin() + 101, onsets[100] + 100);
    fit = fitToGrid(onsets, StepGrid::forRate(1404));
    EXPECT_TRUE(fit.jumps.empty());
    EXPECT_EQ(fit.extraClicks, 1);
    EXPECT_EQ(fit.missingSteps, 3);
    EXPECT_EQ(fit.largestOffGrid, 100);

    // A server gone for a while: the clicks after it are on a grid moved by more than a step,
    // told modulo the step.
    onsets = placed(400, 0, { 0, 0, 0 });
    for (std::int64_t k = 0; k < 3; ++k)
        onsets.push_back(100'000 + 6615 * k);
    fit = fitToGrid(onsets, StepGrid::forRate(400));
    ASSERT_EQ(fit.jumps.size(), 1u);
    EXPECT_EQ(fit.jumps[0].click, 3u);
    EXPECT_EQ(fit.jumps[0].frames, 100'000 - 15 * 6615);
    EXPECT_EQ(fit.missingSteps, 12);
    EXPECT_EQ(fit.lateness(), 775);
}

TEST(ClickGridTest, JumpsThatOnlyGoLaterAreReadAsSilenceAddedNeverAsAClickLost)
{
    // A gap of 3381 samples at 400 (6615 a step) looks like a move of -3234 with a step not
    // heard; a server only adds silence, so it is read as the 3381 it is. At 480 the steps
    // alternate 5512 and 5513 samples: the clicks after the jump keep their own steps.
    struct Case
    {
        std::int64_t rate;
        std::int64_t gap;
        JumpsGo go;
        std::int64_t jump;
        std::int64_t missing;
    };

    const Case cases[] = {
        { 400, 3381, JumpsGo::Either, -3234, 1 },
        { 400, 3381, JumpsGo::Later, 3381, 0 },
        { 400, 3300, JumpsGo::Later, 3300, 0 },
        { 480, 5000, JumpsGo::Later, 5000, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gap);
        std::vector<std::int64_t> moved(9, 0);
        for (std::size_t k = 4; k < moved.size(); ++k)
            moved[k] = c.gap;
        const GridFit fit =
            fitToGrid(placed(c.rate, 500, moved), StepGrid::forRate(c.rate), 0, c.go);
        ASSERT_EQ(fit.jumps.size(), 1u);
        EXPECT_EQ(fit.jumps[0].click, 4u);
        EXPECT_EQ(fit.jumps[0].frames, c.jump);
        EXPECT_EQ(fit.missingSteps, c.missing);
        EXPECT_EQ(fit.largestOffGrid, 0);
    }
    // A lone early click stays a click placed wrong.
    const GridFit lone =
        fitToGrid(placed(400, 500, { 0, 0, -7, 0, 0 }), StepGrid::forRate(400), 0, JumpsGo::Later);
    EXPECT_TRUE(lone.jumps.empty());
    EXPECT_EQ(lone.largestOffGrid, 7);
}

TEST(ClickGridTest, OnsetsAreTheFirstLoudFrameAfterAQuietGap)
{
    // Interleaved stereo: only the left channel counts, either sign.
    std::vector<std::int16_t> stereo(2 * 2000, 0);
    auto set = [&](std::size_t frame, std::int16_t left, std::int16_t right) {
        stereo[2 * frame] = left;
        stereo[2 * frame + 1] = right;
    };
    set(10, 600, 0);
    set(11, -20, 0); // a quiet frame inside the click
    set(12, -900, 0);
    set(300, 0, 30000); // loud on the right only
    set(400, 499, 0); // under the threshold
    set(500, -500, 0);
    set(700, 500, 0); // inside the gap after the click at 500
    set(951, 500, 0); // 251 frames after the last loud frame
    EXPECT_EQ(findClickOnsets(stereo, std::int16_t(500), 250),
        (std::vector<std::int64_t> { 10, 500, 951 }));

    const std::vector<float> floats { 0.0f, 0.0f, 0.06f, 0.0f, 0.0f, 0.0f };
    EXPECT_EQ(findClickOnsets(floats, 0.05f, 250), (std::vector<std::int64_t> { 1 }));
}

TEST(ClickGridTest, AResampledClickStartsWhereItReachesHalfItsPeakNotWhereItsRingingDoes)
{
    // As PipeWire's resampling returned a loud click (frame 5 on) and a quiet one (frame 400 on):
    // the loud one's ringing ahead of it crosses the threshold first.
    const std::int16_t loud[] = { -180, 120, 25, -245, 500, -718, 798, -579, -444, 13758, 20003,
        16886, 18506 };
    const std::int16_t quiet[] = { 40, -60, 620, 1100, 980, 1010 };
    std::vector<std::int16_t> stereo(2 * 1000, 0);
    for (std::size_t i = 0; i < std::size(loud); ++i)
        stereo[2 * i] = loud[i];
    for (std::size_t i = 0; i < std::size(quiet); ++i)
        stereo[2 * (398 + i)] = quiet[i];
    EXPECT_EQ(
        findClickOnsets(stereo, std::int16_t(500), 250), (std::vector<std::int64_t> { 4, 400 }));
    EXPECT_EQ(findResampledClickOnsets(stereo, std::int16_t(500), 250),
        (std::vector<std::int64_t> { 9, 400 }));
    // A click that was never resampled starts at full level: the same frame either way.
    std::vector<std::int16_t> sharp(2 * 600, 0);
    for (std::size_t n = 300; n < 320; ++n)
        sharp[2 * n] = 1000;
    EXPECT_EQ(findResampledClickOnsets(sharp, std::int16_t(500), 250),
        (std::vector<std::int64_t> { 300 }));
}

} // namespace
