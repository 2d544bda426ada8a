#include "recorder/modrec.h"

#include "platform/FakePlatform.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/mci/FakeWaveAudio.h"
#include "platform/mci/MciCommandInterpreter.h"
#include "platform/mci/ScriptedMci.h"
#include "platform/settings/SettingsStore.h"

#include <set>

#include <gtest/gtest.h>

namespace {

struct Rig
{
    FakeWaveAudio& wave() { return static_cast<FakeWaveAudio&>(fake.platform.mci->backend()); }

    void record(std::int32_t rate, std::int16_t channels, std::int16_t bits, std::int64_t ms)
    {
        rec.RecordRate = rate;
        rec.RecordChannels = channels;
        rec.RecordBits = bits;
        rec.OpenNewWave();
        rec.SetWaveFormat();
        rec.StartRecording();
        wave().advance(ms);
        rec.StopRecording();
    }

    QStringList boxTexts()
    {
        QStringList texts;
        for (const BoxRequest& box : fake.boxes().shown())
            texts.append(box.text);
        return texts;
    }

    FakePlatform fake;
    ScriptedMci mci { *fake.platform.mci };
    modrec rec { mci, *fake.platform.boxes };
};

void store(Rig& rig, const char* name, const char* value)
{
    rig.fake.platform.settings->SaveRegValue(
        "Taktovia", "Gitara", name, value, SettingsStore::kCurrentUser, "Software");
}

} // namespace

TEST(modrec, aNewWaveInItsFormatIsFourCommandsWithTheFormatNumbersInOrder)
{
    Rig rig;
    rig.record(22050, 2, 8, 0);
    EXPECT_EQ(rig.mci.log,
        QStringList({ "close all", "open new type waveaudio alias capture", "seek capture to start",
            "set capture alignment 2 bitspersample 8 samplespersec 22050 channels 2 "
            "bytespersec 44100",
            "record capture", "stop capture" }));
    EXPECT_TRUE(rig.boxTexts().isEmpty());
}

TEST(modrec, theInfoTextWritesLengthAndFormatInTheNumberForm)
{
    struct Row
    {
        std::int32_t rate;
        std::int16_t channels;
        std::int16_t bits;
        std::int64_t ms;
        const char* channelReply; // nullptr: the device's own
        const char* text;
    };

    const Row rows[] = {
        { 11025, 1, 8, 1000, nullptr,
            "Length  1 s ( 11025 bytes)\r\nMono -  8 bits -  11025 Hz \r\n" },
        { 44100, 2, 16, 500, nullptr,
            "Length  .5 s ( 88200 bytes)\r\nStereo -  16 bits -  44100 Hz \r\n" },
        { 44100, 1, 16, 0, "3", "Length  0 s ( 0 bytes)\r\n 16 bits -  44100 Hz \r\n" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        Rig rig;
        rig.record(row.rate, row.channels, row.bits, row.ms);
        if (row.channelReply)
            rig.mci.replies["status capture channels"] = row.channelReply;
        rig.rec.GetWaveInfo();
        EXPECT_EQ(rig.rec.WaveInfoText, row.text);
        rig.rec.GetWaveMode();
        EXPECT_EQ(rig.rec.WaveModeText, "Recorder - stopped");
    }
}

// Five polls with some queries failing: each failing query is told once, whatever the others
// answer, and again only after it has answered in between.
TEST(modrec, aFailingStatusQueryShowsOneBoxUntilItAnswersAgain)
{
    const QString info = QStringLiteral("Error ocured!");
    const QString mode = QStringLiteral("Failure getting wave status...");

    struct Row
    {
        std::set<QString> failing;
        QStringList boxes;
    };

    const Row rows[] = {
        { { "status capture length", "status capture mode" }, { info, mode } },
        { { "status capture channels" }, { info } },
        { { "set capture time format bytes", "status capture samplespersec" }, { info } },
        { { "status capture mode" }, { mode } },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.boxes.join(u',').toStdString());
        Rig rig;
        rig.record(44100, 1, 16, 100);
        rig.mci.failing = row.failing;
        for (int tick = 0; tick < 5; ++tick) {
            rig.rec.GetWaveInfo();
            rig.rec.GetWaveMode();
        }
        EXPECT_EQ(rig.boxTexts(), row.boxes);
        EXPECT_EQ(rig.rec.WaveModeText,
            row.failing.contains("status capture mode") ? "Recorder - " : "Recorder - stopped");
    }

    Rig rig;
    rig.record(44100, 1, 16, 100);
    rig.mci.failing = { "status capture length" };
    rig.rec.GetWaveInfo();
    rig.mci.failing = { "status capture channels" }; // another query fails as the first clears
    rig.rec.GetWaveInfo();
    rig.mci.failing.clear();
    rig.rec.GetWaveInfo();
    rig.mci.failing = { "status capture channels" };
    rig.rec.GetWaveInfo();
    EXPECT_EQ(rig.boxTexts(), QStringList(3, info));
}

