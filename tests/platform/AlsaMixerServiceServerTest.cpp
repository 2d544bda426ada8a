// The master volume through a real sound server: a private PulseAudio daemon, or PipeWire's pulse
// server, reached through ALSA's pulse plugin. A process of its own, run alone: it points the
// process at the server.

#include "SoundServer.h"
#include "platform/mixer/AlsaMixerService.h"

#include <memory>

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

namespace {

long sinkSteps(long value)
{
    return AlsaMixerService::cardSteps(value, 0, 65536);
}

bool noSoundCard()
{
    int card = -1;
    return snd_card_next(&card) == 0 && card < 0;
}

// Started before its sound server, as at a desktop login: the process reads ALSA's shared
// configuration while no server answers, which leaves its "default" without the server for
// good. Then the server comes, dies and comes back.
class AlsaMixerServiceOnServer : public testing::TestWithParam<SoundServer::Kind>
{
};

TEST_P(AlsaMixerServiceOnServer, AMixerOpenedAgainFollowsAServerThatCameLateOrCameBack)
{
    if (!SoundServer::installed(GetParam()))
        GTEST_SKIP() << SoundServer::name(GetParam()) << " is not installed";
    const std::unique_ptr<SoundServer> owned = SoundServer::make(GetParam());
    SoundServer& server = *owned;
    server.useInThisProcess();
    ASSERT_GE(snd_config_update(), 0);

    AlsaMixerService mixer;
    const bool opened = mixer.open();
    if (noSoundCard()) {
        EXPECT_FALSE(opened) << "no server and no card: nothing to open";
    }

    ASSERT_TRUE(server.start());
    ASSERT_TRUE(mixer.reopen());
    ASSERT_TRUE(mixer.masterControl().has_value());
    EXPECT_EQ(mixer.masterControl()->maximum, AlsaMixerService::kSteps);
    for (const long value : { 0L, 19661L, 65535L, 32768L }) {
        SCOPED_TRACE(value);
        EXPECT_TRUE(mixer.setMasterVolume(value));
        EXPECT_EQ(server.sinkVolume(), sinkSteps(value));
    }
    EXPECT_EQ(sinkSteps(65535), 65536) << "our top is the server's full volume";

    server.stop();
    ASSERT_TRUE(server.start());
    // The server starts its sink at full volume; the old mixer cannot reach it.
    EXPECT_FALSE(mixer.setMasterVolume(32768)) << "a lost server fails the set, unchanged value";
    EXPECT_FALSE(mixer.setMasterVolume(13107));
    EXPECT_EQ(server.sinkVolume(), 65536L);
    ASSERT_TRUE(mixer.reopen());
    EXPECT_TRUE(mixer.setMasterVolume(13107));
    EXPECT_EQ(server.sinkVolume(), sinkSteps(13107));

    server.stop();
    if (noSoundCard()) {
        EXPECT_FALSE(mixer.reopen()) << "no server to open";
        EXPECT_FALSE(mixer.masterControl().has_value());
        EXPECT_FALSE(mixer.setMasterVolume(100));
    }
}

INSTANTIATE_TEST_SUITE_P(Servers,
    AlsaMixerServiceOnServer,
    testing::Values(SoundServer::Kind::PulseAudio, SoundServer::Kind::PipeWire),
    [](const testing::TestParamInfo<SoundServer::Kind>& info) {
        return SoundServer::name(info.param);
    });

} // namespace
