#include "platform/audio/WaveCapture.h"

#include "platform/audio/FakeCaptureDevice.h"

#include <chrono>
#include <thread>

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

struct Rig
{
    Rig()
    {
        auto owned = std::make_unique<FakeCaptureDevice>();
        device = owned.get();
        capture = std::make_unique<WaveCapture>(std::move(owned));
    }

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
    const QByteArray recording = rig.capture->recording();
    const std::vector<std::uint8_t> expected = knownBytes(0, sent);
    ASSERT_EQ(recording.size(), static_cast<qsizetype>(sent));
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(),
        reinterpret_cast<const std::uint8_t*>(recording.constData())));
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
    EXPECT_EQ(rig.capture->recording(), expected);
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
