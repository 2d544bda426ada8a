#include "piano/ScalePlayer.h"

#include "NoteNames.h"
#include "PianoOnFakes.h"
#include "piano/BeatAccompaniment.h"
#include "piano/ScaleTempo.h"
#include "platform/settings/SettingsStore.h"

#include <set>
#include <string>

#include <gtest/gtest.h>

namespace {

constexpr int kNoteOn = 0x90;
constexpr int kNoteOff = 0x80;

// A note as it reached the device: placed (at) or sent at once.
struct Note
{
    int status;
    int note;
    std::optional<std::int64_t> at;
};

struct Rig : PianoOnFakes
{
    explicit Rig(const char* storedSpeed = nullptr)
    {
        if (storedSpeed)
            fake.platform.settings->SaveRegValue(QStringLiteral("Taktovia"),
                QStringLiteral("Gitara"), QStringLiteral("Speed"),
                QString::fromLatin1(storedSpeed));
        piano.load(parseInstrumentList({}));
        tempo.load();
        fake.midiOut().clearLog();
    }

    void runTo(std::int64_t sample) { ASSERT_TRUE(time.advanceTo(sample)); }

    void runOut() { runTo(time.now() + 44100 * 60); }

    std::vector<Note> notes() const
    {
        std::vector<Note> out;
        for (const FakeMidiEvent& e : fakeMidi().log()) {
            if (e.kind == FakeMidiEvent::Kind::Send)
                out.push_back({ static_cast<int>(e.message & 0xF0),
                    static_cast<int>((e.message >> 8) & 0x7F), e.at });
        }
        return out;
    }

    const FakeMidiOut& fakeMidi() const { return const_cast<FakePlatform&>(fake).midiOut(); }

