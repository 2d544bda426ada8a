#include "piano/BeatAccompaniment.h"

#include "PianoOnFakes.h"

#include <gtest/gtest.h>

namespace {

using basMidi1::BeatStyle;
using Notes = std::vector<std::uint32_t>;

constexpr int kRock = 0;
constexpr int kWaltz = 3;
constexpr RateStrip kStrip { 100, 800, 200 }; // 600 of travel

// A sent accompaniment note: its whole message and the sample it was placed on.
struct Sent
{
    std::uint32_t message;
    std::optional<std::int64_t> at;

    bool operator==(const Sent&) const = default;
};

std::uint32_t drum(int note, int velocity = 127)
{
    return midiMessage(0x99, note, velocity);
}

struct Rig : PianoOnFakes
{
    explicit Rig(std::array<BeatStyle, 4> styles = basMidi1::InitBeatStyles())
        : beats(piano,
            *fake.platform.midiOut,
            time.reader(),
            time.make(),
            { [this](const QString& text) {
                 label10 = text;
             },
                [this](bool enabled) {
                    stopEnabled = enabled;
                },
                [this](int top) {
                    pointerTop = top;
                },
                [] {
                    return kStrip;
                } },
            std::move(styles))
    {
        piano.load(parseInstrumentList({}));
        label10 = QStringLiteral("Rock");
        fake.midiOut().clearLog();
    }

    // The notes sent since the last call.
    std::vector<Sent> take()
    {
        std::vector<Sent> out;
        for (const FakeMidiEvent& e : fake.midiOut().log()) {
            if (e.kind == FakeMidiEvent::Kind::Send)
                out.push_back({ e.message, e.at });
        }
        fake.midiOut().clearLog();
        return out;
    }

    // Ticks the timer `n` times; the messages each tick sent.
    std::vector<std::vector<std::uint32_t>> tick(int n)
    {
        std::vector<std::vector<std::uint32_t>> ticks(static_cast<std::size_t>(n));
        for (auto& sent : ticks) {
            beats.tmrBeat_Timer();
            for (const Sent& note : take())
                sent.push_back(note.message);
        }
        return ticks;
    }

    // Chooses a style and holds the wake-ups, so that the test ticks the timer itself: the
    // messages of the first step, which the choice places at once.
    std::vector<std::uint32_t> choose(int style)
    {
        beats.mnBeat(style);
        beats.stop();
        std::vector<std::uint32_t> sent;
        for (const Sent& note : take())
            sent.push_back(note.message);
        return sent;
    }

    void runTo(std::int64_t sample) { ASSERT_TRUE(time.advanceTo(sample)); }

