#include "players/frmCD.h"

#include "SmfWriter.h"
#include "platform/FakePlatform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/midi/FakeMidiFiles.h"
#include "platform/midi/MidiFilePlayer.h"
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

    std::vector<BoxRequest> boxes() const
    {
        return const_cast<FakePlatform&>(fake).boxes().shown();
    }

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

TEST(frmCDTest, FormatMsTimeRoundsHalvesToEvenAndShowsHoursFromOneHourOn)
{
    const struct
    {
        std::int32_t ms;
        const char* text;
    } cases[] = {
        { 0, "00:00" },
        { 499, "00:00" },
        { 500, "00:00" },
        { 1500, "00:02" },
        { 2500, "00:02" },
        { 3500, "00:04" },
        { 59499, "00:59" },
        { 59500, "01:00" },
        { 95000, "01:35" },
        { 3599499, "59:59" },
        { 3600000, "1:00:00" },
        { 36000000, "10:00:00" },
        { INT_MAX, "596:31:24" },
        { -1, "00:00" },
        { -59999, "00:00" },
        { INT_MIN, "00:00" },
    };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.ms);
        EXPECT_EQ(FormatMsTime(c.ms), QString::fromLatin1(c.text));
    }
}

TEST(frmCDTest, OpeningAFileMirrorsItsLengthThenTheRunningTime)
{
    PlayerRig rig;
    rig.launch("D3", "D3.mid");
    EXPECT_EQ(rig.labels.writes(),
        (Writes { lblTempo("01:35"), text2("[1]  00:00"), text2("    00:00") }));
    EXPECT_EQ(rig.player.mmControl1().updateInterval(), 50);
    EXPECT_EQ(rig.files().log(), (QStringList { "open D3.mid", "play" }));

    rig.labels.clearWrites();
    for (std::int64_t ms : { 400, 1400, 1500, 2400, 2600 }) {
        rig.files().setPositionMs(ms);
        emit rig.player.mmControl1().statusUpdate();
    }
    // The text changes once a second; an unchanged text writes nothing.
    EXPECT_EQ(rig.labels.writes(),
        (Writes { text2("    00:01"), text2("    00:02"), text2("    00:03") }));
    EXPECT_TRUE(rig.boxes().empty());
}

TEST(frmCDTest, AFileUnderASecondAppendsItsZeroLengthToTheName)
{
    PlayerRig rig;
    rig.launch("PolyRhithm", "Ex1.mid");
    EXPECT_EQ(rig.labels.writes(),
        (Writes { lblTempo("PolyRhithm 00:00"), text2("[0]  00:00"), text2("    00:00") }));
    EXPECT_EQ(rig.labels.lblTempo(), QStringLiteral("PolyRhithm 00:00"));
}

TEST(frmCDTest, StopInMidiModeReloadsThePlayerAndInCdModeKeepsIt)
{
    PlayerRig rig;
    rig.launch("D3", "D3.mid");
    rig.files().clearLog();
    rig.labels.clearWrites();

    rig.player.stani2();
    EXPECT_EQ(rig.files().log(), (QStringList { "close" }));
    EXPECT_TRUE(rig.player.isCD());
    EXPECT_EQ(rig.player.txtmidi(), QString()) << "loaded afresh";
    EXPECT_EQ(rig.player.mmControl1().updateInterval(), 0);
    EXPECT_FALSE(rig.player.mmControl1().isOpen());
    EXPECT_TRUE(rig.labels.writes().empty());

    // Now in CD mode: the stop writes the CD texts and keeps the window and its file name.
    rig.player.setTxtmidi(QStringLiteral("E3.mid"));
    rig.player.stani2();
    EXPECT_EQ(rig.labels.writes(), (Writes { text2("[0]  00:00") }));
    EXPECT_EQ(rig.player.txtmidi(), QStringLiteral("E3.mid"));
    rig.player.stani2();
    EXPECT_EQ(rig.labels.writes().size(), 1u) << "the same texts again are no change";

    // The full stop tries the disc too: there is none, and that is no error to show.
    rig.player.stani();
    EXPECT_TRUE(rig.player.isCD());
    EXPECT_TRUE(rig.boxes().empty());
    EXPECT_EQ(rig.files().log(), (QStringList { "close" }));
}

TEST(frmCDTest, ASecondOpenClosesTheFirstFile)
{
    PlayerRig rig;
    rig.launch("D3", "D3.mid");
    rig.player.setTxtmidi(QStringLiteral("Ex2.mid"));
    rig.labels.clearWrites();
    rig.player.svirajmidi();
    EXPECT_EQ(rig.files().log(), (QStringList { "open D3.mid", "play", "close", "open Ex2.mid" }));
    // The running time still reads "    00:00" from the first file: no change, no write.
    EXPECT_EQ(rig.labels.writes(),
        (Writes { lblTempo(""), text2("[1]  00:00"), lblTempo("02:00"), text2("[1]  00:00") }));
}

