#include "recorder/frmRec.h"

#include "FileBytes.h"
#include "platform/FakePlatform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/FakeCaptureDevice.h"
#include "platform/audio/FullDisk.h"
#include "platform/audio/WavWriter.h"
#include "platform/audio/WaveCapture.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/files/FakeFileStore.h"
#include "platform/mci/EngineWaveAudio.h"
#include "platform/mci/FakeWaveAudio.h"
#include "platform/mci/MciCommandInterpreter.h"
#include "platform/mci/ScriptedMci.h"
#include "platform/settings/SettingsStore.h"
#include "recorder/frmSettings.h"
#include "recorder/modrec.h"
#include "windows/Mp3Window.h"

#include <chrono>
#include <deque>
#include <thread>

#include <QCoreApplication>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct FakeMp3Window : Mp3Window
{
    void ubaciW(const QString& fullPath, const QString& fileName) override
    {
        handed.append(fullPath + u'|' + fileName);
    }

    void show() override { ++shown; }

    QStringList handed;
    int shown = 0;
};

// The buttons Record, Stop, Play, Save as "1" for enabled and "0" for disabled.
QString buttonStates(const frmRec& window)
{
    QString states;
    for (const QPushButton* button :
        { window.cmdRecord, window.cmdStop, window.cmdPlay, window.cmdSave })
        states += button->isEnabled() ? u'1' : u'0';
    return states;
}

const QStringList kNewWave = { "close all", "open new type waveaudio alias capture",
    "seek capture to start",
    "set capture alignment 2 bitspersample 16 samplespersec 44100 channels 1 bytespersec 88200" };

struct Rig
{
    // Values stored in section "Gitara" before the window loads.
    explicit Rig(std::initializer_list<std::pair<const char*, const char*>> stored = {})
    {
        for (const auto& [name, value] : stored)
            fake.platform.settings->SaveRegValue(
                "Taktovia", "Gitara", name, value, SettingsStore::kCurrentUser, "Software");
        window = &frmRec::load(fake.platform, rec, encoder);
        window->askSavePath = [this](QWidget*) {
            if (paths.empty())
                return QString(); // the dialog cancelled
            const QString path = paths.front();
            paths.pop_front();
            return path;
        };
    }

    ~Rig()
    {
        frmRec::unload();
        frmSettings::unload();
        QCoreApplication::processEvents();
    }

    FakeWaveAudio& wave() { return static_cast<FakeWaveAudio&>(fake.platform.mci->backend()); }

    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    QString buttons() { return buttonStates(*window); }

    QStringList boxTexts()
    {
        QStringList texts;
        for (const BoxRequest& box : fake.boxes().shown())
            texts.append(box.text);
        return texts;
    }

    void answerSave(const QString& path) { paths.push_back(path); }

    QString stored(const char* name)
    {
        return fake.platform.settings
            ->GetRegValue(
                "Taktovia", "Gitara", name, "<none>", SettingsStore::kCurrentUser, "Software")
            .toString();
    }

    FakePlatform fake;
    ScriptedMci mci { *fake.platform.mci };
    modrec rec { mci, *fake.platform.boxes };
    FakeMp3Window encoder;
    frmRec* window = nullptr;
    std::deque<QString> paths;
};

} // namespace

