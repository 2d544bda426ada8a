#include "app/SoundOutputNotice.h"

#include "platform/FakePlatform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/basic/FakeMessageBoxService.h"

#include <gtest/gtest.h>

TEST(SoundOutputNotice, NoOutputAtStartIsToldOnceInAnInformationBox)
{
    FakePlatform fake;
    auto silent = std::make_unique<OfflineAudioDevice>();
    silent->setSilent(true);
    fake.platform.audio = std::make_unique<AudioEngine>(std::move(silent));
    SoundOutputNotice notice(fake.platform);
    notice.checkAtStart();
    notice.poll();
    notice.checkAtStart();
    ASSERT_EQ(fake.boxes().shown().size(), 1u);
    EXPECT_EQ(fake.boxes().shown()[0].icon, MsgIcon::Information);
    EXPECT_TRUE(fake.boxes().shown()[0].text.contains(QStringLiteral("runs without sound")));
}

TEST(SoundOutputNotice, AnOutputLostWhilePlayingIsReopenedOrToldOnce)
{
    FakePlatform fake;
    SoundOutputNotice notice(fake.platform);
    notice.checkAtStart();
    notice.poll();
    // Lost, and it opens again: the engine carries on with it and nobody is bothered.
    fake.audioDevice().setLost(true);
    notice.poll();
    EXPECT_FALSE(fake.audioDevice().lost());
    EXPECT_FALSE(fake.platform.audio->silentFallback());
    EXPECT_TRUE(fake.boxes().shown().empty());

    // Lost for good: the silent stand-in takes over, once said.
    fake.audioDevice().setLost(true);
    fake.audioDevice().setFailStart(true);
    notice.poll();
    EXPECT_TRUE(fake.platform.audio->silentFallback());
    notice.poll();
    ASSERT_EQ(fake.boxes().shown().size(), 1u);
    EXPECT_TRUE(fake.boxes().shown()[0].text.contains(QStringLiteral("stopped working")));
}
