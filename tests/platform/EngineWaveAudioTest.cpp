#include "platform/mci/EngineWaveAudio.h"

#include "platform/audio/AudioEngine.h"
#include "platform/audio/FakeCaptureDevice.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/audio/WavWriter.h"
#include "platform/audio/WaveCapture.h"
#include "platform/files/FileStore.h"
#include "platform/mci/MciCommandInterpreter.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// Byte `index` of a known take: 16-bit samples that differ from frame to frame and between the
// channels, so that a block dropped, repeated or moved shows; 8-bit ones likewise.
std::uint8_t knownByte(std::int64_t index, const CaptureFormat& format)
{
    if (format.bitsPerSample == 8)
        return static_cast<std::uint8_t>((index * 37 + index / 509) & 0xFF);
    const std::int64_t sample = index / 2;
    const auto value = static_cast<std::uint16_t>((sample * 2654435761LL) >> 13);
    return static_cast<std::uint8_t>(index % 2 == 0 ? value & 0xFF : value >> 8);
}

void fillKnown(std::int64_t first, std::uint8_t* into, std::size_t count, const CaptureFormat& f)
{
    for (std::size_t i = 0; i < count; ++i)
        into[i] = knownByte(first + std::int64_t(i), f);
}

std::int64_t residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    std::int64_t size = 0;
    std::int64_t resident = 0;
    statm >> size >> resident;
    return resident * ::sysconf(_SC_PAGESIZE);
}

struct Rig
{
    Rig()
    {
        auto owned = std::make_unique<FakeCaptureDevice>();
        device = owned.get();
        engine.setCaptureDevice(std::move(owned));
        mci = std::make_unique<MciCommandInterpreter>(
            std::make_unique<EngineWaveAudio>(engine, folder()), files);
        EXPECT_EQ(send("open new type waveaudio alias capture"), 0);
    }

    int send(const QString& command) { return mci->mciSendString(command, &reply); }

    std::int64_t number(const QString& command)
    {
        EXPECT_EQ(send(command), 0) << command.toStdString();
        return reply.toLongLong();
    }

    QString folder() const { return dir.path() + "/cache/kadentor"; }

    QStringList takeFiles() const { return QDir(folder()).entryList(QDir::Files); }

    OfflineAudioDevice& output() { return static_cast<OfflineAudioDevice&>(engine.device()); }

    // Delivers the known take's bytes [first, first + count) in blocks as SDL delivers them,
    // as fast as the take's worker writes them but never more than a second ahead of it, so the
    // ring never overflows: minutes in a second or two.
    void feed(std::int64_t first, std::int64_t count, const CaptureFormat& format)
    {
        const std::int64_t block = 1024 * format.bytesPerFrame();
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(block));
        for (std::int64_t at = first; at < first + count; at += block) {
            const std::int64_t size = std::min(block, first + count - at);
            while (at - engine.capture().recordedBytes() > format.bytesPerSecond())
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            bytes.resize(static_cast<std::size_t>(size));
            fillKnown(at, bytes.data(), bytes.size(), format);
            device->feed(bytes);
        }
    }

    QTemporaryDir dir;
    DiskFileStore files;
    AudioEngine engine { std::make_unique<OfflineAudioDevice>(512) };
    FakeCaptureDevice* device = nullptr;
    std::unique_ptr<MciCommandInterpreter> mci;
    QString reply;
};

// The first byte where `path` differs from the known take after its header, or -1.
std::int64_t firstDifference(const QString& path, std::int64_t length, const CaptureFormat& format)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(44))
        return 0;
    std::vector<std::uint8_t> expected(1 << 20);
    for (std::int64_t at = 0; at < length;) {
        const QByteArray piece = file.read(std::min<std::int64_t>(1 << 20, length - at));
        if (piece.isEmpty())
            return at;
        fillKnown(at, expected.data(), std::size_t(piece.size()), format);
        for (qsizetype i = 0; i < piece.size(); ++i)
            if (std::uint8_t(piece[i]) != expected[std::size_t(i)])
                return at + i;
        at += piece.size();
    }
    return -1;
}

const CaptureFormat kCdStereo { 44100, 2, 16 };

} // namespace