TEST(frmRec, recordStopPlayAndThePollFollowTheCommandTableAndTheButtonStates)
{
    Rig rig;
    EXPECT_EQ(rig.mci.log, kNewWave);
    EXPECT_EQ(rig.buttons(), "1000");

    rig.mci.log.clear();
    rig.click(rig.window->cmdRecord);
    EXPECT_EQ(rig.mci.log, kNewWave + QStringList { "record capture" });
    EXPECT_EQ(rig.buttons(), "0100");
    EXPECT_EQ(rig.window->lblrec, "REC");
    rig.wave().advance(1500);

    rig.mci.log.clear();
    rig.click(rig.window->cmdStop);
    EXPECT_EQ(rig.mci.log,
        QStringList({ "stop capture", "set capture time format ms", "status capture position",
            "set capture time format ms", "status capture position" }));
    EXPECT_EQ(rig.buttons(), "0011");
    EXPECT_EQ(rig.window->Slider1->maximum(), 1500);

    rig.mci.log.clear();
    rig.window->Timer2_Timer();
    EXPECT_EQ(rig.mci.log,
        QStringList({ "set capture time format ms", "status capture length",
            "set capture time format bytes", "status capture length", "status capture channels",
            "status capture bitspersample", "status capture samplespersec",
            "status capture mode" }));
    EXPECT_EQ(rig.window->windowTitle(), "Recorder - stopped");

    // A playback that ends by itself: the next tick turns Stop off and Play on.
    rig.window->Slider1->setValue(1000);
    rig.mci.log.clear();
    rig.click(rig.window->cmdPlay);
    EXPECT_EQ(rig.mci.log, QStringList({ "set capture time format ms", "play capture from 1000" }));
    EXPECT_EQ(rig.buttons(), "0101");
    rig.wave().advance(600);
    rig.window->Timer2_Timer();
    EXPECT_EQ(rig.buttons(), "0011");
    EXPECT_TRUE(rig.rec.WavePlaying);

    // A playback stopped at 0 leaves the slider a range of 10; a press on the slider is Stop.
    rig.window->Slider1->setValue(0);
    rig.click(rig.window->cmdPlay);
    QTest::mousePress(rig.window->Slider1, Qt::LeftButton);
    EXPECT_FALSE(rig.wave().playingNow());
    EXPECT_EQ(rig.window->Slider1->maximum(), 10);
    EXPECT_FALSE(rig.rec.WavePlaying);
    EXPECT_TRUE(rig.boxTexts().isEmpty());
}

TEST(frmRec, anUnsavedTakeIsNeverDroppedWithoutAsking)
{
    Rig rig;
    rig.click(rig.window->cmdRecord);
    rig.wave().advance(200);
    rig.click(rig.window->cmdStop);

    // New and Options... answered Cancel change nothing.
    for (QPushButton* button : { rig.window->cmdReset, rig.window->cmdSettings }) {
        rig.mci.log.clear();
        rig.fake.boxes().answerNext(MsgResult::Cancel);
        rig.click(button);
        EXPECT_TRUE(rig.mci.log.isEmpty());
        EXPECT_EQ(rig.window->lblrec, "REC");
        EXPECT_EQ(rig.buttons(), "0011");
    }
    EXPECT_EQ(rig.boxTexts(), QStringList(2, "Current recording will be lost. Continue?"));
    EXPECT_EQ(rig.fake.boxes().shown()[0].title, "Recording in progress");

    // Cancel while recording stops first, asks, and a cancelled save keeps the window.
    rig.fake.boxes().answerNext(MsgResult::OK);
    rig.click(rig.window->cmdReset);
    EXPECT_TRUE(rig.window->lblrec.isEmpty());
    rig.click(rig.window->cmdRecord);
    rig.wave().advance(300);
    rig.mci.log.clear();
    rig.fake.boxes().answerNext(MsgResult::Yes);
    rig.click(rig.window->Command1);
    EXPECT_EQ(rig.mci.log.value(0), "stop capture");
    EXPECT_EQ(rig.boxTexts().last(), "Save current recording?");
    QCoreApplication::processEvents();
    ASSERT_TRUE(frmRec::isLoaded());
    EXPECT_EQ(rig.window->lblrec, "REC");

    // A save that fails keeps the mark, the names and the old file; Encode... hands over
    // nothing then.
    const QString path = rig.fake.dir.path() + "/my take.wav";
    ASSERT_TRUE(writeFileBytes(path, "old"));
    rig.fake.files().fail = FakeFileStore::Fail::BeforeRename;
    rig.answerSave(path);
    rig.fake.boxes().answerNext(MsgResult::Yes);
    rig.click(rig.window->Command2);
    EXPECT_EQ(rig.boxTexts().last(), "Unable to save " + path);
    EXPECT_EQ(rig.window->lblrec, "REC");
    EXPECT_TRUE(rig.encoder.handed.isEmpty());
    EXPECT_EQ(rig.encoder.shown, 1);
    EXPECT_EQ(fileBytes(path), "old");

    // A name without extension gets ".wav"; the file holds the take; Encode... hands it over.
    rig.fake.files().fail = FakeFileStore::Fail::Never;
    rig.answerSave(rig.fake.dir.path() + "/second take");
    rig.fake.boxes().answerNext(MsgResult::Yes);
    rig.click(rig.window->Command2);
    const QString saved = rig.fake.dir.path() + "/second take.wav";
    EXPECT_EQ(rig.encoder.handed, QStringList { saved + "|second take.wav" });
    EXPECT_TRUE(rig.window->lblrec.isEmpty());
    EXPECT_EQ(fileBytes(saved).size(), 44 + 300 * 88200 / 1000);

    // Saved: Cancel asks nothing, stores the format and unloads.
    rig.fake.boxes().clear();
    rig.click(rig.window->Command1);
    QCoreApplication::processEvents();
    EXPECT_FALSE(frmRec::isLoaded());
    EXPECT_TRUE(rig.boxTexts().isEmpty());
    EXPECT_EQ(rig.mci.log.last(), "close capture");
    EXPECT_EQ(rig.stored("Rate"), "44100");
    EXPECT_EQ(rig.stored("WaveFileName"), "");
}

