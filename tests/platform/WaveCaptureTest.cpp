#include "platform/audio/WaveCapture.h"

#include "FileBytes.h"
#include "platform/audio/FakeCaptureDevice.h"
#include "platform/audio/FullDisk.h"
#include "platform/audio/WavReader.h"
#include "platform/audio/WavWriter.h"

#include <chrono>
#include <thread>

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Bytes that differ from their neighbours, so a dropped, repeated or reordered block shows.
std::vector<std::uint8_t> knownBytes(std::size_t first, std::size_t count)
{
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(((first + i) * 7 + (first + i) / 251) & 0xFF);
    return bytes;
}

bool waitForBytes(const WaveCapture& capture, std::int64_t bytes)
{
    for (int i = 0; i < 500 && capture.recordedBytes() < bytes; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return capture.recordedBytes() == bytes;
}

bool waitForFault(const WaveCapture& capture)
{
    for (int i = 0; i < 500 && capture.fault() == TakeFault::None; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return capture.fault() != TakeFault::None;
}

// The whole take as read back from its file.
QByteArray recording(const WaveCapture& capture)
{
    const std::shared_ptr<const TakeFile> take = capture.take();
    if (!take)
        return {};
    QByteArray bytes(take->dataBytes(), Qt::Uninitialized);
    return take->read(0, bytes.data(), std::size_t(bytes.size())) ? bytes : "<unreadable>";
}

QByteArray asBytes(const std::vector<std::uint8_t>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

struct Rig
{
    Rig()
    {
        auto owned = std::make_unique<FakeCaptureDevice>();
        device = owned.get();
        capture = std::make_unique<WaveCapture>(std::move(owned));
        capture->setTakeFolder(folder());
    }

    QString folder() const { return dir.path() + "/cache/kadentor"; }

    QStringList takeFiles() const { return QDir(folder()).entryList(QDir::Files); }

    QTemporaryDir dir;
    FakeCaptureDevice* device;
    std::unique_ptr<WaveCapture> capture;
};

// 8-bit mono at 1000 Hz: a ring of 2048 bytes, so a few blocks wrap it.
const CaptureFormat kSmall { 1000, 1, 8 };

} // namespace

TEST(WaveCapture, theWorkerMovesEveryByteInOrderAcrossTheRingsWrapWithoutTheUiThread)
{
    Rig rig;
    ASSERT_TRUE(rig.capture->start(kSmall));
    std::size_t sent = 0;
    for (int block = 0; block < 12; ++block) {
        rig.device->feed(knownBytes(sent, 300));
        sent += 300;
        // Nothing here drains: only the worker thread can make the count grow.
        ASSERT_TRUE(waitForBytes(*rig.capture, static_cast<std::int64_t>(sent))) << block;
    }
    rig.capture->stop();
    const QByteArray recorded = recording(*rig.capture);
    const std::vector<std::uint8_t> expected = knownBytes(0, sent);
    ASSERT_EQ(recorded.size(), static_cast<qsizetype>(sent));
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(),
        reinterpret_cast<const std::uint8_t*>(recorded.constData())));
    EXPECT_EQ(rig.capture->overruns(), 0u);
}

TEST(WaveCapture, aBlockThatFindsTheRingFullIsDroppedWholeAndCounted)
{
    Rig rig;
    ASSERT_TRUE(rig.capture->start(kSmall));
    rig.device->feed(knownBytes(0, 100));
    rig.device->feed(knownBytes(100, 4096)); // more than the ring holds
    rig.device->feed(knownBytes(4196, 100));
    rig.capture->stop(); // stop drains what is left
    EXPECT_EQ(rig.capture->overruns(), 1u);
    QByteArray expected;
    for (std::uint8_t byte : knownBytes(0, 100))
        expected.append(static_cast<char>(byte));
    for (std::uint8_t byte : knownBytes(4196, 100))
        expected.append(static_cast<char>(byte));
    EXPECT_EQ(recording(*rig.capture), expected);
}

TEST(WaveCapture, aSecondTakeInTheSameFormatAppendsAnotherFormatStartsAfreshARefusalRunsNothing)
{
    Rig rig;
    ASSERT_TRUE(rig.capture->start(kSmall));
    rig.device->feed(knownBytes(0, 10));
    rig.capture->stop();
    ASSERT_TRUE(rig.capture->start(kSmall));
    rig.device->feed(knownBytes(10, 10));
    rig.capture->stop();
    EXPECT_EQ(rig.capture->recordedBytes(), 20);

    ASSERT_TRUE(rig.capture->start({ 22050, 2, 16 }));
    EXPECT_EQ(rig.capture->recordedBytes(), 0);
    EXPECT_EQ(rig.device->format(), (CaptureFormat { 22050, 2, 16 }));
    rig.capture->stop();

    rig.device->refuse = true;
    EXPECT_FALSE(rig.capture->start(kSmall));
    EXPECT_FALSE(rig.capture->running());
    rig.device->feed(knownBytes(0, 10));
    EXPECT_EQ(rig.capture->recordedBytes(), 0);
}

