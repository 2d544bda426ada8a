#include "StepEngineRig.h"
#include "app/ClickRate.h"
#include "app/StepWalker.h"

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t kBlock = OfflineAudioDevice::kDefaultBlockFrames;
constexpr int kUp = 106;
constexpr int kDown = 118;
constexpr int kAccent = 101;
constexpr int kFirst = 103;
constexpr int kPause = 116;
using Starts = std::vector<StepEngineRig::Start>;

// One step as heard and seen: the clip that starts (0: none) and the lights after it.
struct Expect
{
    int clip;
    const char* lights;
};

std::int64_t dueOf(std::int64_t first, const QString& rate, std::int64_t k)
{
    return first + ExactInterval::forRateText(rate)->offsetOfStep(k);
}

// Walks the steps one by one: a light changes only on a metronome step with a click, within a
// block after its click is due (never before it, but for the engine's one-millisecond margin),
// and the lights show the step's state right after it. Every clip starts on its step's sample.
void expectSteps(StepEngineRig& rig,
    std::int64_t first,
    const QString& rate,
    const std::vector<Expect>& steps,
    bool withLights = true,
    std::int64_t latency = 0)
{
    Starts wanted;
    for (std::size_t k = 0; k < steps.size(); ++k) {
        SCOPED_TRACE(testing::Message() << "step " << k);
        const std::int64_t due = dueOf(first, rate, static_cast<std::int64_t>(k));
        const std::size_t changesBefore = rig.lights->changedAt.size();
        rig.timeline->advanceTo(due + latency + kBlock);
        EXPECT_EQ(rig.lights->state(), steps[k].lights);
        if (!withLights || steps[k].clip == 0) {
            EXPECT_EQ(rig.lights->changedAt.size(), changesBefore);
        }
        for (std::size_t c = changesBefore; c < rig.lights->changedAt.size(); ++c) {
            EXPECT_GE(rig.lights->changedAt[c], due - 44);
            EXPECT_LE(rig.lights->changedAt[c], due + kBlock);
        }
        if (steps[k].clip != 0)
            wanted.push_back({ steps[k].clip, due });
    }
    EXPECT_EQ(rig.takeStarts(), wanted);
}

// As the main window starts the metronome player: rate, pattern, then Timer2. Returns the sample
// at which the first step is due.
std::int64_t startMetronome(StepEngineRig& rig, const QString& rate, const QString& pattern)
{
    rig.flam->setLabel3(rate);
    rig.flam->SvirajNormal(pattern);
    const std::int64_t first = rig.engine().now() + StepWalker::kStartSamples;
    rig.flam->Timer2.setEnabled(true);
    return first;
}

} // namespace

