#include "players/MasterVolume.h"

#include "platform/FakePlatform.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/mixer/FakeMixerService.h"

#include <climits>

#include <gtest/gtest.h>

namespace {

TEST(MasterVolumeTest, LevelsAreTimesAThousandWithinTheControlsBounds)
{
    struct Case
    {
        MixerControl control;
        std::int32_t level;
        long expected;
    };

    // Products far beyond 32 bits clamp instead of overflowing.
    const Case cases[] = { { { 0, 65535 }, 0, 0 }, { { 0, 65535 }, 65, 65000 },
        { { 0, 65535 }, 66, 65535 }, { { 0, 65535 }, -3, 0 }, { { 0, 65535 }, INT32_MAX, 65535 },
        { { 0, 65535 }, INT32_MIN, 0 }, { { 2000, 40000 }, 1, 2000 },
        { { 2000, 40000 }, 39, 39000 } };
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
    volume.DajJako(64);
    volume.CD_IncVolumeProc();
    volume.CD_DecVolumeProc();
    EXPECT_EQ(fake.mixer().valuesSet, (std::vector<long> { 3000, 0, 0, 64000, 65535, 60535 }));
    EXPECT_FLOAT_EQ(volume.volumeBarValue(100), 100.0f * 60535.0f / 65535.0f);

    // A value the mixer refuses is still the one the next step starts from.
    fake.mixer().refuseSet = true;
    volume.DajJako(40);
    volume.CD_IncVolumeProc();
    EXPECT_EQ(volume.MasterValue(), 45000);
}

} // namespace
