#include "FileBytes.h"
#include "MainWindowRig.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/audio/WavWriter.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/midi/FakeMidiFiles.h"

#include <cmath>

#include <QFile>
#include <QLabel>

#include <gtest/gtest.h>

namespace {

QString shown(MainWindowRig& rig, const char* label)
{
    return rig.control<QLabel>(label)->text();
}

// What every launcher but the examples' stop does first: its own stop of the player, then the
// dial reset's stop, as the mode word is "PITCH" or "POLY" when it starts.
const QStringList kStops { "stani2", "txtmidi=", "stani2", "txtmidi=" };

QStringList plays(const char* file)
{
    return kStops
        + QStringList { QStringLiteral("txtmidi=") + QString::fromLatin1(file), "svirajmidi",
              "sviraj" };
}

} // namespace

TEST(ReferenceLaunchers, EveryPitchAndPolyEntryStopsBeforeItOpensAndEndsInItsModeWord)
{
    struct Case
    {
        const char* menu;
        int index;
        QStringList calls;
        const char* lblTempo;
        const char* mode;
    };

    const Case cases[] = {
        { "Picka", 0, kStops, "A4 = 440 Hz", "PITCH" },
        // The tone generator's dial reset turned "PITCH" into "MM", and nothing sets it again.
        { "Picka", 1, kStops + QStringList { "show:frmfrekvencije" }, "", "MM" },
        { "Picka", 2, plays("D3.mid"), "D3", "PITCH" },
        { "Picka", 3, plays("E3.mid"), "E3", "PITCH" },
        { "Picka", 4, plays("G3.mid"), "G3", "PITCH" },
        { "Picka", 5, plays("A3.mid"), "A3", "PITCH" },
        { "Picka", 6, plays("D4.mid"), "D4", "PITCH" },
        { "Picka", 7, plays("G4.mid"), "G4", "PITCH" },
        { "Picka", 8, plays("A4.mid"), "A4", "PITCH" },
        { "Picka", 9, plays("H4.mid"), "B4 or H4", "PITCH" },
        { "Picka", 10, plays("E5.mid"), "E5", "PITCH" },
        { "Picka", 11, {}, "", "PITCH" },
        { "Picka", 12, kStops, "", "PITCH" },
        { "Primeri", 2, plays("Ex1.mid"), "PolyRhithm", "POLY" },
        { "Primeri", 3, plays("Ex2.mid"), "PolyRhithm", "POLY" },
        { "Primeri", 4, plays("Ex3.mid"), "PolyRhithm", "POLY" },
        { "Primeri", 5, plays("Ex4.mid"), "PolyRhithm", "POLY" },
        { "Primeri", 6, plays("Ex5.mid"), "PolyRhithm", "POLY" },
        { "Primeri", 7, {}, "", "PITCH" },
        // The dial is not touched: one stop only, and an empty name handed over.
        { "Primeri", 8, { "stani2", "txtmidi=", "txtmidi=", "svirajmidi", "sviraj" }, "", "MM" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.menu) + "(" + std::to_string(c.index) + ")");
        MainWindowRig rig;
        ASSERT_TRUE(rig.start());
        rig.calls.clear();
        if (QByteArray(c.menu) == "Picka")
            rig.window().Picka(c.index);
        else
            rig.window().Primeri(c.index);
        EXPECT_EQ(rig.calls, c.calls);
        EXPECT_EQ(shown(rig, "lblTempo"), QString::fromLatin1(c.lblTempo));
        EXPECT_EQ(shown(rig, "Text2"), QString());
        EXPECT_EQ(shown(rig, "lblcd"), QString::fromLatin1(c.mode));
        EXPECT_EQ(rig.dial().ValueText(), QStringLiteral("00:00:00"));
    }
}

TEST(ReferenceLaunchers, EveryPolyEntryStopsARunningBeatFirstEvenTheSeparator)
{
    for (int index : { 2, 7, 8 }) {
        SCOPED_TRACE(index);
        MainWindowRig rig;
        ASSERT_TRUE(rig.start());
        rig.dragDialTo(40);
        ASSERT_TRUE(rig.metronome().running());
        ASSERT_TRUE(rig.stepping());
        rig.window().Primeri(index);
        EXPECT_FALSE(rig.metronome().running());
        EXPECT_FALSE(rig.stepping());
    }
}