TEST(frmRec, theSettingsDialogShowsTheStoredFormatStoresOnOkAndRestoresOnCancel)
{
    Rig rig;
    // Options... with nothing stored: 44100, Mono, 16 bits. Stereo and 8 bits, then OK.
    rig.mci.log.clear();
    QTimer::singleShot(0, [&] {
        frmSettings& dialog = frmSettings::instance();
        EXPECT_TRUE(dialog.optRate44100->isChecked());
        EXPECT_TRUE(dialog.optMono->isChecked());
        EXPECT_TRUE(dialog.opt16bits->isChecked());
        QTest::mouseClick(dialog.optStereo, Qt::LeftButton, {}, QPoint(5, 10));
        QTest::mouseClick(dialog.opt8bits, Qt::LeftButton, {}, QPoint(5, 10));
        QTest::mouseClick(dialog.cmdOke, Qt::LeftButton);
    });
    rig.click(rig.window->cmdSettings);
    EXPECT_FALSE(frmSettings::isLoaded());
    EXPECT_EQ(rig.stored("Channels"), "2");
    EXPECT_EQ(rig.stored("Resolution"), "8");
    EXPECT_EQ(rig.mci.log.last(),
        "set capture alignment 2 bitspersample 8 samplespersec 44100 channels 2 bytespersec 88200");

    // 22050, then Cancel: the format is as it was when the dialog opened.
    QTimer::singleShot(0, [&] {
        frmSettings& dialog = frmSettings::instance();
        QTest::mouseClick(dialog.optRate22050, Qt::LeftButton, {}, QPoint(5, 10));
        EXPECT_EQ(rig.rec.RecordRate, 22050);
        QTest::mouseClick(dialog.Command1, Qt::LeftButton);
    });
    rig.click(rig.window->cmdSettings);
    EXPECT_EQ(rig.rec.RecordRate, 44100);
    EXPECT_EQ(rig.rec.RecordChannels, 2);
}

TEST(frmRec, aStoredRateOfTheHiddenOptionsOrNoneIsStillUsed)
{
    {
        Rig rig;
        rig.fake.platform.settings->SaveRegValue(
            "Taktovia", "Gitara", "Rate", "8000", SettingsStore::kCurrentUser, "Software");
        rig.click(rig.window->cmdRecord);
        rig.wave().advance(100);
        rig.click(rig.window->cmdStop); // loads the dialog hidden
        frmSettings& dialog = frmSettings::instance();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_FALSE(dialog.optRate8000->isChecked());
        EXPECT_TRUE(dialog.optRecordImmediate->isChecked());
        EXPECT_EQ(rig.rec.RecordRate, 8000);
        EXPECT_TRUE(rig.window->cmdRecord->isEnabled()); // the kept quirk
    }
    {
        Rig rig;
        rig.fake.platform.settings->SaveRegValue(
            "Taktovia", "Gitara", "Rate", "48000", SettingsStore::kCurrentUser, "Software");
        rig.click(rig.window->cmdReset);
        rig.mci.log.clear();
        rig.click(rig.window->cmdRecord);
        EXPECT_EQ(rig.mci.log.value(3),
            "set capture alignment 2 bitspersample 16 samplespersec 48000 channels 1 "
            "bytespersec 96000");
    }
}