namespace {

// 16-bit stereo at 8000 Hz: four bytes a frame, a ring of 64 KiB.
const CaptureFormat kStereo { 8000, 2, 16 };

bool waitForHeader(const QString& path, const QByteArray& header)
{
    for (int i = 0; i < 500 && fileBytes(path).left(44) != header; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return fileBytes(path).left(44) == header;
}

} // namespace

// What a crash leaves is a WAV file of the take up to the worker's last round; a take dropped,
// or its capture gone, takes its file with it.
TEST(WaveCapture, theTakeGrowsAsAWavFileInItsFolderWhichGoesWithTheTake)
{
    Rig rig;
    // No folder for the take (a file stands where it would be made): nothing runs.
    ASSERT_TRUE(writeFileBytes(rig.dir.path() + "/cache", "a file"));
    EXPECT_FALSE(rig.capture->start(kStereo));
    EXPECT_FALSE(rig.device->running());
    ASSERT_TRUE(QFile::remove(rig.dir.path() + "/cache"));

    // The folder is made on demand.
    ASSERT_TRUE(rig.capture->start(kStereo));
    rig.device->feed(knownBytes(0, 4000));
    rig.device->feed(knownBytes(4000, 4000));
    ASSERT_TRUE(waitForBytes(*rig.capture, 8000));
    const QStringList files = rig.takeFiles();
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(files[0].startsWith(QStringLiteral("take-%1-").arg(::getpid())))
        << files[0].toStdString();
    EXPECT_TRUE(files[0].endsWith(".wav"));
    const QString path = rig.folder() + u'/' + files[0];
    // Read while the device still delivers, as a user rescuing it would.
    ASSERT_TRUE(waitForHeader(path, wavHeader(2, 8000, 16, 8000)));
    const WavReader::Result decoded = WavReader::readFile(path);
    ASSERT_TRUE(decoded) << decoded.error;
    EXPECT_EQ(fileBytes(path).mid(44), asBytes(knownBytes(0, 8000)));

    rig.capture->stop();
    rig.capture->clear();
    EXPECT_TRUE(rig.takeFiles().isEmpty());
    EXPECT_EQ(rig.capture->recordedBytes(), 0);

    ASSERT_TRUE(rig.capture->start(kStereo));
    rig.device->feed(knownBytes(0, 400));
    EXPECT_EQ(rig.takeFiles().size(), 1);
    rig.capture.reset();
    EXPECT_TRUE(rig.takeFiles().isEmpty());
}

TEST(WaveCapture, aFullDiskEndsTheTakeAtItsLastWholeFrameKeepsItAndTakesNothingAfter)
{
    Rig rig;
    // Room for the header and 1001 bytes: the write that crosses it goes in part, cutting a frame.
    rig.capture->setWriteFunction(fullDisk(44 + 1001));
    ASSERT_TRUE(rig.capture->start(kStereo));
    rig.device->feed(knownBytes(0, 600));
    ASSERT_TRUE(waitForBytes(*rig.capture, 600));
    EXPECT_EQ(rig.capture->fault(), TakeFault::None);
    rig.device->feed(knownBytes(600, 600));
    ASSERT_TRUE(waitForFault(*rig.capture));
    EXPECT_EQ(rig.capture->fault(), TakeFault::DiskFull);
    EXPECT_EQ(rig.capture->recordedBytes(), 1000);

    // What comes after the gap never joins the take, even once the disk has room again.
    rig.capture->setWriteFunction(::pwrite);
    rig.device->feed(knownBytes(1200, 600));
    rig.capture->stop();
    EXPECT_EQ(rig.capture->recordedBytes(), 1000);
    EXPECT_EQ(rig.capture->overruns(), 0u);
    EXPECT_EQ(recording(*rig.capture), asBytes(knownBytes(0, 1000)));
    const QString path = rig.capture->take()->path();
    EXPECT_EQ(fileBytes(path), wavHeader(2, 8000, 16, 1000) + asBytes(knownBytes(0, 1000)));
    EXPECT_EQ(rig.capture->fault(), TakeFault::DiskFull); // until the next start

    // Recording on appends again; a disk still full stops it at once, keeping the take.
    rig.capture->setWriteFunction(fullDisk(44 + 1000));
    ASSERT_TRUE(rig.capture->start(kStereo));
    EXPECT_EQ(rig.capture->fault(), TakeFault::None);
    rig.device->feed(knownBytes(1000, 8));
    ASSERT_TRUE(waitForFault(*rig.capture));
    rig.capture->stop();
    EXPECT_EQ(recording(*rig.capture), asBytes(knownBytes(0, 1000)));
}

TEST(WaveCapture, aSavedTakeIsReadFromItsSavedFileAndGrowsAgainInAFileOfItsOwn)
{
    Rig rig;
    ASSERT_TRUE(rig.capture->start(kStereo));
    rig.device->feed(knownBytes(0, 1200));
    rig.capture->stop();
    const QByteArray take = asBytes(knownBytes(0, 1200));
    const QString saved = rig.dir.path() + "/saved take.wav";

    // A file that is not exactly the take (short by a frame, another format) is not used.
    ASSERT_TRUE(writeFileBytes(saved, wavFileBytes(2, 8000, 16, take.left(1196))));
    EXPECT_FALSE(rig.capture->takeSavedAs(saved));
    ASSERT_TRUE(writeFileBytes(saved, wavFileBytes(1, 16000, 16, take)));
    EXPECT_FALSE(rig.capture->takeSavedAs(saved));
    EXPECT_FALSE(rig.capture->takeSavedAs(rig.dir.path() + "/missing.wav"));
    EXPECT_EQ(rig.takeFiles().size(), 1);

    const QByteArray file = wavFileBytes(2, 8000, 16, take);
    ASSERT_TRUE(writeFileBytes(saved, file));
    ASSERT_TRUE(rig.capture->takeSavedAs(saved));
    EXPECT_TRUE(rig.takeFiles().isEmpty());
    EXPECT_EQ(recording(*rig.capture), take);

    // Recording on in the same format copies the take into a new file and leaves the saved one.
    ASSERT_TRUE(rig.capture->start(kStereo));
    rig.device->feed(knownBytes(1200, 400));
    rig.capture->stop();
    EXPECT_EQ(recording(*rig.capture), asBytes(knownBytes(0, 1600)));
    EXPECT_EQ(rig.takeFiles().size(), 1);
    EXPECT_EQ(fileBytes(saved), file);

    // A take still held (by a playback) stays readable after it was dropped; its file goes with
    // the last holder.
    std::shared_ptr<const TakeFile> held = rig.capture->take();
    rig.capture->clear();
    std::vector<std::uint8_t> tail(400);
    EXPECT_TRUE(held->read(1200, tail.data(), tail.size()));
    EXPECT_EQ(tail, knownBytes(1200, 400));
    EXPECT_FALSE(held->read(1400, tail.data(), tail.size())); // past its end
    EXPECT_EQ(rig.takeFiles().size(), 1);
    rig.capture.reset();
    EXPECT_EQ(rig.takeFiles().size(), 1);
    held.reset();
    EXPECT_TRUE(rig.takeFiles().isEmpty());
}

// A take ends at the most a WAV file holds, in whole frames: the header for that length still
// lays out, one frame more would not. Written to a disk that only counts, so 4 GiB cost nothing.
TEST(WaveCapture, aTakeEndsAtTheMostAWavFileHolds)
{
    const CaptureFormat formats[] = { { 8000, 1, 8 }, { 8000, 1, 16 }, { 8000, 2, 16 } };
    QTemporaryDir dir;
    const TakeFile::WriteFunction counting = [](int, const void*, std::size_t count, off_t) {
        return ssize_t(count);
    };
    const std::vector<std::uint8_t> piece(std::size_t(1) << 26);
    for (const CaptureFormat& format : formats) {
        SCOPED_TRACE(format.bytesPerFrame());
        const std::int64_t frame = format.bytesPerFrame();
        const std::int64_t most = TakeFile::maxDataBytes(format);
        EXPECT_EQ(most % frame, 0);
        EXPECT_FALSE(
            wavHeader(format.channels, 8000, format.bitsPerSample, quint32(most)).isEmpty());
        EXPECT_TRUE(wavHeader(format.channels, 8000, format.bitsPerSample, quint32(most + frame))
                        .isEmpty());

        QString error;
        const std::unique_ptr<TakeFile> take = TakeFile::create(dir.path(), format, &error);
        ASSERT_TRUE(take) << error.toStdString();
        TakeFault fault = TakeFault::None;
        while (fault == TakeFault::None && take->dataBytes() < most + frame)
            fault = take->append(piece.data(), piece.size(), counting);
        EXPECT_EQ(fault, TakeFault::SizeLimit);
        EXPECT_EQ(take->dataBytes(), most);
        EXPECT_EQ(take->append(piece.data(), std::size_t(frame), counting), TakeFault::SizeLimit);
        EXPECT_EQ(take->dataBytes(), most);
    }
}