TEST(frmFlamTest, EachPlayerStepsItsPatternLetterByLetterOnTheExactGrid)
{
    struct Case
    {
        const char* pattern;
        bool patternPlayer;
        const char* rate;
        const char* start; // txtBB, clamped against `clampedFor` (the pattern when null)
        const char* clampedFor;
        std::vector<Expect> steps;
    };

    const std::vector<Case> cases {
        { "UDDD", false, " 120", "", nullptr,
            { { kUp, "A--" }, { kDown, "-z-" }, { kDown, "--4" }, { kDown, "-z-" }, { kUp, "A--" },
                { kDown, "-z-" }, { kDown, "--4" }, { kDown, "-z-" }, { kUp, "A--" } } },
        { "ADDUDD", false, "252", "", nullptr,
            { { kAccent, "A--" }, { kDown, "-z-" }, { kDown, "--4" }, { kUp, "A--" },
                { kDown, "-z-" }, { kDown, "--4" }, { kAccent, "A--" } } },
        // Letters are case-sensitive; F and P sound on the pattern player only.
        { "FUDAP", false, " 120", "", nullptr,
            { { 0, "A--" }, { kUp, "A--" }, { kDown, "-z-" }, { kAccent, "A--" }, { 0, "A--" } } },
        { "FUDAP", true, " 120", "1", nullptr,
            { { kFirst, "A--" }, { kUp, "A--" }, { kDown, "A--" }, { kAccent, "A--" },
                { kPause, "A--" }, { kFirst, "A--" } } },
        { "FuDaP", true, " 120", "1", nullptr,
            { { kFirst, "A--" }, { 0, "A--" }, { kDown, "A--" }, { 0, "A--" },
                { kPause, "A--" } } },
        { "uDxA", false, " 120", "", nullptr,
            { { 0, "A--" }, { kDown, "-z-" }, { 0, "-z-" }, { kAccent, "A--" } } },
        // The pattern player starts at txtBB and wraps to the first letter.
        { "FUDAP", true, "176.4", "3", nullptr,
            { { kDown, "A--" }, { kAccent, "A--" }, { kPause, "A--" }, { kFirst, "A--" },
                { kUp, "A--" }, { kDown, "A--" }, { kAccent, "A--" } } },
        // A start clamped to a longer pattern lies past the end of this one: it wraps at once.
        { "FU", true, " 120", "5", "FUDAP",
            { { 0, "A--" }, { kFirst, "A--" }, { kUp, "A--" }, { kFirst, "A--" } } },
        // An empty pattern steps silently.
        { "", false, " 120", "", nullptr, std::vector<Expect>(6, { 0, "A--" }) },
        { "", true, " 120", "1", nullptr, std::vector<Expect>(3, { 0, "A--" }) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
            << '"' << c.pattern << "\" at " << c.rate << " from " << c.start
            << (c.patternPlayer ? " pattern" : " metronome"));
        StepEngineRig rig;
        const QString pattern = QString::fromLatin1(c.pattern);
        const QString rate = QString::fromLatin1(c.rate);
        std::int64_t first = 0;
        if (c.patternPlayer) {
            rig.flam->setLabel3(rate);
            rig.flam->setTxtRit(QString::fromLatin1(c.clampedFor ? c.clampedFor : c.pattern));
            rig.flam->setTxtBB(QString::fromLatin1(c.start));
            // The same start text again raises no change, so nothing clamps it to this pattern.
            rig.flam->setTxtRit(pattern);
            rig.flam->setTxtBB(QString::fromLatin1(c.start));
            first = rig.engine().now() + StepWalker::kStartSamples;
            rig.flam->Flamenko(pattern);
        } else {
            first = startMetronome(rig, rate, pattern);
        }
        expectSteps(rig, first, rate, c.steps, !c.patternPlayer);
    }
}

TEST(frmFlamTest, TxtBBIsClampedOnceToThePattern)
{
    struct Case
    {
        const char* pattern;
        const char* start;
        const char* clamped;
    };

    // With an empty pattern the bounds contradict each other: one write, no endless change.
    const Case cases[] = { { "FUDAP", "0", "1" }, { "FUDAP", "9", "5" }, { "FUDAP", "3", "3" },
        { "FUDAP", "-2", "1" }, { "FUDAP", "abc", "1" }, { "FUDAP", "2.5", "2.5" },
        { "FUDAP", " 5", " 5" }, { "FUDAP", "6", "5" }, { "", "0", "1" }, { "", "7", "1" },
        { "UD", "", "1" } };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.pattern << "\" \"" << c.start << '"');
        StepEngineRig rig;
        rig.flam->setTxtRit(QString::fromLatin1(c.pattern));
        rig.flam->setTxtBB(QStringLiteral("x")); // so that every start below is a change
        rig.flam->setTxtBB(QString::fromLatin1(c.start));
        EXPECT_EQ(rig.flam->txtBB(), QString::fromLatin1(c.clamped));
    }
}

TEST(frmFlamTest, NewRateTakesEffectFromTheTickAfterTheNextAndUntimeableRatesAreIgnored)
{
    StepEngineRig rig;
    const auto first = startMetronome(rig, QStringLiteral(" 120"), QStringLiteral("UDDD"));
    rig.timeline->advanceTo(first + 22050 + kBlock);
    ASSERT_EQ(rig.takeStarts().size(), 2u);
    // Rates the engine cannot time keep the interval.
    for (const char* rate : { "0", "abc", "", "8000.5", "0.9", "-120", "1E+300" })
        rig.flam->setLabel3(QString::fromLatin1(rate));
    const std::int64_t third = first + 2 * 22050;
    rig.timeline->advanceTo(third + kBlock);
    // As the eighth-note button does while playing: the rate, the pattern, Timer2 (still on).
    // The next tick was set by the last one: it comes at the old interval, from the first letter;
    // the ticks after it at the new one.
    rig.flam->setLabel3(QStringLiteral("240"));
    rig.flam->SvirajNormal(QStringLiteral("UDDD"));
    rig.flam->Timer2.setEnabled(true);
    const std::int64_t fourth = third + 22050;
    rig.timeline->advanceTo(fourth + 2 * 11025 + kBlock);
    const Starts wanted { { kDown, third }, { kUp, fourth }, { kDown, fourth + 11025 },
        { kDown, fourth + 2 * 11025 } };
    EXPECT_EQ(rig.takeStarts(), wanted);
    EXPECT_EQ(rig.lights->state(), "--4");
}

