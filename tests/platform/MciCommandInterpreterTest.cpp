#include "platform/mci/MciCommandInterpreter.h"

#include "FileBytes.h"
#include "KilledChild.h"
#include "platform/FakePlatform.h"
#include "platform/audio/WavWriter.h"
#include "platform/files/FakeFileStore.h"
#include "platform/mci/FakeWaveAudio.h"
#include "platform/mci/MultimediaControl.h"
#include "platform/midi/FakeMidiFiles.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

struct Rig
{
    Rig() { EXPECT_EQ(send("open new type waveaudio alias capture"), 0); }

    int send(const char* command) { return fake.platform.mci->mciSendString(command, &reply); }

    QString status(const char* what)
    {
        EXPECT_EQ(send((QByteArray("status capture ") + what).constData()), 0) << what;
        return reply;
    }

    FakeWaveAudio& wave() { return static_cast<FakeWaveAudio&>(fake.platform.mci->backend()); }

    FakePlatform fake;
    QString reply;
};

} // namespace

TEST(MciCommandInterpreter, theFormatCommandTakesOnlyAConsistentPcmFormat)
{
    struct Row
    {
        const char* command;
        bool accepted;
    };

    const Row rows[] = {
        { "set capture alignment 2 bitspersample 8 samplespersec 22050 channels 2 bytespersec "
          "44100",
            true },
        { "set capture alignment 4 bitspersample 16 samplespersec 192000 channels 2 bytespersec "
          "768000",
            true },
        { "set capture alignment 1 bitspersample 8 samplespersec 1000 channels 1 bytespersec 1000",
            true },
        { "set capture alignment 1 bitspersample 8 samplespersec 999 channels 1 bytespersec 999",
            false },
        { "set capture alignment 2 bitspersample 16 samplespersec 192001 channels 1 bytespersec "
          "384002",
            false },
        { "set capture alignment 3 bitspersample 24 samplespersec 44100 channels 1 bytespersec "
          "132300",
            false },
        { "set capture alignment 1 bitspersample 8 samplespersec 44100 channels 3 bytespersec "
          "44100",
            false },
        { "set capture alignment 1 bitspersample 16 samplespersec 44100 channels 1 bytespersec "
          "44100",
            false }, // alignment does not fit
        { "set capture alignment 2 bitspersample 16 samplespersec 44100 channels 1 bytespersec "
          "44100",
            false }, // byte rate does not fit
        { "set capture alignment 2 bitspersample 16 samplespersec 99999999999 channels 1 "
          "bytespersec 199999999998",
            false },
        { "set capture alignment 2 bitspersample 16 samplespersec abc channels 1 bytespersec 0",
            false },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command);
        Rig rig;
        EXPECT_EQ(rig.send(row.command) == 0, row.accepted);
        // A refused format leaves the new wave's own one.
        if (!row.accepted) {
            EXPECT_EQ(rig.status("samplespersec"), "11025");
        }
    }
}

TEST(MciCommandInterpreter, recordStopPlayAndSaveScenarioOnTheManualClock)
{
    Rig rig;
    ASSERT_EQ(rig.send("set capture alignment 1 bitspersample 8 samplespersec 11025 channels 1 "
                       "bytespersec 11025"),
        0);
    ASSERT_EQ(rig.send("record capture"), 0);
    EXPECT_EQ(rig.status("mode"), "recording");
    rig.wave().advance(400);
    EXPECT_EQ(rig.status("length"), "400"); // grows while recording
    rig.wave().advance(600);
    ASSERT_EQ(rig.send("stop capture"), 0);
    EXPECT_EQ(rig.status("length"), "1000");
    EXPECT_EQ(rig.status("position"), "1000");
    ASSERT_EQ(rig.send("set capture time format bytes"), 0);
    EXPECT_EQ(rig.status("length"), "11025");
    EXPECT_EQ(rig.status("position"), "11025");

    ASSERT_EQ(rig.send("set capture time format ms"), 0);
    ASSERT_EQ(rig.send("play capture from 500"), 0);
    rig.wave().advance(200);
    EXPECT_EQ(rig.status("mode"), "playing");
    EXPECT_EQ(rig.status("position"), "700");
    ASSERT_EQ(rig.send("stop capture"), 0);
    EXPECT_EQ(rig.status("position"), "700");
    ASSERT_EQ(rig.send("play capture from 900"), 0);
    rig.wave().advance(500); // plays to its end by itself
    EXPECT_EQ(rig.status("mode"), "stopped");
    EXPECT_EQ(rig.status("position"), "1000");
    EXPECT_NE(rig.send("play capture from 1001"), 0);
    // The first millisecond whose byte offset at 11025 bytes a second overflows 64 bits.
    EXPECT_EQ(rig.send("play capture from 836587032821295"), kMciOutOfRange);

    const QString folder = rig.fake.dir.path() + "/my takes";
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + "/first take.wav";
    ASSERT_EQ(rig.send(("save capture " + path).toUtf8().constData()), 0);
    const QByteArray saved = fileBytes(path);
    ASSERT_EQ(saved.size(), 44 + 11025 + 1); // an odd data chunk ends in its pad byte
    EXPECT_EQ(saved.left(44), wavHeader(1, 11025, 8, 11025));
    for (int i : { 0, 1, 5000, 11024 })
        EXPECT_EQ(saved[44 + i], FakeWaveAudio::knownByte(i)) << i;
    // Nothing but the one file is left in the folder.
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList { "first take.wav" });
}

