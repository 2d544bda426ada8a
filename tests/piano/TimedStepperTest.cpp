#include "piano/TimedStepper.h"

#include "platform/basic/WakeTimer.h"
#include "platform/midi/FakeMidiOut.h"

#include <gtest/gtest.h>

namespace {

struct HeldWake : WakeTimer
{
    explicit HeldWake(std::optional<int>& armed)
        : ms(armed)
    {}

    void wakeAfter(int after) override { ms = after; }

    void cancel() override { ms.reset(); }

    std::optional<int>& ms;
};

// A groove's steps of messages land on their due samples; a stop keeps what is left unplaced.
TEST(TimedStepperTest, MessagesGoOutOnTheirDueSamples)
{
    FakeMidiOut midi;
    MidiHandle handle = 0;
    ASSERT_EQ(midi.open(handle, 0), MidiResult::NoError);
    std::int64_t clock = 500;
    std::optional<int> armed;
    auto wake = std::make_unique<HeldWake>(armed);
    HeldWake* wakeRef = wake.get();
    TimedStepper stepper(
        midi,
        [&clock] {
            return clock;
        },
        std::move(wake));

    const std::uint32_t kick = midiMessage(0x99, 36, 100);
    const std::uint32_t hat = midiMessage(0x99, 42, 90);
    stepper.start(handle, { { { kick, hat } }, { {} }, { { hat } }, { { kick } } }, 150);
    const std::int64_t start = 500 + TimedStepper::kLeadSamples;
    for (int wakes = 0; wakes < 2 && armed; ++wakes) {
        clock += std::int64_t(*armed) * 441 / 10;
        armed.reset();
        wakeRef->onWake();
    }
    const std::optional<std::int64_t> last = stepper.stop();
    EXPECT_FALSE(stepper.running());
    EXPECT_FALSE(armed);

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