TEST(frmFlamTest, ARunsFirstStepWaitsItsTimersLastIntervalButNeverLongerThanItsOwnRate)
{
    StepEngineRig rig;
    // First start after load: the design interval of 1 ms, held to the engine's lead.
    const auto first = startMetronome(rig, QStringLiteral(" 120"), QStringLiteral("UD"));
    rig.timeline->advanceTo(first + 22050 + kBlock);
    EXPECT_EQ(rig.takeStarts(), (Starts { { kUp, first }, { kDown, first + 22050 } }));

    // Stop, and start again later: the first step comes one interval of the last tick after.
    rig.flam->Timer2.setEnabled(false);
    rig.timeline->advanceTo(first + 100000);
    EXPECT_TRUE(rig.takeStarts().empty());
    auto restart = [&rig](const char* rate) {
        rig.flam->Timer2.setEnabled(false);
        rig.flam->setLabel3(QString::fromLatin1(rate));
        rig.flam->SvirajNormal(QStringLiteral("UD"));
        const std::int64_t at = rig.engine().now();
        rig.flam->Timer2.setEnabled(true);
        return at;
    };
    std::int64_t at = restart(" 120");
    rig.timeline->advanceTo(at + 22050 + kBlock);
    EXPECT_EQ(rig.takeStarts(), (Starts { { kUp, at + 22050 } }));

    // A dial drag restarts at every move, faster than the steps come: silence until it rests,
    // then the first step one interval of the rate it came to rest on after the last restart.
    for (const char* rate : { " 150", " 180", " 210", " 240" }) {
        at = restart(rate);
        rig.timeline->advanceTo(at + 8000);
    }
    EXPECT_TRUE(rig.takeStarts().empty());
    rig.timeline->advanceTo(at + 2 * 11025 + kBlock);
    EXPECT_EQ(rig.takeStarts(), (Starts { { kUp, at + 11025 }, { kDown, at + 2 * 11025 } }));

    // A faster rate written while the run still waits for its first step shortens the wait.
    rig.flam->Timer2.setEnabled(false);
    rig.flam->setLabel3(QStringLiteral(" 30"));
    rig.flam->SvirajNormal(QStringLiteral("UD"));
    at = rig.engine().now();
    rig.flam->Timer2.setEnabled(true);
    rig.timeline->advanceTo(at + 4000);
    rig.flam->setLabel3(QStringLiteral(" 240"));
    rig.timeline->advanceTo(at + 11025 + kBlock);
    EXPECT_EQ(rig.takeStarts(), (Starts { { kUp, at + 11025 } }));

    // The pattern player's timer has its own interval: never ticked, so the lead only.
    rig.flam->Timer2.setEnabled(false);
    rig.flam->setTxtRit(QStringLiteral("F"));
    rig.flam->setTxtBB(QStringLiteral("1"));
    const std::int64_t patternAt = rig.engine().now();
    rig.flam->Flamenko(QStringLiteral("F"));
    rig.timeline->advanceTo(patternAt + StepWalker::kStartSamples + 11025 + kBlock);
    EXPECT_EQ(rig.takeStarts(),
        (Starts { { kFirst, patternAt + StepWalker::kStartSamples },
            { kFirst, patternAt + StepWalker::kStartSamples + 11025 } }));
}

// After a run at tempo 3 its timer's interval is 20 s: a start at a quicker tempo must not wait
// that long in silence, for either player.
TEST(frmFlamTest, AStartAfterARunAtTempoThreeWaitsOneIntervalOfTheNewTempo)
{
    struct Case
    {
        const char* rate;
        std::int64_t interval; // samples
    };

    using Player = StepWalker::Player;
    for (const Player player : { Player::Metronome, Player::Pattern }) {
        for (const Case& c : { Case { " 42", 63000 }, Case { " 120", 22050 } }) {
            SCOPED_TRACE(testing::Message()
                << (player == Player::Pattern ? "pattern player" : "metronome") << c.rate);
            StepEngineRig rig;
            const std::int64_t slow = rig.start(player, " 3", QStringLiteral("UD"));
            rig.timeline->advanceTo(slow + StepWalker::kStartSamples + kBlock);
            ASSERT_EQ(rig.takeStarts(), (Starts { { kUp, slow + StepWalker::kStartSamples } }));
            (player == Player::Pattern ? rig.flam->Timer1 : rig.flam->Timer2).setEnabled(false);

            const std::int64_t at = rig.start(player, c.rate, QStringLiteral("UD"));
            rig.timeline->advanceTo(at + 2 * c.interval + kBlock);
            EXPECT_EQ(rig.takeStarts(),
                (Starts { { kUp, at + c.interval }, { kDown, at + 2 * c.interval } }));
        }
    }
}

