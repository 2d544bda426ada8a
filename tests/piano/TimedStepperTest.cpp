#include "piano/TimedStepper.h"

#include "platform/basic/FakeWakeClock.h"
#include "platform/midi/FakeMidiOut.h"

#include <gtest/gtest.h>

namespace {

// A groove's steps of messages land on their due samples; a stop keeps what is left unplaced.
TEST(TimedStepperTest, MessagesGoOutOnTheirDueSamples)
{
    FakeMidiOut midi;
    MidiHandle handle = 0;
    ASSERT_EQ(midi.open(handle, 0), MidiResult::NoError);
    FakeWakeClock time(500);
    TimedStepper stepper(midi, time.reader(), time.make());

    const std::uint32_t kick = midiMessage(0x99, 36, 100);
    const std::uint32_t hat = midiMessage(0x99, 42, 90);
    stepper.start(handle, { { { kick, hat } }, { {} }, { { hat } }, { { kick } } }, 150);
    const std::int64_t start = 500 + TimedStepper::kLeadSamples;
    ASSERT_TRUE(time.advanceTo(start + 13230 - TimedStepper::kLeadSamples)); // two wake-ups

    const std::optional<std::int64_t> last = stepper.stop();
    EXPECT_FALSE(stepper.running());
    EXPECT_FALSE(time.armed());

    std::vector<std::pair<std::uint32_t, std::int64_t>> placed;
    for (const FakeMidiEvent& e : midi.log()) {
        if (e.kind == FakeMidiEvent::Kind::Send)
            placed.emplace_back(e.message, e.at.value_or(-1));
    }
    // 150 ms is 6615 samples; the wake-ups came 50 ms ahead, so step 3 was never placed.
    const std::vector<std::pair<std::uint32_t, std::int64_t>> expected { { kick, start },
        { hat, start }, { hat, start + 13230 } };
    EXPECT_EQ(placed, expected);
    EXPECT_EQ(last, start + 13230);
}

} // namespace
