#include "MainWindowRig.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/mixer/FakeMixerService.h"

#include <algorithm>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

TEST(MainWindowVolume, EverySliderPositionIsAMasterVolumeOfItsOwnFromSilenceToFull)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start(true));
    const std::vector<long>& set = rig.fake.mixer().valuesSet;
    rig.clickSliderTrack(-20);
    ASSERT_EQ(rig.slider().CurPosition(), 0);
    for (int press = 0; press < 100; ++press)
        rig.key(Qt::Key_Up);
    ASSERT_EQ(rig.slider().CurPosition(), 100);

    ASSERT_EQ(set.size(), 101u);
    EXPECT_EQ(set.front(), 0) << "the bottom is silence";
    EXPECT_EQ(set.back(), 65535) << "the top is full";
    EXPECT_EQ(set[50], 32768) << "the middle is half";
    EXPECT_TRUE(std::adjacent_find(set.begin(), set.end(), std::greater_equal<>()) == set.end())
        << "each position louder than the one below";

    // The mouse reaches the same values as the keys.
    rig.clickSliderTrack(rig.slider().geometry().sliderWidth / 2);
    const int middle = rig.slider().CurPosition();
    EXPECT_EQ(set.back(), set[static_cast<std::size_t>(middle)]);
    rig.clickSliderTrack(rig.slider().geometry().sliderWidth + 20);
    EXPECT_EQ(set.back(), 65535);
    EXPECT_TRUE(rig.fake.boxes().shown().empty());
}

// A mixer that was not there at start-up, then comes, and is lost again.
TEST(MainWindowVolume, TheNextSliderMoveAfterALostMixerOpensItAgainOnceWithoutABox)
{
    MainWindowRig rig;
    FakeMixerService& mixer = rig.fake.mixer();
    mixer.failOpen = true;
    ASSERT_TRUE(rig.start(true));
    ASSERT_EQ(rig.fake.boxes().shown().size(), 1u);
    EXPECT_EQ(rig.fake.boxes().shown()[0].text, QStringLiteral("Couldn't open the mixer."));

    rig.key(Qt::Key_Down);
    EXPECT_EQ(mixer.reopenAttempts, 1);
    mixer.failOpen = false;
    rig.key(Qt::Key_Down);
    EXPECT_EQ(mixer.reopenAttempts, 2);

    mixer.connectionLost = true;
    rig.clickSliderTrack(-20);
    EXPECT_EQ(mixer.reopenAttempts, 3);
    rig.key(Qt::Key_Up);
    EXPECT_EQ(mixer.reopenAttempts, 3) << "the reopened mixer is kept";

    EXPECT_EQ(mixer.valuesSet, (std::vector<long> { 63569, 0, 655 }));
    EXPECT_EQ(rig.fake.boxes().shown().size(), 1u) << "only the start-up tells the user";
    EXPECT_EQ(rig.storedVolume(), QStringLiteral("1"));
}
