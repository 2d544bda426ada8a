#include "players/frmCD.h"

#include "platform/FakePlatform.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/midi/FakeMidiFiles.h"
#include "platform/mixer/FakeMixerService.h"
#include "players/FakeTempoLabels.h"

#include <climits>

#include <gtest/gtest.h>

namespace {

using Writes = std::vector<FakeTempoLabels::Write>;

FakeTempoLabels::Write lblTempo(const char* text)
{
    return { QStringLiteral("lblTempo"), QString::fromLatin1(text) };
}

FakeTempoLabels::Write text2(const char* text)
{
    return { QStringLiteral("Text2"), QString::fromLatin1(text) };
}

struct PlayerRig
{
    PlayerRig()
    {
        files().addFile(QStringLiteral("D3.mid"), 95000);
        files().addFile(QStringLiteral("Ex1.mid"), 400);
        files().addFile(QStringLiteral("Ex2.mid"), 120000);
        files().failFile(QStringLiteral("bad.mid"), MidiFileError::Malformed);
        files().failFile(QStringLiteral("nosynth.mid"), MidiFileError::NoSynth);
    }

    FakeMidiFiles& files() { return fake.midiFiles(); }

    const std::vector<BoxRequest>& boxes() { return fake.boxes().shown(); }

    // The main window's MIDI launcher, from its stop of the player on.
    void launch(const char* name, const char* file)
    {
        player.stani2();
        player.setTxtmidi(QString());
        labels.setText2(QString());
        labels.setLblTempo(QString::fromLatin1(name));
        player.setTxtmidi(QString::fromLatin1(file));
        labels.clearWrites();
        player.svirajmidi();
        player.sviraj();
    }

