#include "platform/midi/AlsaSequencerPorts.h"

#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"

#include <gtest/gtest.h>

namespace {

using QueueTime = AlsaSequencerPorts::QueueTime;

TEST(AlsaSequencerPortsTest, APlacedMessageGoesOutWhenItsSampleLeavesTheSpeakers)
{
    struct Case
    {
        const char* what;
        QueueTime queueNow;
        std::int64_t at;
        std::int64_t sounding;
        QueueTime due;
    };

    const Case cases[] = {
        { "heard now", { 5, 100 }, 1000, 1000, { 5, 100 } },
        { "already heard: at once", { 5, 100 }, 900, 1000, { 5, 100 } },
        { "one second ahead", { 5, 100 }, 1000 + 44100, 1000, { 6, 100 } },
        { "one sample ahead, rounded down", { 5, 0 }, 1001, 1000, { 5, 22675 } },
        { "the nanoseconds carry", { 5, 999'990'000 }, 1441, 1000, { 6, 9'990'000 } },
        { "two days ahead", { 0, 0 }, 2 * 86400LL * 44100 + 1000, 1000, { 2 * 86400, 0 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QueueTime due = AlsaSequencerPorts::dueTime(c.queueNow, c.at, c.sounding);
        EXPECT_EQ(due.seconds, c.due.seconds);
        EXPECT_EQ(due.nanos, c.due.nanos);
    }
}

TEST(AlsaSequencerPortsTest, AMessageOnAClicksSampleWaitsOutTheOutputLatency)
{
    // A click placed at now() starts the next block and leaves the speakers the output latency
    // later; a message placed on the same sample must wait as long, not go out at once.
    AudioEngine engine(std::make_unique<OfflineAudioDevice>(512, 2205));
    static_cast<OfflineAudioDevice&>(engine.device()).renderFrames(44100);
    const QueueTime due =
        AlsaSequencerPorts::dueTime({ 0, 0 }, engine.now(), engine.soundingSample());
    EXPECT_EQ(due, (QueueTime { 0, 50'000'000 }));
}

} // namespace
