#include "players/MasterVolume.h"

#include "platform/FakePlatform.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/mixer/FakeMixerService.h"

#include <climits>

#include <gtest/gtest.h>

namespace {

class MasterVolumeTest : public ::testing::Test
{
protected:
    // One load of the player form: a fresh MasterVolume over the run's mixer.
    MasterVolume load() { return MasterVolume(fake.mixer(), fake.boxes()); }

    FakePlatform fake;
};

TEST_F(MasterVolumeTest, TheMixerOpensOnceAcrossReloadsOfTheForm)
{
    {
        MasterVolume first = load();
        EXPECT_TRUE(first.OpenMixer());
        first.DajJako(50);
        EXPECT_EQ(first.MasterValue(), 50000);
    }
    MasterVolume second = load();
    EXPECT_TRUE(second.OpenMixer());
    EXPECT_EQ(second.MasterValue(), 0);
    second.DajJako(20);

    EXPECT_EQ(fake.mixer().openAttempts, 1);
    EXPECT_EQ(fake.mixer().valuesSet, (std::vector<long> { 50000, 20000 }));
    EXPECT_TRUE(fake.boxes().shown().empty());
}

TEST_F(MasterVolumeTest, AFailedOpenIsShownOnceAndLeavesTheVolumeAlone)
{
    fake.mixer().failOpen = true;
    for (int reload = 0; reload < 3; ++reload) {
        SCOPED_TRACE(reload);
        MasterVolume volume = load();
        EXPECT_FALSE(volume.OpenMixer());
        volume.DajJako(50);
        volume.CD_IncVolumeProc();
        EXPECT_EQ(volume.MasterValue(), 0);
        EXPECT_EQ(volume.volumeBarValue(100), 0.0f);
    }
    EXPECT_EQ(fake.mixer().openAttempts, 1);
    EXPECT_TRUE(fake.mixer().valuesSet.empty());
    ASSERT_EQ(fake.boxes().shown().size(), 1u);
    const BoxRequest& box = fake.boxes().shown().front();
    EXPECT_EQ(box.text, QStringLiteral("Couldn't open the mixer."));
    EXPECT_EQ(box.title, kAppTitle);
    EXPECT_EQ(box.buttons, MsgButtons::OK);
    EXPECT_EQ(box.icon, MsgIcon::None);
}

TEST_F(MasterVolumeTest, WithoutAControlNothingIsSet)
{
    fake.mixer().control.reset();
    MasterVolume volume = load();
    EXPECT_TRUE(volume.OpenMixer());
    volume.DajJako(50);
    volume.CD_DecVolumeProc();
    volume.CD_IncVolumeProc();
    EXPECT_EQ(volume.MasterValue(), 0);
    EXPECT_TRUE(fake.mixer().valuesSet.empty());
    EXPECT_TRUE(fake.boxes().shown().empty());
}

TEST_F(MasterVolumeTest, LevelsAreTimesAThousandWithinTheControlsBounds)
{
    struct Case
    {
        MixerControl control;
        std::int32_t level;
        long expected;
    };

    const Case cases[] = {
        { { 0, 65535 }, 0, 0 },
        { { 0, 65535 }, 50, 50000 },
        { { 0, 65535 }, 65, 65000 },
        { { 0, 65535 }, 66, 65535 },
        { { 0, 65535 }, 100, 65535 },
        { { 0, 65535 }, -3, 0 },
        // Products far beyond 32 bits clamp instead of overflowing.
        { { 0, 65535 }, INT32_MAX, 65535 },
        { { 0, 65535 }, INT32_MIN, 0 },
        { { 2000, 40000 }, 1, 2000 },
        { { 2000, 40000 }, 39, 39000 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
            << c.control.minimum << ".." << c.control.maximum << " level " << c.level);
        FakePlatform fresh;
        fresh.mixer().control = c.control;
        MasterVolume volume(fresh.mixer(), fresh.boxes());
        ASSERT_TRUE(volume.OpenMixer());
        volume.DajJako(c.level);
        EXPECT_EQ(volume.MasterValue(), c.expected);
        EXPECT_EQ(fresh.mixer().valuesSet, std::vector<long> { c.expected });
    }
}

TEST_F(MasterVolumeTest, StepsMoveFromTheLastValueAndStopAtTheBounds)
{
    MasterVolume volume = load();
    ASSERT_TRUE(volume.OpenMixer());

    volume.DajJako(3);
    volume.CD_DecVolumeProc();
    EXPECT_EQ(volume.MasterValue(), 0);
    volume.CD_DecVolumeProc();
    EXPECT_EQ(volume.MasterValue(), 0);

    volume.DajJako(64);
    volume.CD_IncVolumeProc();
    EXPECT_EQ(volume.MasterValue(), 65535);
    volume.CD_DecVolumeProc();
    EXPECT_EQ(volume.MasterValue(), 60535);

    EXPECT_EQ(fake.mixer().valuesSet, (std::vector<long> { 3000, 0, 0, 64000, 65535, 60535 }));
    // The bar shows the share of the control's maximum.
    EXPECT_FLOAT_EQ(volume.volumeBarValue(100), 100.0f * 60535.0f / 65535.0f);
}

TEST_F(MasterVolumeTest, AVolumeTheMixerRefusesIsStillRemembered)
{
    fake.mixer().refuseSet = true;
    MasterVolume volume = load();
    ASSERT_TRUE(volume.OpenMixer());
    volume.DajJako(40);
    volume.CD_IncVolumeProc();
    EXPECT_EQ(volume.MasterValue(), 45000);
}

} // namespace
