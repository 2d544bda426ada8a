#include "players/MasterVolume.h"

#include "platform/FakePlatform.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/mixer/FakeMixerService.h"

#include <algorithm>
#include <climits>
#include <functional>

#include <gtest/gtest.h>

namespace {

TEST(MasterVolumeTest, LevelsSpreadOverTheControlsRange)
{
    struct Case
    {
        MixerControl control;
        std::int32_t level;
        long expected;
    };

    // Levels far beyond the slider's range count as its ends instead of overflowing; halves of a
    // step round up.
    const Case cases[] = { { { 0, 65535 }, 0, 0 }, { { 0, 65535 }, 65, 42598 },
        { { 0, 65535 }, 66, 43253 }, { { 0, 65535 }, 50, 32768 }, { { 0, 65535 }, -3, 0 },
        { { 0, 65535 }, INT32_MAX, 65535 }, { { 0, 65535 }, INT32_MIN, 0 },
        { { 2000, 40000 }, 1, 2380 }, { { 2000, 40000 }, 39, 16820 }, { { 0, 65536 }, 100, 65536 },
        { { -6400, 0 }, 50, -3200 }, { { 0, 87 }, 1, 1 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
            << c.control.minimum << ".." << c.control.maximum << " level " << c.level);
        FakePlatform fake;
        fake.mixer().control = c.control;
        MasterVolume volume(fake.mixer(), fake.boxes());
        ASSERT_TRUE(volume.OpenMixer());
        volume.DajJako(c.level);
        EXPECT_EQ(fake.mixer().valuesSet, std::vector<long> { c.expected });
    }
}

TEST(MasterVolumeTest, StepsMoveFromTheLastValueStopAtTheBoundsAndOutliveARefusal)
{
    FakePlatform fake;
    MasterVolume volume(fake.mixer(), fake.boxes());
    ASSERT_TRUE(volume.OpenMixer());
    volume.DajJako(3);
    volume.CD_DecVolumeProc();
    volume.CD_DecVolumeProc();
    volume.DajJako(98);
    volume.CD_IncVolumeProc();
    volume.CD_DecVolumeProc();
    EXPECT_EQ(fake.mixer().valuesSet, (std::vector<long> { 1966, 0, 0, 64224, 65535, 60535 }));
    EXPECT_FLOAT_EQ(volume.volumeBarValue(100), 100.0f * 60535.0f / 65535.0f);

    // A value the mixer refuses is still the one the next step starts from.
    fake.mixer().refuseSet = true;
    volume.DajJako(40);
    volume.CD_IncVolumeProc();
    EXPECT_EQ(volume.MasterValue(), 31214);
}

TEST(MasterVolumeTest, EveryLevelIsAVolumeOfItsOwnAndReadsBackAsItself)
{
    const MixerControl controls[] = { { 0, 65535 }, { 0, 65536 }, { 2000, 40000 }, { -6400, 0 } };
    for (const MixerControl& control : controls) {
        SCOPED_TRACE(testing::Message() << control.minimum << ".." << control.maximum);
        FakePlatform fake;
        fake.mixer().control = control;
        MasterVolume volume(fake.mixer(), fake.boxes());
        ASSERT_TRUE(volume.OpenMixer());
        for (std::int32_t level = 0; level <= MasterVolume::kTopLevel; ++level) {
            volume.DajJako(level);
            EXPECT_NEAR(volume.volumeBarValue(MasterVolume::kTopLevel), level, 0.01) << level;
        }
        const std::vector<long>& set = fake.mixer().valuesSet;
        ASSERT_EQ(set.size(), 101u);
        EXPECT_EQ(set.front(), control.minimum) << "the bottom is silence";
        EXPECT_EQ(set.back(), control.maximum) << "the top is full";
        EXPECT_TRUE(std::adjacent_find(set.begin(), set.end(), std::greater_equal<>()) == set.end())
            << "each level louder than the one below";
    }
}

// The mixer of a sound server that is not there yet, then comes, goes away and comes back.
TEST(MasterVolumeTest, ASetThatFailsOpensTheMixerAgainOncePerFailureWithoutABox)
{
    FakePlatform fake;
    FakeMixerService& mixer = fake.mixer();
    MasterVolume volume(mixer, fake.boxes());
    mixer.failOpen = true;
    EXPECT_FALSE(volume.OpenMixer());
    volume.DajJako(10);
    EXPECT_EQ(mixer.reopenAttempts, 1);

    mixer.failOpen = false;
    volume.DajJako(30);
    volume.DajJako(31);
    EXPECT_EQ(mixer.reopenAttempts, 2) << "an open mixer is kept";

    mixer.connectionLost = true;
    volume.DajJako(40);
    EXPECT_EQ(mixer.reopenAttempts, 3);

    mixer.connectionLost = true;
    mixer.failOpen = true;
    volume.DajJako(50);
    volume.CD_IncVolumeProc();
    EXPECT_EQ(mixer.reopenAttempts, 5);
    EXPECT_EQ(volume.MasterValue(), 32768) << "the level asked of the lost mixer, none since";

    mixer.failOpen = false;
    volume.DajJako(70);
    EXPECT_EQ(mixer.reopenAttempts, 6);
    EXPECT_EQ(mixer.valuesSet, (std::vector<long> { 19661, 20316, 26214, 45875 }));
    EXPECT_EQ(mixer.openAttempts, 1);
    ASSERT_EQ(fake.boxes().shown().size(), 1u) << "only the first open tells the user";
    EXPECT_EQ(fake.boxes().shown()[0].text, QStringLiteral("Couldn't open the mixer."));

    // A mixer that refuses the value is opened again once, not in a loop.
    mixer.refuseSet = true;
    volume.DajJako(80);
    EXPECT_EQ(mixer.reopenAttempts, 7);
}

} // namespace
