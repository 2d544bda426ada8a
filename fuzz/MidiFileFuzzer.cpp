// libFuzzer entry for reading MIDI files: any bytes must give a sequence or Malformed, never a
// crash or a read out of bounds; a sequence must be in time order within its length, and the
// sequencer must walk it, handing every event over exactly once and ending on its last sample.
//
// The walk plays the stretches that hold events and seeks over the empty ones, as a listener
// skipping a long rest would: a file of a few bytes can last hours, and playing its silence
// sample by sample took seconds an input. A seek sends the settings before its point again;
// those come on top of the file's own events. A file with events in every block is walked for
// kMostBlocks blocks only, which keeps every input within a few tens of milliseconds.
#include "platform/midi/MidiFile.h"
#include "platform/midi/MidiFileSequencer.h"
#include "platform/midi/MidiSynth.h"

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

class CountingSynth : public MidiSynth
{
public:
    explicit CountingSynth(std::size_t& count)
        : m_count(count)
    {}

    void send(std::uint32_t) override { ++m_count; }

    void renderAdd(float*, int) override {}

    void releaseAll() override {}

    void reset() override {}

private:
    std::size_t& m_count;
};

// Blocks shorter than the sequencer's own chunk, so that events fall on both sides of its cuts.
constexpr int kBlock = 256;
constexpr int kMostBlocks = 128;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto sequence = std::make_shared<MidiSequence>();
    const MidiFileError error = MidiFile::parse(data, size, *sequence);
    if (error != MidiFileError::None) {
        if (error != MidiFileError::Malformed)
            std::abort();
        return 0;
    }
    const std::vector<TimedMessage>& events = sequence->events;
    std::int64_t previous = 0;
    for (const TimedMessage& event : events) {
        const int status = event.message & 0xFF;
        if (event.sample < previous || event.sample > sequence->lengthSamples || status < 0x80
            || status >= 0xF0 || ((event.message >> 8) & 0x80) || (event.message >> 24))
            std::abort();
        previous = event.sample;
    }

    std::size_t sent = 0;
    MidiFileSequencer sequencer(std::make_unique<CountingSynth>(sent));
    sequencer.load(sequence);
    sequencer.play();
    static std::vector<float> mix(2 * kBlock);
    std::size_t replayed = 0;
    std::size_t due = 0; // the first event not handed over yet
    std::int64_t clock = 0;
    int blocks = 0;
    // At least one block: a file of length 0 still hands its events over.
    do {
        const std::int64_t at = sequencer.position();
        while (due < events.size() && events[due].sample < at)
            ++due;
        const std::int64_t next =
            due < events.size() ? events[due].sample : sequence->lengthSamples;
        if (next - at > kBlock) {
            sequencer.seek(next);
            replayed += MidiFileSequencer::settingsBefore(events, due).size();
        }
        sequencer.render(mix.data(), kBlock, clock);
        clock += kBlock;
    } while (sequencer.playing() && ++blocks < kMostBlocks);
    if (sequencer.playing()) {
        // Cut short: what lies before the position went out, nothing after it.
        const std::int64_t at = sequencer.position();
        while (due < events.size() && events[due].sample < at)
            ++due;
        if (sent != due + replayed)
            std::abort();
        return 0;
    }
    if (sent != events.size() + replayed || sequencer.position() != sequence->lengthSamples)
        std::abort();
    return 0;
}