// A stored format value that is no whole number for its variable (a word, a fraction, a number
// past the variable's range, or the 0 an earlier run wrote) reads as the value's default: the
// window opens in 44100 Hz 16-bit mono, the dialog shows that, both writers store it, and the next
// opening records.
TEST(frmRec, aStoredFormatThatIsNoWholeNumberReadsAsItsDefaultAndIsNeverStoredAsZero)
{
    const std::pair<const char*, const char*> rows[] = { { "Channels", "two" }, { "Rate", "abc" },
        { "Rate", "4294967296000" }, { "Channels", "65536" }, { "Resolution", "16.5" },
        { "Rate", "0" }, { "Resolution", "-8" } };
    const auto storedFormat = [](Rig& rig) {
        return QStringList { rig.stored("Rate"), rig.stored("Channels"), rig.stored("Resolution") };
    };
    const QStringList defaults = { "44100", "1", "16" };
    for (const auto& [name, value] : rows) {
        SCOPED_TRACE(std::string(name) + "=" + value);
        Rig rig({ { name, value } });
        EXPECT_EQ(rig.mci.log, kNewWave);

        // Options..., Cancel, then the window's Cancel: the unload stores the format.
        QTimer::singleShot(0, [&] {
            frmSettings& dialog = frmSettings::instance();
            EXPECT_TRUE(dialog.optRate44100->isChecked());
            EXPECT_TRUE(dialog.optMono->isChecked());
            EXPECT_TRUE(dialog.opt16bits->isChecked());
            QTest::mouseClick(dialog.Command1, Qt::LeftButton);
        });
        rig.click(rig.window->cmdSettings);
        rig.click(rig.window->Command1);
        ASSERT_TRUE(QTest::qWaitFor([] {
            return !frmRec::isLoaded();
        }));
        EXPECT_EQ(storedFormat(rig), defaults);

        // The next opening: Options... and OK store the format again, and Record records.
        rig.window = &frmRec::load(rig.fake.platform, rig.rec, rig.encoder);
        QTimer::singleShot(0, [] {
            QTest::mouseClick(frmSettings::instance().cmdOke, Qt::LeftButton);
        });
        rig.click(rig.window->cmdSettings);
        EXPECT_EQ(storedFormat(rig), defaults);
        rig.mci.log.clear();
        rig.click(rig.window->cmdRecord);
        EXPECT_EQ(rig.mci.log, kNewWave + QStringList { "record capture" });
        EXPECT_TRUE(rig.wave().recordingNow());
        EXPECT_TRUE(rig.boxTexts().isEmpty());
    }
}

// The slider ends at the take's length in whole milliseconds, whether the take ends before or
// after the half of its last millisecond: Play from there plays what is left, without a box.
TEST(frmRec, playFromTheSlidersEndPlaysWhereverTheTakeEndsInItsLastMillisecond)
{
    struct Row
    {
        const char* rate;
        std::int64_t frames;
        int maximum;
    };

    const Row rows[] = {
        { "44100", 44122, 1000 }, // 1000.499 ms
        { "44100", 44126, 1000 }, // 1000.590 ms
        { "22050", 33074, 1499 }, // 1499.955 ms
        { "8000", 8007, 1000 }, // 1000.875 ms
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.frames);
        Rig rig({ { "Rate", row.rate } });
        rig.click(rig.window->cmdRecord);
        rig.wave().advanceFrames(row.frames);
        rig.click(rig.window->cmdStop);
        EXPECT_EQ(rig.window->Slider1->maximum(), row.maximum);

        QTest::keyClick(rig.window->Slider1, Qt::Key_End);
        EXPECT_EQ(rig.window->Slider1->value(), row.maximum);
        rig.mci.log.clear();
        rig.click(rig.window->cmdPlay);
        EXPECT_EQ(
            rig.mci.log.last().toStdString(), "play capture from " + std::to_string(row.maximum));
        EXPECT_TRUE(rig.boxTexts().isEmpty());
        EXPECT_TRUE(rig.wave().playingNow());
    }
}

// A stored format the device refuses is told when the window applies it and again at Record,
// which then records nothing rather than the new wave's own 11025 Hz 8-bit mono.
TEST(frmRec, aRefusedFormatRecordsNothing)
{
    const std::pair<const char*, const char*> stored[] = { { "Rate", "500" }, { "Channels", "3" },
        { "Resolution", "24" } };
    for (const auto& [name, value] : stored) {
        SCOPED_TRACE(name);
        Rig rig({ { name, value } });
        rig.mci.log.clear();
        rig.click(rig.window->cmdRecord);
        rig.wave().advance(500);
        EXPECT_FALSE(rig.mci.log.contains("record capture"));
        EXPECT_FALSE(rig.wave().recordingNow());
        EXPECT_EQ(rig.wave().recordedBytes(), 0);
        EXPECT_EQ(rig.boxTexts(),
            QStringList(
                { "Settings for recording not consistent", "Settings for recording not consistent",
                    "Recording not possible. Please restart Kadentor and try again." }));
        EXPECT_EQ(rig.window->lblrec, "REC");
    }
}