TEST(modrec, failuresShowTheirBoxesAndTheProcedureGoesOn)
{
    Rig rig;
    rig.record(48000, 3, 24, 0); // a refused format records nothing
    rig.wave().refuseRecording = true;
    rig.record(48000, 2, 16, 0); // no input device
    rig.mci.failing = { "status capture position", "play capture from 0" };
    EXPECT_EQ(rig.rec.GetWavePosition(), 0);
    rig.rec.PlayWaveFrom(0);
    EXPECT_FALSE(rig.rec.SaveWave(""));
    EXPECT_EQ(rig.boxTexts(),
        QStringList({ "Settings for recording not consistent",
            "Recording not possible. Please restart Kadentor and try again.",
            "Recording not possible. Please restart Kadentor and try again.",
            "Finding position failed!", "Error in position",
            "Playing from indicated position failed!", "Error with playing from the position.",
            "Unable to save " }));
    EXPECT_EQ(rig.fake.boxes().shown()[0].icon, MsgIcon::None);
    EXPECT_EQ(rig.fake.boxes().shown()[1].icon, MsgIcon::Information);
}

TEST(modrec, aStoredValueThatIsNotAWholeNumberInRangeReadsAsItsDefault)
{
    Rig rig;
    rig.rec.readFormat(*rig.fake.platform.settings);
    EXPECT_EQ(rig.rec.RecordRate, 44100);
    EXPECT_EQ(rig.rec.RecordChannels, 1);
    EXPECT_EQ(rig.rec.RecordBits, 16);
    store(rig, "Rate", "abc");
    store(rig, "Channels", "70000");
    store(rig, "Resolution", "8");
    rig.rec.readFormat(*rig.fake.platform.settings);
    EXPECT_EQ(rig.rec.RecordRate, 44100);
    EXPECT_EQ(rig.rec.RecordChannels, 1);
    EXPECT_EQ(rig.rec.RecordBits, 8);
}

// Each reason the device gives for a take it stopped is one box of its own; no reason, or no
// answer, is no box (a Record the device refused stops the take without a fault).
TEST(modrec, aTakeCutShortIsToldByWhatStoppedIt)
{
    struct Row
    {
        const char* reply; // nullptr: the query fails
        const char* box; // nullptr: none
    };

    const Row rows[] = {
        { "diskfull",
            "Recording stopped: the disk is full. What was recorded until then is kept; save it "
            "to a disk with free space." },
        { "sizelimit",
            "Recording stopped: a WAV file holds no more than 4 GB. What was recorded until then "
            "is kept." },
        { "writefailed",
            "Recording stopped: the recording could not be written to the disk. What was "
            "recorded until then is kept." },
        { "none", nullptr },
        { nullptr, nullptr },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.reply ? row.reply : "<failing>");
        Rig rig;
        rig.record(44100, 1, 16, 100);
        if (row.reply)
            rig.mci.replies["status capture fault"] = row.reply;
        else
            rig.mci.failing = { "status capture fault" };
        EXPECT_EQ(rig.rec.RecordingCutShort(), row.box != nullptr);
        EXPECT_EQ(rig.boxTexts(), row.box ? QStringList { row.box } : QStringList {});
        if (row.box) {
            EXPECT_EQ(rig.fake.boxes().shown()[0].title, "Kadentor");
        }
    }
}