// Ten minutes of 16-bit stereo (106 MB) through the real ring and worker: the take stays on
// disk, so the process grows by far less than the take, also while it is saved; the WAV holds it
// sample for sample; played back from a position it sounds as recorded; closing removes the take.
TEST(EngineWaveAudio, aTakeOfMinutesKeepsMemoryFlatAndSavesAndPlaysSampleForSample)
{
    Rig rig;
    ASSERT_EQ(rig.send("set capture alignment 4 bitspersample 16 samplespersec 44100 channels 2 "
                       "bytespersec 176400"),
        0);
    ASSERT_EQ(rig.send("set capture time format bytes"), 0);
    const std::int64_t minute = 60 * kCdStereo.bytesPerSecond();
    const std::int64_t length = 10 * minute;
    const std::int64_t before = residentBytes();
    std::int64_t grown = 0;
    ASSERT_EQ(rig.send("record capture"), 0);
    for (std::int64_t at = 0; at < length; at += minute) {
        rig.feed(at, minute, kCdStereo);
        grown = std::max(grown, residentBytes() - before);
    }
    EXPECT_EQ(rig.takeFiles().size(), 1);
    ASSERT_EQ(rig.send("stop capture"), 0);
    EXPECT_EQ(rig.engine.capture().overruns(), 0u);
    EXPECT_EQ(rig.number("status capture length"), length);

    const QString path = rig.dir.path() + "/long take.wav";
    ASSERT_EQ(rig.send("save capture " + path), 0);
    grown = std::max(grown, residentBytes() - before);
    EXPECT_LT(grown, 8 << 20) << "the take is " << length << " bytes";
    EXPECT_EQ(QFile(path).size(), 44 + length);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.read(44), wavHeader(2, 44100, 16, quint32(length)));
    EXPECT_EQ(firstDifference(path, length, kCdStereo), -1);
    // Saved: the take is read from the WAV file now, and its own file is gone.
    EXPECT_TRUE(rig.takeFiles().isEmpty());

    // The last second, from 9:59.000: the output holds the samples as they were recorded.
    ASSERT_EQ(rig.send("set capture time format ms"), 0);
    rig.output().takeCaptured();
    ASSERT_EQ(rig.send("play capture from 599000"), 0);
    rig.output().renderFrames(22050);
    EXPECT_EQ(rig.number("status capture position"), 599500);
    rig.output().renderFrames(22050 + 1024);
    EXPECT_EQ(rig.number("status capture position"), 600000);
    EXPECT_EQ(rig.send("status capture mode"), 0);
    EXPECT_EQ(rig.reply, "stopped");
    const std::vector<float> played = rig.output().takeCaptured();
    ASSERT_GE(played.size(), std::size_t(44100 * 2));
    const std::int64_t firstByte = length - kCdStereo.bytesPerSecond();
    std::int64_t wrong = 0;
    for (std::int64_t i = 0; i < 44100 * 2; ++i) {
        std::uint8_t pair[2];
        fillKnown(firstByte + i * 2, pair, 2, kCdStereo);
        const float expected = std::int16_t(pair[0] | pair[1] << 8) / 32768.0f;
        wrong += played[std::size_t(i)] != expected;
    }
    EXPECT_EQ(wrong, 0);

    ASSERT_EQ(rig.send("close capture"), 0);
    EXPECT_TRUE(rig.takeFiles().isEmpty());
    EXPECT_EQ(firstDifference(path, length, kCdStereo), -1);
}

// A take longer than any clip the program ever held in memory plays from a position: the
// output streams it from its file, converted to its own rate as it goes.
TEST(EngineWaveAudio, aTakeOverAQuarterOfAnHourPlaysFromAPosition)
{
    const CaptureFormat format { 11025, 1, 8 };
    Rig rig;
    ASSERT_EQ(rig.send("set capture alignment 1 bitspersample 8 samplespersec 11025 channels 1 "
                       "bytespersec 11025"),
        0);
    ASSERT_EQ(rig.send("record capture"), 0);
    rig.feed(0, 16 * 60 * format.bytesPerSecond(), format);
    ASSERT_EQ(rig.send("stop capture"), 0);
    ASSERT_EQ(rig.number("status capture length"), 16 * 60 * 1000);

    ASSERT_EQ(rig.send("play capture from 30000"), 0);
    rig.output().renderFrames(44100);
    EXPECT_EQ(rig.number("status capture position"), 31000);
    EXPECT_EQ(rig.send("status capture mode"), 0);
    EXPECT_EQ(rig.reply, "playing");
    const std::vector<float> played = rig.output().takeCaptured();
    EXPECT_GT(std::count_if(played.begin(), played.end(),
                  [](float sample) {
                      return sample != 0.0f;
                  }),
        44100);
    ASSERT_EQ(rig.send("stop capture"), 0);
    EXPECT_EQ(rig.number("status capture position"), 31000);
}
