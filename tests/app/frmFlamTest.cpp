#include "StepEngineRig.h"
#include "app/ClickRate.h"
#include "app/StepTimer.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t kBlock = OfflineAudioDevice::kDefaultBlockFrames;
constexpr int kUp = 106;
constexpr int kDown = 118;
constexpr int kAccent = 101;
constexpr int kFirst = 103;
constexpr int kPause = 116;

// One step as heard and seen: the clip that starts (0: none) and the lights after it.
struct Expect
{
    int clip;
    const char* lights;
};

// Due sample of step k of a run that started at `first`, from the exact rational interval.
std::int64_t dueOf(std::int64_t first, const QString& rate, std::int64_t k)
{
    return first + ExactInterval::forRateText(rate)->offsetOfStep(k);
}

// Walks the steps one by one: each light change must come within a block after its click is
// due (never before it, but for the engine's one-millisecond margin), and the lights must show
// the step's state right after it. Then every clip must have started on its step's sample.
void expectSteps(StepEngineRig& rig,
    std::int64_t first,
    const QString& rate,
    const std::vector<Expect>& steps,
    std::int64_t latency = 0)
{
    std::vector<StepEngineRig::Start> wanted;
    for (std::size_t k = 0; k < steps.size(); ++k) {
        SCOPED_TRACE(testing::Message() << "step " << k);
        const std::int64_t due = dueOf(first, rate, static_cast<std::int64_t>(k));
        const std::size_t changesBefore = rig.lights->changedAt().size();
        rig.timeline->advanceTo(due + latency + kBlock);
        EXPECT_EQ(rig.lights->state(), QString::fromLatin1(steps[k].lights));
        for (std::size_t c = changesBefore; c < rig.lights->changedAt().size(); ++c) {
            EXPECT_GE(rig.lights->changedAt()[c], due - 44);
            EXPECT_LE(rig.lights->changedAt()[c], due + kBlock);
        }
        if (steps[k].clip != 0)
            wanted.push_back({ steps[k].clip, due });
    }
    EXPECT_EQ(rig.takeStarts(), wanted);
}

// Starts the metronome player as the main window does: rate, pattern, then Timer2. Returns the
// sample at which the first step is due.
std::int64_t startMetronome(StepEngineRig& rig, const QString& rate, const QString& pattern)
{
    rig.flam->setLabel3(rate);
    rig.flam->SvirajNormal(pattern);
    const std::int64_t first = rig.engine().now() + StepTimer::kLeadSamples;
    rig.flam->Timer2.setEnabled(true);
    return first;
}

std::int64_t startPatternPlayer(
    StepEngineRig& rig, const QString& rate, const QString& pattern, const QString& start)
{
    rig.flam->setLabel3(rate);
    rig.flam->setTxtRit(pattern);
    rig.flam->setTxtBB(start);
    const std::int64_t first = rig.engine().now() + StepTimer::kLeadSamples;
    rig.flam->Flamenko(pattern);
    return first;
}

} // namespace

TEST(frmFlamTest, MetronomeUDDDAccentsTheBarAndAlternatesTheBeatLights)
{
    StepEngineRig rig;
    const auto first = startMetronome(rig, QStringLiteral(" 120"), QStringLiteral("UDDD"));
    expectSteps(rig, first, QStringLiteral(" 120"),
        { { kUp, "A--" }, { kDown, "-z-" }, { kDown, "--4" }, { kDown, "-z-" }, { kUp, "A--" },
            { kDown, "-z-" }, { kDown, "--4" }, { kDown, "-z-" }, { kUp, "A--" } });
}

TEST(frmFlamTest, MetronomeADDUDDLightsTheAccentOnStepsOneAndFour)
{
    StepEngineRig rig;
    const auto first = startMetronome(rig, QStringLiteral("252"), QStringLiteral("ADDUDD"));
    expectSteps(rig, first, QStringLiteral("252"),
        { { kAccent, "A--" }, { kDown, "-z-" }, { kDown, "--4" }, { kUp, "A--" }, { kDown, "-z-" },
            { kDown, "--4" }, { kAccent, "A--" } });
}