TEST(frmFlamTest, CustomTempoStaysOnTheExactGridOverTwoThousandSteps)
{
    struct Case
    {
        const char* rate;
        std::int64_t samplesPerMinute; // per step: samplesPerMinute / stepsPerMinute
        std::int64_t stepsPerMinute;
    };

    // 1984.99... samples a step; and 330.75, the fastest typed tempo (2000) in sixteenths. Either
    // way several steps fall between two wake-ups.
    const Case cases[] = { { "1333.3", 26460000, 13333 }, { "8000", 2646000, 8000 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        StepEngineRig rig;
        const auto first = startMetronome(rig, QString::fromLatin1(c.rate), QStringLiteral("U"));
        rig.timeline->advanceTo(first + 2000 * c.samplesPerMinute / c.stepsPerMinute + 1);
        const auto starts = rig.takeStarts();
        // The block rendered last may hold a step or two beyond the 2000th.
        ASSERT_GE(starts.size(), 2001u);
        for (std::int64_t k = 0; k <= 2000; ++k) {
            // Any rounding per step would be hundreds of samples off by the end.
            ASSERT_EQ(starts[k].sample, first + k * c.samplesPerMinute / c.stepsPerMinute)
                << "step " << k;
        }
    }
}

TEST(frmFlamTest, StopSoundCutsTheClickSoundingAndTheStepsPlayOn)
{
    StepEngineRig rig(0, 20000);
    const auto first = startMetronome(rig, QStringLiteral(" 120"), QStringLiteral("UD"));
    rig.timeline->advanceTo(first + 1000);
    rig.sounds->StopSound();
    rig.timeline->advanceTo(first + 22050 + kBlock);
    const std::vector<float> heard = rig.device().captured();
    auto level = [&heard](std::int64_t frame) {
        return heard.at(static_cast<std::size_t>(frame) * 2);
    };
    // The long click fades out over the ramp from the block after the purge, and the next step
    // sounds on its sample.
    const std::int64_t cutAt = (first + 1000) / kBlock * kBlock + kBlock;
    EXPECT_FLOAT_EQ(level(cutAt - 1), clipLevel(kUp));
    EXPECT_EQ(level(cutAt + AudioEngine::kCutRampFrames), 0.0f);
    EXPECT_EQ(level(first + 22049), 0.0f);
    EXPECT_FLOAT_EQ(level(first + 22050), clipLevel(kDown));
}

TEST(frmFlamTest, LightsWaitForTheClickToLeaveTheSpeakers)
{
    constexpr std::int64_t kLatency = 4096;
    StepEngineRig rig(kLatency);
    const QString rate = QStringLiteral(" 120");
    const auto first = startMetronome(rig, rate, QStringLiteral("UDD"));
    rig.timeline->advanceTo(first + kBlock);
    EXPECT_TRUE(rig.lights->changedAt.empty()); // rendered, not heard yet
    expectSteps(
        rig, first, rate, { { kUp, "A--" }, { kDown, "-z-" }, { kDown, "--4" } }, true, kLatency);

    // A stop between a click's rendering and its sound drops its light too.
    rig.timeline->advanceTo(dueOf(first, rate, 3) + kBlock);
    rig.flam->Timer2.setEnabled(false);
    rig.timeline->advanceTo(dueOf(first, rate, 5));
    EXPECT_EQ(rig.lights->state(), "--4");
}

TEST(frmFlamTest, AHeldUpUIThreadMakesNoClickLateAndTheLightsCatchUpInOrder)
{
    StepEngineRig rig;
    const auto first = startMetronome(rig, QStringLiteral("600"), QStringLiteral("UDDA"));
    rig.timeline->advanceTo(first + kBlock);
    // The audio device plays on for ten steps of 4410 samples while no UI timer runs.
    rig.device().renderFrames(10 * 4410);
    const auto starts = rig.takeStarts();
    const int letters[] = { kUp, kDown, kDown, kAccent };
    ASSERT_EQ(starts.size(), 11u);
    for (std::size_t k = 0; k < starts.size(); ++k)
        EXPECT_EQ(
            starts[k], (StepEngineRig::Start { letters[k % 4], first + 4410 * std::int64_t(k) }));
    // Step 10 is the second "D" after the up-beat of step 8.
    const std::size_t changes = rig.lights->changedAt.size();
    rig.timeline->advanceTo(rig.engine().now() + 1);
    EXPECT_EQ(rig.lights->state(), "--4");
    EXPECT_GT(rig.lights->changedAt.size(), changes);
}

// The lights wake when a step is due, not on a poll: a slow beat wakes the UI thread about once a
// step; steps faster than a display shows (2000 in sixteenths: 133 a second) wake it about once a
// frame, and each change shows the state of the latest step due then, no step waiting longer than
// a frame for its state or a later one's to show.
TEST(frmFlamTest, LightsWakeForTheirStepsAndAtMostOnceADisplayFrame)
{
    struct Case
    {
        const char* rate;
        int mostWakes; // in the 10 s played
    };

    constexpr std::int64_t kFrame = 735; // 60 frames a second
    constexpr std::int64_t kSeconds = 10;
    // 20 steps at 120: a wake-up each; 1333 steps at 8000: about 68 changes a second at most.
    // A few more while the switch-on is on its way to the audio side.
    const Case cases[] = { { " 120", 20 + 4 }, { "8000", 68 * kSeconds + 4 } };
    // UDDD lights the accent, then alternates the beat lights from imz.
    const char* const shownAfter[] = { "A--", "-z-", "--4", "-z-" };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        // An output that plays a block behind what it renders, as a real one plays behind: every
        // step due when the lights look has been rendered.
        StepEngineRig rig(kBlock);
        const QString rate = QString::fromLatin1(c.rate);
        const std::int64_t first = startMetronome(rig, rate, QStringLiteral("UDDD"));
        const std::int64_t end = first + kSeconds * 44100;
        rig.timeline->advanceTo(end);
        EXPECT_LE(rig.timeline->wakes(), c.mostWakes);

        // The changes of one wake-up share their sample; the last of them leaves the state shown.
        const auto& at = rig.lights->changedAt;
        std::vector<std::int64_t> shownAt;
        std::vector<std::string> shown;
        for (std::size_t i = 0; i < at.size(); ++i) {
            if (i + 1 < at.size() && at[i + 1] == at[i])
                continue;
            shownAt.push_back(at[i]);
            shown.push_back(rig.lights->statesAfter[i]);
        }
        ASSERT_FALSE(shownAt.empty());
        std::size_t change = 0;
        // The sound leaving the speakers ends a block before the wall clock.
        for (std::int64_t k = 0; dueOf(first, rate, k) < end - kBlock - kFrame; ++k) {
            SCOPED_TRACE(testing::Message() << "step " << k);
            const std::int64_t due = dueOf(first, rate, k);
            while (change < shownAt.size() && shownAt[change] < due - 44)
                ++change;
            ASSERT_LT(change, shownAt.size());
            EXPECT_LE(shownAt[change], due + kFrame);
            std::int64_t latest = k;
            while (dueOf(first, rate, latest + 1) <= shownAt[change] + 44)
                ++latest;
            EXPECT_EQ(shown[change], shownAfter[latest % 4]);
        }
        for (std::size_t i = 1; i < shownAt.size(); ++i)
            EXPECT_GE(shownAt[i] - shownAt[i - 1], kFrame - 88) << "change " << i;
    }
}

