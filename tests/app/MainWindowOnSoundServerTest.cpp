// The main window's volume slider moving a real sound server's volume: a private PulseAudio
// daemon reached through ALSA's pulse plugin. A process of its own, run alone: it points the
// process at the daemon.

#include "MainWindowRig.h"
#include "PulseServer.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/mixer/AlsaMixerService.h"
#include "players/MasterVolume.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct CountingAlsaMixer : AlsaMixerService
{
    int reopens = 0;

    bool reopen() override
    {
        ++reopens;
        return AlsaMixerService::reopen();
    }
};

// The sink's volume the slider's position asks for.
long sinkFor(int position)
{
    return AlsaMixerService::cardSteps(
        MasterVolume::levelValue(position, { 0, AlsaMixerService::kSteps }), 0, 65536);
}

} // namespace

TEST(MainWindowOnSoundServer, TheSinkFollowsTheSliderAtEveryPositionAndAfterTheServerRestarts)
{
    if (!PulseServer::installed())
        GTEST_SKIP() << "no PulseAudio here";
    PulseServer server;
    server.useInThisProcess();
    ASSERT_TRUE(server.start());

    MainWindowRig rig;
    auto owned = std::make_unique<CountingAlsaMixer>();
    CountingAlsaMixer& mixer = *owned;
    rig.fake.platform.mixer = std::move(owned);
    ASSERT_TRUE(rig.start(true));

    rig.clickSliderTrack(-20);
    ASSERT_EQ(rig.slider().CurPosition(), 0);
    std::vector<long> sink { server.sinkVolume().value_or(-1) };
    for (int position = 1; position <= 100; ++position) {
        rig.key(Qt::Key_Up);
        sink.push_back(server.sinkVolume().value_or(-1));
    }
    EXPECT_EQ(sink.front(), 0) << "the bottom is silence";
    EXPECT_EQ(sink.back(), 65536) << "the top is the server's full volume";
    EXPECT_EQ(sink[50], 32769);
    EXPECT_TRUE(std::adjacent_find(sink.begin(), sink.end(), std::greater_equal<>()) == sink.end())
        << "each position louder than the one below";
    EXPECT_EQ(mixer.reopens, 0);

    server.stop();
    ASSERT_TRUE(server.start());
    ASSERT_EQ(server.sinkVolume(), 65536L) << "a new server's sink starts full";
    rig.key(Qt::Key_Down);
    EXPECT_EQ(mixer.reopens, 1);
    EXPECT_EQ(server.sinkVolume(), sinkFor(99));
    rig.key(Qt::Key_Down);
    rig.clickSliderTrack(rig.slider().geometry().sliderWidth / 3);
    EXPECT_EQ(server.sinkVolume(), sinkFor(rig.slider().CurPosition()));
    EXPECT_EQ(mixer.reopens, 1) << "the reopened mixer is kept";
    EXPECT_TRUE(rig.fake.boxes().shown().empty());
}