// A name that does not end in ".wav" (any case) gets it, also after a dot of its own; when the
// name with ".wav" is a file already, the user is asked first, and No goes back to the dialog.
TEST(frmRec, aNameGetsWavUnlessItEndsSoAndAReplacedFileIsAskedFor)
{
    Rig rig;
    const QString folder = rig.fake.dir.path();
    const auto take = [&](std::int64_t ms) {
        rig.click(rig.window->cmdReset);
        rig.click(rig.window->cmdRecord);
        rig.wave().advance(ms);
        rig.click(rig.window->cmdStop);
    };
    const QString replace = "song v1.2.wav already exists.\nDo you want to replace it?";

    take(200);
    rig.answerSave(folder + "/song v1.2");
    rig.click(rig.window->cmdSave);
    EXPECT_EQ(rig.window->SavedFileName, folder + "/song v1.2.wav");
    EXPECT_EQ(rig.window->SavedFileTitle, "song v1.2.wav");
    EXPECT_EQ(fileBytes(folder + "/song v1.2.wav").size(), 44 + 200 * 88200 / 1000);
    EXPECT_TRUE(rig.boxTexts().isEmpty());

    // No: back to the dialog, which is given another name; the first file stays as it was.
    take(300);
    rig.answerSave(folder + "/song v1.2");
    rig.answerSave(folder + "/song v1.3");
    rig.fake.boxes().answerNext(MsgResult::No);
    rig.click(rig.window->cmdSave);
    EXPECT_EQ(rig.boxTexts(), QStringList { replace });
    EXPECT_EQ(rig.window->SavedFileName, folder + "/song v1.3.wav");
    EXPECT_EQ(fileBytes(folder + "/song v1.2.wav").size(), 44 + 200 * 88200 / 1000);
    EXPECT_EQ(fileBytes(folder + "/song v1.3.wav").size(), 44 + 300 * 88200 / 1000);

    // Yes replaces it; a name ending in ".WAV" is taken as it is, without a question.
    rig.answerSave(folder + "/song v1.2");
    rig.fake.boxes().answerNext(MsgResult::Yes);
    rig.click(rig.window->cmdSave);
    EXPECT_EQ(rig.boxTexts(), QStringList(2, replace));
    EXPECT_EQ(fileBytes(folder + "/song v1.2.wav").size(), 44 + 300 * 88200 / 1000);
    rig.answerSave(folder + "/TAKE.WAV");
    rig.click(rig.window->cmdSave);
    EXPECT_EQ(rig.window->SavedFileName, folder + "/TAKE.WAV");
    EXPECT_EQ(rig.boxTexts().size(), 2);
}

namespace {

// The recorder over the program's own waveaudio backend: the engine's capture stream from an
// input the test feeds, the take in a cache folder on disk.
struct RealWaveRig
{
    RealWaveRig()
    {
        auto owned = std::make_unique<FakeCaptureDevice>();
        device = owned.get();
        fake.platform.audio->setCaptureDevice(std::move(owned));
        fake.platform.mci = std::make_unique<MciCommandInterpreter>(
            std::make_unique<EngineWaveAudio>(*fake.platform.audio, folder()),
            *fake.platform.files);
        rec = std::make_unique<modrec>(*fake.platform.mci, *fake.platform.boxes);
        window = &frmRec::load(fake.platform, *rec, encoder);
        window->askSavePath = [this](QWidget*) {
            return savePath;
        };
    }

    ~RealWaveRig()
    {
        frmRec::unload();
        frmSettings::unload();
        QCoreApplication::processEvents();
    }

    QString folder() const { return fake.dir.path() + "/cache/kadentor"; }

    WaveCapture& capture() { return fake.platform.audio->capture(); }