    ScaleTempo tempo { *fake.platform.settings, fake.boxes() };
    QStringList labels;
    ScalePlayer scales { piano, tempo, *fake.platform.midiOut, time.reader(), time.make(),
        { [this](const QString& text) {
             labels.append(text);
         },
            {} } };
};

TEST(ScalePlayerTest, ScalesMirrorAndNameTheirNotes)
{
    const QStringList names = scaleListNames();
    ASSERT_EQ(names.size(), 27);
    std::set<const Scale*> reached;
    for (int i = 0; i < names.size(); ++i)
        reached.insert(scaleOfListEntry(i));
    EXPECT_EQ(reached.size(), scales().size());
    EXPECT_EQ(scaleOfListEntry(27), nullptr);
    EXPECT_EQ(scaleOfListEntry(-1), nullptr);

    const Scale* melodic = scaleOfListEntry(static_cast<int>(names.indexOf("Minor (Melodic)")));
    for (const Scale& scale : scales()) {
        const QString text = QString::fromLatin1(scale.structure);
        SCOPED_TRACE(text.toStdString());
        const std::vector<int> up(scale.up);
        ASSERT_GE(up.size(), 6u);
        EXPECT_EQ(up.front(), 0);
        EXPECT_EQ(up.back(), 12);
        EXPECT_TRUE(std::is_sorted(up.begin(), up.end()));
        const std::vector<int> down(scale.down);
        if (&scale != melodic) {
            EXPECT_EQ(down, std::vector<int>(up.rbegin() + 1, up.rend()));
        }
        EXPECT_EQ(scale.limit, up.size() == 6 ? 140 : static_cast<int>(20 * up.size()));

        std::set<int> classes;
        for (const int offset : up)
            classes.insert(offset % 12);
        const std::vector<int> named = pitchClasses(text.section(QStringLiteral(" ("), 0, 0));
        EXPECT_EQ(std::set<int>(named.begin(), named.end()), classes);
        EXPECT_EQ(named.size(), up.size());
    }
}

// Step k of the run as its notes reached the device: on an exact grid from the first note.
TEST(ScalePlayerTest, RunsOnTheGridAndEndsAfterItsSilentSteps)
{
    struct Case
    {
        int entry;
        std::vector<int> ons; // the notes struck, one a step from step 0
        int turnStep;
        int lastNoteStep;
        int releaseStep;
        const char* lastLabel;
    };

    const Case cases[] = {
        { 0, { 60, 62, 64, 65, 67, 69, 71, 72, 72, 71, 69, 67, 65, 64, 62, 60 }, 8, 15, 17, "170" },
        { 24, { 60, 62, 64, 67, 69, 72, 72, 69, 67, 64, 62, 60 }, 6, 11, 15, "150" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        Rig rig;
        rig.scales.C2_Click(c.entry);
        EXPECT_FALSE(rig.scales.tempoEnabled());
        const std::int64_t start = rig.time.now() + TimedStepper::kLeadSamples;
        rig.runOut();
        EXPECT_FALSE(rig.scales.running());
        EXPECT_TRUE(rig.scales.tempoEnabled());
        EXPECT_EQ(rig.scales.pb1(), 10);
        EXPECT_EQ(rig.labels.back(), QString::fromLatin1(c.lastLabel));

        std::vector<int> ons;
        std::map<std::int64_t, int> offsAtStep;
        int lastOnStep = -1;
        for (const Note& n : rig.notes()) {
            if (!n.at)
                continue; // the releases of the choice itself
            const std::int64_t offset = *n.at - start;
            ASSERT_EQ(offset % 22050, 0) << "off the 500 ms grid: " << offset;
            const int step = static_cast<int>(offset / 22050);
            if (n.status == kNoteOn) {
                ons.push_back(n.note);
                EXPECT_EQ(offsAtStep.count(step), step == c.turnStep ? 1u : 0u)
                    << "the turn releases before it strikes the octave again";
                lastOnStep = step;
            } else {
                ++offsAtStep[step];
            }
        }
        EXPECT_EQ(ons, c.ons);
        EXPECT_EQ(lastOnStep, c.lastNoteStep);
        ASSERT_EQ(offsAtStep.size(), 2u);
        EXPECT_EQ(offsAtStep.rbegin()->first, c.releaseStep);
        EXPECT_EQ(offsAtStep.rbegin()->second, 18);
    }
}

TEST(ScalePlayerTest, NewTempoCountsFromTheStepThatReadIt)
{
    Rig rig;
    rig.scales.C2_Click(0);
    const std::int64_t start = rig.time.now() + TimedStepper::kLeadSamples;
    rig.runTo(start + 2 * 22050 - TimedStepper::kLeadSamples); // steps 0..2 placed
    rig.fake.boxes().answerInputNext(QStringLiteral("192"));
    rig.tempo.GGCommand12_Click();
    rig.runOut();
    std::vector<std::int64_t> ons;
    for (const Note& n : rig.notes()) {
        if (n.status == kNoteOn)
            ons.push_back(*n.at - start);
    }
    ASSERT_EQ(ons.size(), 16u);
    EXPECT_EQ(ons[3], 2 * 22050 + 22050); // step 3 was placed before the change
    // 312 ms is 13759.2 samples: counted from step 3, never as a sum of rounded steps.
    EXPECT_EQ(ons[8], 3 * 22050 + 68796);
    EXPECT_EQ(ons[15], 3 * 22050 + 165110);
}

TEST(ScalePlayerTest, AChoiceStopsTheRunningScaleAndStartsOnItsFirstNote)
{
    Rig rig;
    rig.scales.C2_Click(0);
    const std::int64_t start = rig.time.now() + TimedStepper::kLeadSamples;
    rig.runTo(start + 3 * 22050 - TimedStepper::kLeadSamples); // steps 0..3 placed
    const std::int64_t lastPlaced = start + 3 * 22050;
    rig.fake.midiOut().clearLog();

    rig.scales.C2_Click(25); // "Pentatonic Minor"
    EXPECT_EQ(rig.scales.rts(), QStringLiteral("C Eb F G Bb C"));
    rig.runOut();
    const std::vector<Note> notes = rig.notes();
    ASSERT_GE(notes.size(), 20u);
    for (int k = 0; k < 18; ++k) {
        EXPECT_EQ(notes[k].status, kNoteOff);
        EXPECT_EQ(notes[k].at, lastPlaced) << "after the stopped scale's last note";
    }
    EXPECT_EQ(notes[18].status, kNoteOn);
    EXPECT_EQ(notes[18].note, 60);
    EXPECT_EQ(notes[19].note, 63);
    EXPECT_EQ(rig.labels.back(), QStringLiteral("150"));

    // The play button with no scale chosen stops the run and starts nothing; the tempo button
    // is free again.
    rig.scales.C2_Click(25);
    EXPECT_FALSE(rig.scales.tempoEnabled());
    rig.scales.C2_Click(-1);
    EXPECT_FALSE(rig.scales.running());
    EXPECT_TRUE(rig.scales.tempoEnabled());
    EXPECT_TRUE(rig.scales.rts().isEmpty());
}

TEST(ScalePlayerTest, StoredSpeeds)
{
    struct Case
    {
        const char* stored; // nullptr: none
        const char* atLoad;
        const char* atKey;
        const char* interval;
        int ms;
    };

    const Case cases[] = {
        { nullptr, "120", "120", "500", 500 },
        { "90", "090", "90", "666.666666666667", 667 },
        { "192", "192", "192", "312.5", 312 },
        { "320", "320", "320", "187.5", 188 },
        { "50", "050", "50", "1200", 1200 },
        { "500", "500", "500", "120", 120 },
        { "120abc", "120abc", "120abc", "500", 500 },
        { "0", "120", "120", "500", 500 },
        { "abc", "120", "120", "500", 500 },
        { "", "120", "120", "500", 500 },
        { "-90", "120", "120", "500", 500 },
        { "1e9", "120", "120", "500", 500 },
        { "49.9", "120", "120", "500", 500 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(none)");
        Rig rig(c.stored);
        EXPECT_EQ(rig.tempo.Text4(), QString::fromLatin1(c.atLoad));
        EXPECT_EQ(rig.tempo.txtSpeed(), QString::fromLatin1(c.interval));
        rig.tempo.keyPressed();
        EXPECT_EQ(rig.tempo.lblMM(), QString::fromLatin1(c.atKey));
        EXPECT_EQ(rig.tempo.intervalMs(), c.ms);
    }
}

TEST(ScalePlayerTest, TempoReplies)
{
    struct Case
    {
        const char* reply;
        const char* tempo; // after the reply
        bool refused;
    };

    const Case cases[] = {
        { "", "120", false },
        { "49", "120", true },
        { "50", "50", false },
        { "500", "500", false },
        { "500.5", "120", true },
        { "abc", "120", true },
        { "120abc", "120abc", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        Rig rig;
        const QString reply = QString::fromLatin1(c.reply);
        rig.fake.boxes().answerInputNext(reply);
        EXPECT_EQ(rig.tempo.GGCommand12_Click(), !reply.isEmpty());
        EXPECT_EQ(rig.tempo.Text4(), QString::fromLatin1(c.tempo));
        const auto& shown = rig.fake.boxes().shown();
        ASSERT_EQ(shown.size(), c.refused ? 2u : 1u);
        EXPECT_EQ(shown[0].title, QStringLiteral("Scale Tempo"));
        EXPECT_EQ(shown[0].defaultText, QStringLiteral("120"));
        if (c.refused) {
            EXPECT_EQ(shown[1].text,
                QStringLiteral("Selected Tempo ") + reply
                    + QStringLiteral(" is out of range (50 - 500)."));
            EXPECT_EQ(shown[1].title, QStringLiteral("MIDI Piano"));
            EXPECT_EQ(shown[1].icon, MsgIcon::None);
        }
        // What the next opening reads.
        rig.tempo.unload();
        ScaleTempo next(*rig.fake.platform.settings, rig.fake.boxes());
        next.keyPressed();
        EXPECT_EQ(next.Text4(), QString::fromLatin1(c.tempo));
    }
}

} // namespace

// A scale, the accompaniment and the user's keys on one piano: each send carries its own time,
// so a step's due sample never reaches a note sent after it, nor one of the other player's.
TEST(ScalePlayerTest, TheScaleTheAccompanimentAndTheKeysEachKeepTheirOwnTime)
{
    Rig rig;
    BeatAccompaniment beats { rig.piano, *rig.fake.platform.midiOut, rig.time.reader(),
        rig.time.make(), {} };
    rig.scales.C2_Click(0); // Major, 500 ms a step
    const std::int64_t scaleStart = rig.time.now() + TimedStepper::kLeadSamples;
    rig.fake.midiOut().clearLog(); // the choice's releases at once, and the first note
    rig.runTo(scaleStart - TimedStepper::kLeadSamples + 1000);
    beats.mnBeat(0); // Rock, 130 ms a step
    const std::int64_t beatStart = rig.time.now() + TimedStepper::kLeadSamples;
    // The user strikes F5 (the "Q" key) between the players' steps, twice.
    for (int i = 1; i <= 2; ++i) {
        rig.runTo(scaleStart + i * 30000);
        rig.piano.keyDown(81);
        rig.piano.keyUp(81);
    }
    rig.runTo(scaleStart + 4 * 22050);
    beats.stop();

    int drums = 0;
    int scaleNotes = 0;
    int keys = 0;
    for (const FakeMidiEvent& e : rig.fakeMidi().log()) {
        if (e.kind != FakeMidiEvent::Kind::Send)
            continue;
        const int note = static_cast<int>((e.message >> 8) & 0x7F);
        if ((e.message & 0x0F) == PianoCore::kDrumChannel) {
            ++drums;
            ASSERT_TRUE(e.at) << "drum " << note;
            EXPECT_EQ((*e.at - beatStart) % 5733, 0) << "drum " << note << " at " << *e.at;
        } else if (note == 77) {
            ++keys;
            EXPECT_FALSE(e.at) << "the user's key at " << *e.at;
        } else {
            ++scaleNotes;
            ASSERT_TRUE(e.at) << "scale note " << note;
            EXPECT_EQ((*e.at - scaleStart) % 22050, 0) << "scale note " << note << " at " << *e.at;
        }
    }
    EXPECT_EQ(keys, 4); // two Ons, two Offs
    EXPECT_EQ(scaleNotes, 4); // D4, E4, F4 and G4
    EXPECT_GE(drums, 10);
}