TEST(frmFlamTest, LettersSoundByPlayerAndOnlyInUpperCase)
{
    struct Case
    {
        const char* pattern;
        bool patternPlayer;
        std::vector<Expect> steps;
    };

    const std::vector<Case> cases {
        { "FUDAP", false,
            { { 0, "A--" }, { kUp, "A--" }, { kDown, "-z-" }, { kAccent, "A--" }, { 0, "A--" } } },
        { "FUDAP", true,
            { { kFirst, "A--" }, { kUp, "A--" }, { kDown, "A--" }, { kAccent, "A--" },
                { kPause, "A--" }, { kFirst, "A--" } } },
        { "fudap", false,
            { { 0, "A--" }, { 0, "A--" }, { 0, "A--" }, { 0, "A--" }, { 0, "A--" } } },
        { "fudap", true, { { 0, "A--" }, { 0, "A--" }, { 0, "A--" }, { 0, "A--" }, { 0, "A--" } } },
        { "FuDaP", true,
            { { kFirst, "A--" }, { 0, "A--" }, { kDown, "A--" }, { 0, "A--" },
                { kPause, "A--" } } },
        { "uDxA", false, { { 0, "A--" }, { kDown, "-z-" }, { 0, "-z-" }, { kAccent, "A--" } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(
            testing::Message() << c.pattern << (c.patternPlayer ? " pattern" : " metronome"));
        StepEngineRig rig;
        const QString pattern = QString::fromLatin1(c.pattern);
        const auto first = c.patternPlayer
            ? startPatternPlayer(rig, QStringLiteral(" 120"), pattern, QStringLiteral("1"))
            : startMetronome(rig, QStringLiteral(" 120"), pattern);
        expectSteps(rig, first, QStringLiteral(" 120"), c.steps);
    }
}

TEST(frmFlamTest, PatternPlayerStartsAtTxtBBAndWrapsToTheFirstLetter)
{
    StepEngineRig rig;
    const auto first = startPatternPlayer(
        rig, QStringLiteral("176.4"), QStringLiteral("FUDAP"), QStringLiteral("3"));
    expectSteps(rig, first, QStringLiteral("176.4"),
        { { kDown, "A--" }, { kAccent, "A--" }, { kPause, "A--" }, { kFirst, "A--" },
            { kUp, "A--" }, { kDown, "A--" }, { kAccent, "A--" } });
}

TEST(frmFlamTest, TxtBBIsClampedOnceToThePattern)
{
    struct Case
    {
        const char* pattern;
        const char* start;
        const char* clamped;
    };

    const Case cases[] = {
        { "FUDAP", "0", "1" },
        { "FUDAP", "9", "5" },
        { "FUDAP", "3", "3" },
        { "FUDAP", "-2", "1" },
        { "FUDAP", "abc", "1" },
        { "FUDAP", "2.5", "2.5" },
        { "FUDAP", " 5", " 5" },
        { "FUDAP", "6", "5" },
        { "", "0", "1" }, // the bounds contradict each other: one write, no endless change
        { "", "7", "1" },
        { "UD", "", "1" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.pattern << "\" \"" << c.start << '"');
        StepEngineRig rig;
        rig.flam->setTxtRit(QString::fromLatin1(c.pattern));
        rig.flam->setTxtBB(QStringLiteral("x")); // so that every start below is a change
        rig.flam->setTxtBB(QString::fromLatin1(c.start));
        EXPECT_EQ(rig.flam->txtBB(), QString::fromLatin1(c.clamped));
    }
}

TEST(frmFlamTest, EmptyPatternStepsSilentlyAndKeepsTheGridForTheNextPattern)
{
    StepEngineRig rig;
    const QString rate = QStringLiteral(" 120");
    const auto first = startMetronome(rig, rate, QString());
    expectSteps(rig, first, rate, std::vector<Expect>(6, { 0, "A--" }));
    EXPECT_TRUE(rig.lights->changedAt().empty());

    // Handed a pattern while running, the player goes on on the same grid from its first letter.
    rig.flam->SvirajNormal(QStringLiteral("UD"));
    rig.timeline->advanceTo(dueOf(first, rate, 8) + kBlock);
    const std::vector<StepEngineRig::Start> wanted { { kUp, dueOf(first, rate, 6) },
        { kDown, dueOf(first, rate, 7) }, { kUp, dueOf(first, rate, 8) } };
    EXPECT_EQ(rig.takeStarts(), wanted);
}

TEST(frmFlamTest, StartPastTheEndOfAShorterPatternWrapsAtOnce)
{
    StepEngineRig rig;
    const QString rate = QStringLiteral(" 120");
    rig.flam->setLabel3(rate);
    rig.flam->setTxtRit(QStringLiteral("FUDAP"));
    rig.flam->setTxtBB(QStringLiteral("5"));
    // The same start text again raises no change, so nothing clamps it to the new pattern.
    rig.flam->setTxtRit(QStringLiteral("FU"));
    rig.flam->setTxtBB(QStringLiteral("5"));
    const std::int64_t first = rig.engine().now() + StepTimer::kLeadSamples;
    rig.flam->Flamenko(QStringLiteral("FU"));
    expectSteps(
        rig, first, rate, { { 0, "A--" }, { kFirst, "A--" }, { kUp, "A--" }, { kFirst, "A--" } });
}

TEST(frmFlamTest, NewRateTakesEffectFromTheNextStepAndUntimeableRatesAreIgnored)
{
    StepEngineRig rig;
    const auto first = startMetronome(rig, QStringLiteral(" 120"), QStringLiteral("UDDD"));
    const std::int64_t second = first + 22050;
    rig.timeline->advanceTo(second + kBlock);
    ASSERT_EQ(rig.takeStarts().size(), 2u);

    // Rates the engine cannot time keep the interval; the next timeable one counts from the
    // last step played.
    for (const char* rate : { "0", "abc", "", "2000.5", "0.9", "-120", "1E+300" })
        rig.flam->setLabel3(QString::fromLatin1(rate));
    rig.timeline->advanceTo(second + 22050 + kBlock);
    rig.flam->setLabel3(QStringLiteral("240"));
    rig.timeline->advanceTo(second + 22050 + 3 * 11025 + kBlock);
    const std::vector<StepEngineRig::Start> wanted { { kDown, second + 22050 },
        { kDown, second + 22050 + 11025 }, { kUp, second + 22050 + 2 * 11025 },
        { kDown, second + 22050 + 3 * 11025 } };
    EXPECT_EQ(rig.takeStarts(), wanted);
}

TEST(frmFlamTest, SubdivisionSwitchWhileRunningRestartsTheBarOnTheNextStep)
{
    StepEngineRig rig;
    const auto first = startMetronome(rig, QStringLiteral(" 120"), QStringLiteral("UDDD"));
    rig.timeline->advanceTo(first + 22050 + kBlock);
    rig.takeStarts();
    // As the eighth-note button does while playing: the rate, the pattern, Timer2 (still on).
    rig.flam->setLabel3(QStringLiteral("240"));
    rig.flam->SvirajNormal(QStringLiteral("UDDD"));
    rig.flam->Timer2.setEnabled(true);
    rig.timeline->advanceTo(first + 22050 + 2 * 11025 + kBlock);
    const std::vector<StepEngineRig::Start> wanted { { kUp, first + 22050 + 11025 },
        { kDown, first + 22050 + 2 * 11025 } };
    EXPECT_EQ(rig.takeStarts(), wanted);
    EXPECT_EQ(rig.lights->state(), QStringLiteral("-z-"));
}

TEST(frmFlamTest, CustomTempoStaysOnTheExactGridOverTwoThousandSteps)
{
    StepEngineRig rig;
    // 1984.99... samples a step, so several steps are placed per wake-up.
    const QString rate = QStringLiteral("1333.3");
    const auto first = startMetronome(rig, rate, QStringLiteral("U"));
    rig.timeline->advanceTo(first + 2000LL * 26460000 / 13333 + kBlock);
    const auto starts = rig.takeStarts();
    ASSERT_EQ(starts.size(), 2001u);
    for (std::int64_t k = 0; k <= 2000; ++k) {
        // Any rounding per step would be a thousand samples off by the end.
        ASSERT_EQ(starts[k].sample, first + k * 26460000 / 13333) << "step " << k;
    }
}

TEST(frmFlamTest, StopCancelsTheClickPlacedAheadAndItsLight)
{
    StepEngineRig rig;
    const auto first = startMetronome(rig, QStringLiteral(" 120"), QStringLiteral("UD"));
    rig.timeline->advanceTo(first + kBlock);
    // The second step is placed ahead by now, but not yet due.
    rig.timeline->advanceTo(first + 22050 - 1000);
    rig.flam->Timer2.setEnabled(false);
    rig.timeline->advanceTo(first + 3 * 22050);
    const std::vector<StepEngineRig::Start> wanted { { kUp, first } };
    EXPECT_EQ(rig.takeStarts(), wanted);
    EXPECT_EQ(rig.lights->state(), QStringLiteral("A--"));
    EXPECT_EQ(rig.lights->changedAt().size(), 3u); // the first step's three lights only

    // Enabled again, it starts a new run at once, from where SvirajNormal puts it.
    rig.flam->SvirajNormal(QStringLiteral("DU"));
    const std::int64_t again = rig.engine().now() + StepTimer::kLeadSamples;
    rig.flam->Timer2.setEnabled(true);
    rig.timeline->advanceTo(again + 22050 + kBlock);
    const std::vector<StepEngineRig::Start> restarted { { kDown, again }, { kUp, again + 22050 } };
    EXPECT_EQ(rig.takeStarts(), restarted);
}

TEST(frmFlamTest, LightsWaitForTheClickToLeaveTheSpeakers)
{
    constexpr std::int64_t kLatency = 4096;
    StepEngineRig rig(kLatency);
    const auto first = startMetronome(rig, QStringLiteral(" 120"), QStringLiteral("UDD"));
    rig.timeline->advanceTo(first + kBlock);
    EXPECT_TRUE(rig.lights->changedAt().empty()); // rendered, not heard yet
    expectSteps(rig, first, QStringLiteral(" 120"),
        { { kUp, "A--" }, { kDown, "-z-" }, { kDown, "--4" } }, kLatency);

    // A stop between a click's rendering and its sound drops its light too.
    rig.timeline->advanceTo(dueOf(first, QStringLiteral(" 120"), 3) + kBlock);
    rig.flam->Timer2.setEnabled(false);
    rig.timeline->advanceTo(dueOf(first, QStringLiteral(" 120"), 5));
    EXPECT_EQ(rig.lights->state(), QStringLiteral("--4"));
}

TEST(frmFlamTest, HeldUpUIThreadPlaysOnlyTheLatestMissedStepAndKeepsTheGrid)
{
    StepEngineRig rig;
    const QString rate = QStringLiteral("600"); // 4410 samples a step
    const auto first = startMetronome(rig, rate, QStringLiteral("UDDD"));
    rig.timeline->advanceTo(first + kBlock);
    // The audio device plays on for ten steps while no timer of the UI thread runs.
    rig.device().renderFrames(10 * 4410);
    const std::int64_t resumedAt = rig.engine().now();
    rig.timeline->advanceTo(resumedAt + 4410);
    const auto starts = rig.takeStarts();
    ASSERT_GE(starts.size(), 3u);
    EXPECT_EQ(starts[0], (StepEngineRig::Start { kUp, first }));
    // The latest step already due plays at once; then the grid goes on.
    EXPECT_EQ(starts[1].sample, resumedAt);
    EXPECT_EQ((starts[2].sample - first) % 4410, 0);
    EXPECT_GT(starts[2].sample, resumedAt);
}
