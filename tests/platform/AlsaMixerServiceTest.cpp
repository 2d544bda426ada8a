#include "platform/mixer/AlsaMixerService.h"

#include <gtest/gtest.h>

namespace {

TEST(AlsaMixerServiceTest, OurStepsMapOntoTheCardsRange)
{
    struct Case
    {
        long value;
        long minimum;
        long maximum;
        long expected;
    };

    const Case cases[] = {
        { 0, 0, 65536, 0 },
        { 65535, 0, 65536, 65536 },
        { 50000, 0, 65536, 50001 },
        { 0, 0, 87, 0 },
        { 65535, 0, 87, 87 },
        // 32767.5 steps would be 43.5 card steps: the half rounds up.
        { 32768, 0, 87, 44 },
        { 32767, 0, 87, 43 },
        { 65535, -6400, 0, 0 },
        { 0, -6400, 0, -6400 },
        // Outside our range: the nearest end.
        { 70000, 0, 87, 87 },
        { -5, 0, 87, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " on " << c.minimum << ".." << c.maximum);
        EXPECT_EQ(AlsaMixerService::cardSteps(c.value, c.minimum, c.maximum), c.expected);
    }
}

TEST(AlsaMixerServiceTest, AMissingCardFailsOnceAndOffersNoControl)
{
    AlsaMixerService mixer("hw:99");
    EXPECT_EQ(mixer.state(), MixerService::State::NotOpened);
    EXPECT_FALSE(mixer.open());
    EXPECT_EQ(mixer.state(), MixerService::State::Failed);
    EXPECT_FALSE(mixer.open());
    EXPECT_FALSE(mixer.masterControl().has_value());
    EXPECT_FALSE(mixer.setMasterVolume(1000));
    // Tried again only when asked to, and it is still not there.
    EXPECT_FALSE(mixer.reopen());
    EXPECT_EQ(mixer.state(), MixerService::State::Failed);
    EXPECT_FALSE(mixer.masterControl().has_value());
}

} // namespace