TEST(frmCDTest, AnEmptyNameLeavesTheDeviceClosedSilently)
{
    PlayerRig rig;
    rig.launch("D3", "D3.mid");
    rig.files().clearLog();
    // The examples' stop: the player stopped, then an empty name opened and played.
    rig.player.stani2();
    rig.player.setTxtmidi(QString());
    rig.labels.clearWrites();
    rig.player.svirajmidi();
    rig.player.sviraj();
    EXPECT_EQ(rig.files().log(), (QStringList { "close" }));
    EXPECT_TRUE(rig.labels.writes().empty());
    EXPECT_EQ(rig.player.mmControl1().length(), 0);
    EXPECT_EQ(rig.player.mmControl1().updateInterval(), 0);
    EXPECT_TRUE(rig.boxes().empty());

    // Also while a file is open: it is closed, and the labels keep what they show.
    rig.launch("D3", "D3.mid");
    rig.labels.clearWrites();
    rig.player.setTxtmidi(QString());
    rig.player.svirajmidi();
    EXPECT_FALSE(rig.player.mmControl1().isOpen());
    EXPECT_TRUE(rig.labels.writes().empty());
}

TEST(frmCDTest, AFileThatCannotOpenShowsOneBoxAndPlayThenDoesNothing)
{
    const struct
    {
        const char* file;
        const char* text;
    } cases[] = {
        { "E5.mid", "Unknown error ( 30275)." },
        { "bad.mid", "Unknown error ( 30296)." },
        { "nosynth.mid", "Error: media device driver missing." },
    };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        PlayerRig rig;
        rig.launch("E5", c.file);
        const auto boxes = rig.boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, QString::fromLatin1(c.text));
        EXPECT_EQ(boxes[0].icon, MsgIcon::Exclamation);
        EXPECT_EQ(boxes[0].buttons, MsgButtons::OK);
        EXPECT_EQ(boxes[0].title, kAppTitle);
        EXPECT_EQ(rig.files().log(), QStringList { QStringLiteral("open ") + c.file });
        EXPECT_EQ(rig.player.mmControl1().updateInterval(), 0);
        EXPECT_FALSE(rig.player.isCD());
        EXPECT_TRUE(rig.labels.writes().empty());
    }
}

TEST(frmCDTest, TheVolumeSliderSetsTheMasterVolumeAndEachLoadStartsTheBarAtZero)
{
    PlayerRig rig;
    rig.player.DajJako(50);
    EXPECT_EQ(rig.fake.mixer().valuesSet, std::vector<long> { 50000 });
    EXPECT_EQ(rig.fake.mixer().openAttempts, 1);
    rig.launch("D3", "D3.mid");
    rig.player.stani2(); // a MIDI stop loads the player again
    EXPECT_EQ(rig.player.prgVolume(), 0.0f);
    rig.player.DajJako(20);
    EXPECT_EQ(rig.fake.mixer().valuesSet, (std::vector<long> { 50000, 20000 }));
    EXPECT_TRUE(rig.boxes().empty());
}

TEST(frmCDTest, AMixerThatWillNotOpenIsReportedOnceAndThePlayerStillPlays)
{
    FakePlatform fake;
    fake.mixer().failOpen = true;
    fake.midiFiles().addFile(QStringLiteral("D3.mid"), 95000);
    FakeTempoLabels labels;
    frmCD player(fake.platform, labels);
    player.setTxtmidi(QStringLiteral("D3.mid"));
    player.svirajmidi();
    player.sviraj();
    player.stani2();
    player.DajJako(50);
    ASSERT_EQ(fake.boxes().shown().size(), 1u);
    EXPECT_EQ(fake.boxes().shown()[0].text, QStringLiteral("Couldn't open the mixer."));
    EXPECT_EQ(labels.lblTempo(), QStringLiteral("01:35"));
    EXPECT_TRUE(fake.mixer().valuesSet.empty());
}

TEST(frmCDTest, AGeneratedFilePlaysOnTheRealSequencerAndReportsItsTime)
{
    FakePlatform fake;
    fake.platform.midiFiles =
        std::make_unique<SynthMidiFiles>(*fake.platform.audio, sharedSoundFont());
    SmfWriter song(0, 480);
    song.track().tempo(0, 500000).noteOn(0, 0, 69).noteOff(1920, 0, 69).end(188 * 480 - 1920);
    ASSERT_TRUE(song.save(fake.dir.filePath(QStringLiteral("A4.mid"))));
    FakeTempoLabels labels;
    frmCD player(fake.platform, labels);

    player.setTxtmidi(QStringLiteral("A4.mid"));
    player.svirajmidi();
    EXPECT_EQ(labels.lblTempo(), QStringLiteral("01:34"));
    player.sviraj();
    fake.audioDevice().renderFrames(AudioEngine::kSampleRate * 5 / 2);
    emit player.mmControl1().statusUpdate();
    EXPECT_EQ(labels.text2(), QStringLiteral("    00:02")); // 2.5 s, halves to even
    player.stani2();
    EXPECT_FALSE(player.mmControl1().isOpen());
    EXPECT_TRUE(fake.boxes().shown().empty());
}

} // namespace