    // 16-bit mono samples of a known pattern, in blocks of 1024 frames as SDL delivers them.
    void feed(std::int64_t firstByte, std::int64_t bytes)
    {
        for (std::int64_t at = firstByte; at < firstByte + bytes; at += 2048) {
            std::vector<std::uint8_t> block(
                std::size_t(std::min<std::int64_t>(2048, firstByte + bytes - at)));
            for (std::size_t i = 0; i < block.size(); ++i)
                block[i] = std::uint8_t(FakeWaveAudio::knownByte(at + std::int64_t(i)));
            device->feed(block);
        }
    }

    template <typename Done> bool waitFor(Done done)
    {
        for (int i = 0; i < 1000 && !done(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return done();
    }

    QString buttons() { return buttonStates(*window); }

    FakePlatform fake;
    FakeCaptureDevice* device = nullptr;
    std::unique_ptr<modrec> rec;
    FakeMp3Window encoder;
    frmRec* window = nullptr;
    QString savePath;
};

} // namespace

// The disk fills while a take is recorded: one box says so, the take stops as Stop stops it, and
// what was recorded up to there plays and saves whole.
TEST(frmRec, aFullDiskStopsTheTakeWithOneBoxAndKeepsWhatWasRecorded)
{
    RealWaveRig rig;
    // Room for the header and a second and a half of 16-bit mono at 44100 Hz, and half a frame.
    const std::int64_t kept = 3 * 44100;
    rig.capture().setWriteFunction(fullDisk(44 + kept + 1));
    QTest::mouseClick(rig.window->cmdRecord, Qt::LeftButton);
    ASSERT_EQ(rig.buttons(), "0100");
    rig.feed(0, 2 * 44100);
    ASSERT_TRUE(rig.waitFor([&] {
        return rig.capture().recordedBytes() == 2 * 44100;
    }));
    rig.window->Timer2_Timer();
    EXPECT_EQ(rig.window->windowTitle(), "Recorder - recording");
    EXPECT_TRUE(rig.fake.boxes().shown().empty());

    rig.feed(2 * 44100, 2 * 44100);
    ASSERT_TRUE(rig.waitFor([&] {
        return rig.capture().fault() != TakeFault::None;
    }));
    rig.window->Timer2_Timer();
    rig.window->Timer2_Timer();
    ASSERT_EQ(rig.fake.boxes().shown().size(), 1u);
    const BoxRequest& box = rig.fake.boxes().shown()[0];
    EXPECT_EQ(box.text,
        "Recording stopped: the disk is full. What was recorded until then is kept; save it to a "
        "disk with free space.");
    EXPECT_EQ(box.title, "Kadentor");
    EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    EXPECT_EQ(rig.window->windowTitle(), "Recorder - stopped");
    EXPECT_EQ(rig.buttons(), "0011");
    EXPECT_EQ(rig.window->lblrec, "REC");
    EXPECT_EQ(rig.window->Slider1->maximum(), 1500);

    // Played from the slider's middle, then saved: the WAV holds the take up to the full disk.
    rig.window->Slider1->setValue(1000);
    QTest::mouseClick(rig.window->cmdPlay, Qt::LeftButton);
    rig.window->Timer2_Timer();
    EXPECT_EQ(rig.window->windowTitle(), "Recorder - playing");
    QTest::mouseClick(rig.window->cmdStop, Qt::LeftButton);
    rig.capture().setWriteFunction(::pwrite);
    rig.savePath = rig.fake.dir.path() + "/full disk.wav";
    QTest::mouseClick(rig.window->cmdSave, Qt::LeftButton);
    QByteArray expected = wavHeader(1, 44100, 16, quint32(kept));
    for (std::int64_t i = 0; i < kept; ++i)
        expected.append(FakeWaveAudio::knownByte(i));
    EXPECT_EQ(fileBytes(rig.savePath), expected);
    EXPECT_TRUE(rig.window->lblrec.isEmpty());
    EXPECT_EQ(rig.fake.boxes().shown().size(), 1u);
    // Saved, the take is read from its WAV file: the cache keeps nothing; nor after closing.
    EXPECT_TRUE(QDir(rig.folder()).entryList(QDir::Files).isEmpty());
    QTest::mouseClick(rig.window->Command1, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_FALSE(frmRec::isLoaded());
    EXPECT_TRUE(QDir(rig.folder()).entryList(QDir::Files).isEmpty());
}