TEST(ReferenceLaunchers, ThePlayerDecidesTheTextsAndReportsAMissingFileOnce)
{
    MainWindowRig rig;
    rig.fake.midiFiles().addFile(QStringLiteral("Ex1.mid"), 24000);
    rig.fake.midiFiles().addFile(QStringLiteral("A3.mid"), 10500);
    ASSERT_TRUE(rig.start(true));

    rig.window().Primeri(2);
    EXPECT_EQ(shown(rig, "lblTempo"), QStringLiteral("00:24"));
    EXPECT_EQ(shown(rig, "lblcd"), QStringLiteral("POLY"));

    // The examples' stop hands the player an empty name: nothing opens, nothing plays, and no
    // time is written over the blanked texts.
    rig.fake.midiFiles().clearLog();
    rig.window().Primeri(8);
    EXPECT_EQ(rig.fake.midiFiles().log(), QStringList({ "close" }));
    EXPECT_EQ(shown(rig, "lblTempo"), QString());
    EXPECT_EQ(shown(rig, "Text2"), QString());
    EXPECT_EQ(shown(rig, "lblcd"), QStringLiteral("MM"));

    // "D4" while "A3" plays: the first file is closed before the second opens; a missing file
    // is the player's one box, and the launcher still sets its mode word.
    rig.window().Picka(5);
    rig.fake.midiFiles().clearLog();
    rig.window().Picka(6);
    const QStringList log = rig.fake.midiFiles().log();
    ASSERT_FALSE(log.isEmpty());
    EXPECT_EQ(log.indexOf("close"), log.lastIndexOf("close"));
    EXPECT_LT(log.indexOf("close"), log.indexOf("open D4.mid"));
    EXPECT_EQ(rig.fake.boxes().shown().size(), 1u);
    EXPECT_EQ(shown(rig, "lblcd"), QStringLiteral("PITCH"));

    rig.window().Primeri(4);
    EXPECT_EQ(rig.fake.boxes().shown().size(), 2u);
    EXPECT_EQ(shown(rig, "lblcd"), QStringLiteral("POLY"));
}

TEST(ReferenceLaunchers, The440HzEntryPlaysTheToneFileOfTheProgramFolderAndGoesOn)
{
    MainWindowRig rig;
    // The folder as a desktop may hand it over, with its separator at the end.
    rig.fake.platform.programFolder += u'/';
    QByteArray pcm;
    for (int i = 0; i < 4410; ++i) {
        const auto sample = static_cast<qint16>(8000 * std::sin(2 * M_PI * 440 * i / 44100.0));
        pcm.append(char(sample & 0xFF)).append(char((sample >> 8) & 0xFF));
    }
    const QString tone = rig.fake.dir.filePath(QStringLiteral("440.wav"));
    ASSERT_TRUE(writeFileBytes(tone, wavFileBytes(1, 44100, 16, pcm)));
    ASSERT_TRUE(rig.start());

    rig.fake.platform.audio->takeClipStarts();
    rig.window().Picka(0);
    // It returns at once, the tone placed to start with the next block.
    EXPECT_EQ(rig.fake.platform.audio->takeClipStarts().size(), 0u);
    rig.fake.audioDevice().renderFrames(2048);
    EXPECT_EQ(rig.fake.platform.audio->takeClipStarts().size(), 1u);
    EXPECT_TRUE(rig.fake.boxes().shown().empty());

    // A missing tone file plays nothing and says nothing.
    ASSERT_TRUE(QFile::remove(tone));
    rig.window().Picka(0);
    rig.fake.audioDevice().renderFrames(2048);
    EXPECT_TRUE(rig.fake.platform.audio->takeClipStarts().empty());
    EXPECT_TRUE(rig.fake.boxes().shown().empty());
    EXPECT_EQ(shown(rig, "lblTempo"), QStringLiteral("A4 = 440 Hz"));
}