    FakePlatform fake;
    FakeTempoLabels labels;
    frmCD player { fake.platform, labels };
};

TEST(frmCDTest, FormatMsTimeRoundsToWholeSecondsHalvesToEven)
{
    const std::pair<std::int32_t, const char*> cases[] = { { 500, "00:00" }, { 1500, "00:02" },
        { 2500, "00:02" }, { 59500, "01:00" }, { 3599499, "59:59" }, { INT_MAX, "596:31:24" },
        { -59999, "00:00" }, { INT_MIN, "00:00" } };
    for (const auto& [ms, text] : cases) {
        SCOPED_TRACE(ms);
        EXPECT_EQ(FormatMsTime(ms), QString::fromLatin1(text));
    }
}

TEST(frmCDTest, OpeningAFileMirrorsItsLengthThenTheRunningTime)
{
    PlayerRig rig;
    rig.launch("PolyRhithm", "Ex1.mid");
    // A length that shows as "00:00" is appended to the name instead.
    EXPECT_EQ(rig.labels.writes(),
        (Writes { lblTempo("PolyRhithm 00:00"), text2("[0]  00:00"), text2("    00:00") }));
    rig.launch("D3", "D3.mid");
    EXPECT_EQ(rig.labels.writes(),
        (Writes { lblTempo("01:35"), text2("[1]  00:00"), text2("    00:00") }));
    EXPECT_EQ(rig.player.mmControl1().updateInterval(), 50);
    EXPECT_EQ(rig.files().log(),
        (QStringList { "open Ex1.mid", "play", "close", "open D3.mid", "play" }));

    rig.labels.clearWrites();
    for (std::int64_t ms : { 400, 1400, 1500, 2400, 2600 }) {
        rig.files().setPositionMs(ms);
        emit rig.player.mmControl1().statusUpdate();
    }
    // The text changes once a second; an unchanged text writes nothing.
    EXPECT_EQ(rig.labels.writes(),
        (Writes { text2("    00:01"), text2("    00:02"), text2("    00:03") }));
}

TEST(frmCDTest, OpenAnotherThenNoFileThenStopInMidiAndInCdMode)
{
    PlayerRig rig;
    rig.launch("D3", "D3.mid");
    rig.player.setTxtmidi(QStringLiteral("Ex2.mid"));
    rig.labels.clearWrites();
    rig.player.svirajmidi();
    // The running time still reads "    00:00" from the first file: no change, no write.
    EXPECT_EQ(rig.labels.writes(),
        (Writes { lblTempo(""), text2("[1]  00:00"), lblTempo("02:00"), text2("[1]  00:00") }));

    // The examples' stop hands over an empty name: closed, and the labels keep what they show.
    rig.labels.clearWrites();
    rig.player.setTxtmidi(QString());
    rig.player.svirajmidi();
    rig.player.sviraj();
    EXPECT_FALSE(rig.player.mmControl1().isOpen());
    EXPECT_EQ(rig.player.mmControl1().updateInterval(), 0);

    // A stop in MIDI mode unloads the player: the next touch loads it afresh, in CD mode.
    rig.player.setTxtmidi(QStringLiteral("D3.mid"));
    rig.player.svirajmidi();
    rig.labels.clearWrites();
    rig.player.stani2();
    EXPECT_TRUE(rig.player.isCD());
    EXPECT_EQ(rig.player.txtmidi(), QString());
    EXPECT_TRUE(rig.labels.writes().empty());

    // In CD mode the stop writes the CD texts once and keeps the file name.
    rig.player.setTxtmidi(QStringLiteral("E3.mid"));
    rig.player.stani2();
    rig.player.stani2();
    EXPECT_EQ(rig.labels.writes(), (Writes { text2("[0]  00:00") }));
    EXPECT_EQ(rig.player.txtmidi(), QStringLiteral("E3.mid"));
    // The full stop tries the disc too: there is none, and that is no error to show.
    rig.player.stani();
    EXPECT_TRUE(rig.boxes().empty());
    EXPECT_EQ(rig.files().log(),
        (QStringList {
            "open D3.mid", "play", "close", "open Ex2.mid", "close", "open D3.mid", "close" }));
}

TEST(frmCDTest, AFileThatCannotOpenShowsOneBoxAndPlayThenDoesNothing)
{
    const std::pair<const char*, const char*> cases[] = { { "E5.mid", "Unknown error ( 30275)." },
        { "bad.mid", "Unknown error ( 30296)." },
        { "nosynth.mid", "Error: media device driver missing." } };
    for (const auto& [file, text] : cases) {
        SCOPED_TRACE(file);
        PlayerRig rig;
        rig.launch("E5", file);
        ASSERT_EQ(rig.boxes().size(), 1u);
        EXPECT_EQ(rig.boxes()[0].text, QString::fromLatin1(text));
        EXPECT_EQ(rig.boxes()[0].icon, MsgIcon::Exclamation);
        EXPECT_EQ(rig.files().log(), QStringList { QStringLiteral("open ") + file });
        EXPECT_EQ(rig.player.mmControl1().updateInterval(), 0);
        EXPECT_TRUE(rig.labels.writes().empty());
    }
}

TEST(frmCDTest, EachLoadStartsTheVolumeBarAtZeroOnTheOneMixerOfTheRun)
{
    struct Case
    {
        const char* what;
        bool failOpen;
        bool control;
        std::vector<long> set;
        std::size_t boxes;
    };

    const Case cases[] = { { "open", false, true, { 32768, 13107 }, 0 },
        { "failed: shown once", true, true, {}, 1 }, { "no master control", false, false, {}, 0 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PlayerRig rig;
        rig.fake.mixer().failOpen = c.failOpen;
        if (!c.control)
            rig.fake.mixer().control.reset();
        rig.player.DajJako(50);
        rig.launch("D3", "D3.mid");
        EXPECT_EQ(rig.labels.lblTempo(), QStringLiteral("01:35")) << "plays without a mixer too";
        rig.player.stani2(); // a MIDI stop loads the player again, with a new MasterVolume
        EXPECT_EQ(rig.player.prgVolume(), 0.0f);
        rig.player.DajJako(20);
        EXPECT_EQ(rig.fake.mixer().openAttempts, 1);
        EXPECT_EQ(rig.fake.mixer().valuesSet, c.set);
        ASSERT_EQ(rig.boxes().size(), c.boxes);
        for (const BoxRequest& box : rig.boxes())
            EXPECT_EQ(box.text, QStringLiteral("Couldn't open the mixer."));
    }
}

} // namespace