TEST(MciCommandInterpreter, aSaveThatFailsLeavesTheOldFileAndReportsIt)
{
    Rig rig;
    ASSERT_EQ(rig.send("record capture"), 0);
    rig.wave().advance(100);
    rig.send("stop capture");
    const QString path = rig.fake.dir.path() + "/old take.wav";
    ASSERT_TRUE(writeFileBytes(path, "old bytes"));
    rig.fake.files().fail = FakeFileStore::Fail::BeforeRename;
    EXPECT_EQ(rig.send(("save capture " + path).toUtf8().constData()), kMciCannotWrite);
    EXPECT_EQ(fileBytes(path), "old bytes");
    EXPECT_EQ(
        rig.send(("save capture " + rig.fake.dir.path() + "/missing/x.wav").toUtf8().constData()),
        kMciCannotWrite);
    EXPECT_EQ(rig.send("save capture "), kMciCannotWrite);

    // Killed before its rename, on a file system that makes no unnamed files: the old file stays,
    // and the part the save left goes with the next save into that folder.
    rig.fake.files().fail = FakeFileStore::Fail::Never;
    rig.fake.files().partFiles = true;
    const auto parts = [&] {
        return folderEntries(rig.fake.dir.path()).filter(QStringLiteral(".part")).size();
    };
    EXPECT_TRUE(killedInside([&] {
        rig.fake.files().fail = FakeFileStore::Fail::KilledBeforeRename;
        rig.send(("save capture " + path).toUtf8().constData());
    }));
    EXPECT_EQ(fileBytes(path), "old bytes");
    EXPECT_EQ(parts(), 1);
    ASSERT_EQ(rig.send(("save capture " + path).toUtf8().constData()), 0);
    EXPECT_EQ(parts(), 0);
    EXPECT_TRUE(fileBytes(path).startsWith("RIFF"));
}

TEST(MciCommandInterpreter, closeAllClosesTheCaptureAndEveryAddedControl)
{
    Rig rig;
    rig.fake.midiFiles().addFile("D3.mid", 2000);
    MultimediaControl sequencer(*rig.fake.platform.midiFiles);
    sequencer.setDeviceType(MciDevice::Sequencer);
    sequencer.setFileName("D3.mid");
    ASSERT_EQ(sequencer.open(), 0);
    rig.fake.platform.mci->addOtherDevice(&sequencer);

    EXPECT_EQ(rig.send("close all"), 0);
    EXPECT_FALSE(sequencer.isOpen());
    EXPECT_EQ(rig.send("status capture mode"), kMciAliasNotOpen);
    EXPECT_EQ(rig.send("open new type waveaudio alias capture"), 0);
    EXPECT_EQ(rig.send("open new type waveaudio alias capture"), kMciAliasInUse);
    rig.fake.platform.mci->removeOtherDevice(&sequencer);
}

// The disk fills under a take: the next command finds the take stopped where the disk ended it,
// what was recorded up to there stays (length, position, save), and why is told until the next
// recording.
TEST(MciCommandInterpreter, aTakeItsDiskStopsEndsThereAndSaysWhyUntilTheNextRecording)
{
    Rig rig;
    ASSERT_EQ(rig.send("set capture alignment 2 bitspersample 16 samplespersec 8000 channels 1 "
                       "bytespersec 16000"),
        0);
    rig.wave().diskRoom = 16000 + 1; // a second and half a frame
    ASSERT_EQ(rig.send("record capture"), 0);
    EXPECT_EQ(rig.status("fault"), "none");
    rig.wave().advance(1500);
    EXPECT_EQ(rig.status("mode"), "stopped");
    EXPECT_FALSE(rig.wave().recordingNow());
    EXPECT_EQ(rig.status("length"), "1000");
    EXPECT_EQ(rig.status("position"), "1000");
    EXPECT_EQ(rig.status("fault"), "diskfull");

    const QString path = rig.fake.dir.path() + "/cut.wav";
    ASSERT_EQ(rig.send(("save capture " + path).toUtf8().constData()), 0);
    const QByteArray saved = fileBytes(path);
    ASSERT_EQ(saved.size(), 44 + 16000);
    EXPECT_EQ(saved.left(44), wavHeader(1, 8000, 16, 16000));
    EXPECT_EQ(saved[44 + 15999], FakeWaveAudio::knownByte(15999));
    EXPECT_EQ(rig.wave().savedAs, path);
    EXPECT_EQ(rig.status("fault"), "diskfull");

    rig.wave().diskRoom = -1;
    ASSERT_EQ(rig.send("record capture"), 0);
    EXPECT_EQ(rig.status("fault"), "none");
    rig.wave().advance(500);
    EXPECT_EQ(rig.status("mode"), "recording");
    ASSERT_EQ(rig.send("stop capture"), 0);
    EXPECT_EQ(rig.status("length"), "1500");
}