    QString label10;
    bool stopEnabled = true;
    int pointerTop = 0;
    BeatAccompaniment beats;
};

TEST(BeatAccompanimentTest, TheStylesKeepTheirEmptyStepsAndSections)
{
    struct Case
    {
        const char* name;
        int interval;
        std::vector<qsizetype> steps; // of each section
    };

    const Case cases[] = {
        { "Rock", 130, { 8, 16, 16, 8, 7 } },
        { "16 Beat", 150, { 8, 8, 16, 8, 1 } },
        { "Disco", 170, { 4, 4, 8, 4, 1 } },
        { "Waltz", 170, { 6, 6, 1 } },
    };
    const auto styles = basMidi1::InitBeatStyles();
    for (std::size_t i = 0; i < styles.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_EQ(styles[i].Name, QLatin1String(cases[i].name));
        EXPECT_EQ(styles[i].Interval, cases[i].interval);
        std::vector<qsizetype> steps;
        for (const QString& section : styles[i].Pattern.split(u';'))
            steps.push_back(section.split(u'|').size());
        EXPECT_EQ(steps, cases[i].steps);
    }

    Rig rig; // the piano loaded: the style menu holds the four, in order
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(rig.popups.caption(u"mnuBeat2", i), QLatin1String(cases[i].name));
    EXPECT_FALSE(rig.popups.exists(u"mnuBeat2", 4));
}

TEST(BeatAccompanimentTest, RockPlaysItsIntroThenLoopsItsMainUntilAStopEndsTheSection)
{
    Rig rig;
    EXPECT_TRUE(rig.tick(3).front().empty()) << "silent before a style";
    auto intro = rig.tick(0);
    intro.push_back(rig.choose(kRock));
    EXPECT_EQ(rig.beats.interval(), 130);
    for (auto& tick : rig.tick(7))
        intro.push_back(tick);
    EXPECT_EQ(intro[0], (Notes { drum(44), drum(35), drum(55) }));
    EXPECT_TRUE(intro[1].empty());
    EXPECT_EQ(intro[2], (Notes { drum(44) }));
    EXPECT_TRUE(intro[7].empty()) << "the trailing | is a rest step";
    EXPECT_EQ(rig.beats.BeatSection(), 1);

    for (int round = 0; round < 2; ++round) {
        const auto main = rig.tick(16);
        EXPECT_EQ(main[0], (Notes { drum(44), drum(35) }));
        EXPECT_EQ(main[4], (Notes { drum(44), drum(40) }));
        EXPECT_EQ(rig.beats.BeatSection(), 1);
        EXPECT_EQ(rig.beats.BeatStep(), 0);
    }

    rig.tick(2);
    rig.beats.GGCommand6_Click(); // during the main section's third step
    EXPECT_EQ(rig.label10, QString()) << "cleared at once";
    EXPECT_FALSE(rig.stopEnabled);
    const auto rest = rig.tick(14);
    EXPECT_EQ(rest[2], (Notes { drum(44), drum(40) })) << "the section plays on";
    EXPECT_EQ(rig.beats.BeatSection(), BeatAccompaniment::kSilent);
    for (const auto& tick : rig.tick(20))
        EXPECT_TRUE(tick.empty());
}

TEST(BeatAccompanimentTest, SectionRulesAcrossStylesAndStops)
{
    {
        SCOPED_TRACE("a waltz loops its main and never reaches its empty section");
        Rig rig;
        rig.choose(kWaltz);
        rig.tick(5);
        EXPECT_EQ(rig.beats.BeatSection(), 1);
        for (int i = 0; i < 60; ++i) {
            rig.beats.tmrBeat_Timer();
            ASSERT_EQ(rig.beats.BeatSection(), 1) << i;
        }
    }
    {
        SCOPED_TRACE("a stop pressed while idle, then a style: it plays on");
        Rig rig;
        rig.beats.GGCommand6_Click();
        rig.choose(kRock);
        rig.tick(7 + 3 * 16);
        EXPECT_EQ(rig.beats.BeatSection(), 1);
    }
    {
        SCOPED_TRACE("a stop while the style before finishes, then a new style: it plays on");
        Rig rig;
        rig.beats.mnBeat(kRock);
        rig.beats.GGCommand6_Click();
        rig.choose(kWaltz);
        EXPECT_EQ(rig.beats.BeatNextSection(), BeatAccompaniment::kNoRequest);
        rig.tick(5 + 2 * 6);
        EXPECT_EQ(rig.beats.BeatSection(), 1);
    }
}

TEST(BeatAccompanimentTest, NotesGoToTheDrumChannelAtTheVelocityOfTheirMomentAndBadOnesAreSkipped)
{
    auto styles = basMidi1::InitBeatStyles();
    styles[1].Pattern = QStringLiteral("36,128,-1,x,,42|42"); // and no main section
    Rig rig(styles);
    rig.piano.Kanal(5);
    rig.piano.setKnobValue(50);
    const int half = rig.piano.velocity();
    ASSERT_NE(half, 127);
    EXPECT_EQ(rig.choose(1), (Notes { drum(36, half), drum(42, half) }));
    rig.piano.setKnobValue(100);
    EXPECT_EQ(rig.tick(1)[0], (Notes { drum(42) }));
    for (const auto& tick : rig.tick(4))
        EXPECT_TRUE(tick.empty()) << "a missing section has no steps to play";
    EXPECT_EQ(rig.beats.BeatSection(), 1);
}

TEST(BeatAccompanimentTest, AStyleSetsThePointerWhereItsIntervalLiesOnTheStrip)
{
    // Rock 130, 16 Beat 150, Disco and Waltz 170 ms: 130 / 300 of the 600 of travel is 260.
    const int tops[] = { 360, 400, 440, 440 };
    for (int style = 0; style < 4; ++style) {
        SCOPED_TRACE(style);
        Rig rig;
        rig.choose(style);
        EXPECT_EQ(rig.pointerTop, tops[style]);
        // A click on the pointer's middle keeps the style's own tempo.
        rig.beats.lblRate_MouseDown(rig.pointerTop - kStrip.top + kStrip.pointerHeight / 2, kStrip);
        EXPECT_EQ(rig.pointerTop, tops[style]);
        EXPECT_EQ(rig.beats.interval(), rig.beats.BeatStyles()[std::size_t(style)].Interval);
    }
    // The ends and a strip without travel.
    EXPECT_EQ(BeatAccompaniment::pointerTopFor(0, kStrip), 100);
    EXPECT_EQ(BeatAccompaniment::pointerTopFor(300, kStrip), 700);
    EXPECT_EQ(BeatAccompaniment::pointerTopFor(5000, kStrip), 700);
    EXPECT_EQ(BeatAccompaniment::pointerTopFor(130, { 100, 200, 200 }), 100);
}

TEST(BeatAccompanimentTest, StepsArePlacedOnTheirGridAndTheTopOfTheStripPausesThem)
{
    Rig rig;
    const RateStrip strip = kStrip;
    rig.beats.mnBeat(kRock);
    const std::int64_t first = 1000 + TimedStepper::kLeadSamples;
    rig.runTo(first + 3 * 5733 - TimedStepper::kLeadSamples);
    auto sent = rig.take();
    ASSERT_EQ(sent.size(), 4u); // steps 0 to 3: 44 35 55, rest, 44, rest
    EXPECT_EQ(sent[0].at, first);
    EXPECT_EQ(sent[3].at, first + 2 * 5733) << "130 ms a step, counted from the start";

    rig.beats.lblRate_MouseDown(50, strip); // above the top: clamped
    EXPECT_EQ(rig.pointerTop, 100);
    EXPECT_EQ(rig.beats.interval(), 0);
    EXPECT_FALSE(rig.time.armed()) << "standing still";
    const int standing = rig.beats.BeatStep();
    rig.runTo(rig.time.now() + 44100);
    EXPECT_TRUE(rig.take().empty());

    rig.beats.lblRate_MouseMove(400, strip); // halfway
    rig.beats.lblRate_MouseUp();
    EXPECT_EQ(rig.beats.interval(), 150);
    const std::int64_t resumed = rig.time.now() + TimedStepper::kLeadSamples;
    rig.runTo(rig.time.now() + 8 * 6615);
    sent = rig.take();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(rig.beats.BeatSection(), 1);
    EXPECT_EQ(standing, 4);
    EXPECT_EQ(sent[0], (Sent { drum(44), resumed })) << "step 4 where it stood";
    EXPECT_EQ(sent[1], (Sent { drum(40), resumed }));
    EXPECT_EQ(sent[2], (Sent { drum(44), resumed + 2 * 6615 }));

    rig.beats.lblRate_MouseMove(700, strip);
    EXPECT_EQ(rig.beats.interval(), 150) << "no drag after the button went up";
}

TEST(BeatAccompanimentTest, TheStripGivesZeroToThreeHundredHalvesToEvenAndNeverDividesByZero)
{
    struct Case
    {
        int y;
        int top;
        int interval;
    };

    const Case cases[] = {
        { 100, 100, 0 },
        { 125, 125, 12 }, // 12.5 to the even 12
        { 127, 127, 14 }, // 13.5 to 14
        { 400, 400, 150 },
        { 700, 700, 300 },
        { 5000, 700, 300 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.y);
        Rig rig;
        rig.beats.lblRate_MouseDown(c.y, { 100, 800, 200 });
        EXPECT_EQ(rig.pointerTop, 100 + c.top - 100);
        EXPECT_EQ(rig.beats.interval(), c.interval);
    }
    Rig rig;
    rig.beats.lblRate_MouseDown(300, { 100, 200, 200 });
    EXPECT_EQ(rig.pointerTop, 100);
    EXPECT_EQ(rig.beats.interval(), BeatAccompaniment::kDesignIntervalMs);
}

} // namespace