// A run that waits 20 s for its first step (its timer's last interval) and is then given a faster
// rate gets that step sooner; its light comes with it, not when the slow step would have.
TEST(frmFlamTest, AFasterRateWhileTheFirstStepWaitsLightsThatStepOnTime)
{
    StepEngineRig rig;
    const auto slow = startMetronome(rig, QStringLiteral(" 3"), QStringLiteral("UD"));
    rig.timeline->advanceTo(slow + kBlock);
    rig.flam->Timer2.setEnabled(false);
    rig.flam->SvirajNormal(QStringLiteral("UD"));
    const std::int64_t at = rig.engine().now();
    rig.flam->Timer2.setEnabled(true);
    rig.timeline->advanceTo(at + 4000);
    rig.takeStarts();
    rig.lights->changedAt.clear();
    rig.flam->setLabel3(QStringLiteral(" 240"));
    const std::int64_t due = at + 11025;
    rig.timeline->advanceTo(due + kBlock);
    EXPECT_EQ(rig.takeStarts(), (Starts { { kUp, due } }));
    ASSERT_FALSE(rig.lights->changedAt.empty());
    EXPECT_GE(rig.lights->changedAt.front(), due - 44);
    EXPECT_LE(rig.lights->changedAt.front(), due + kBlock);
}
