// libFuzzer entry for reading MIDI files: any bytes must give a sequence or Malformed, never a
// crash or a read out of bounds; a sequence must be in time order within its length, and the
// sequencer must walk it to the end, handing every event over exactly once.
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

// Longer files are only read: walking hours of samples would slow the fuzzer to a crawl.
constexpr std::int64_t kLongestWalk = 44100 * 600;

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
    std::int64_t previous = 0;
    for (const TimedMessage& event : sequence->events) {
        const int status = event.message & 0xFF;
        if (event.sample < previous || event.sample > sequence->lengthSamples || status < 0x80
            || status >= 0xF0 || ((event.message >> 8) & 0x80) || (event.message >> 24))
            std::abort();
        previous = event.sample;
    }
    if (sequence->lengthSamples > kLongestWalk)
        return 0;

    std::size_t sent = 0;
    MidiFileSequencer sequencer(std::make_unique<CountingSynth>(sent));
    sequencer.load(sequence);
    sequencer.play();
    static std::vector<float> mix(2 * 65536);
    std::int64_t clock = 0;
    for (std::int64_t left = sequence->lengthSamples + 1; left > 0; left -= 65536) {
        sequencer.render(mix.data(), 65536, clock);
        clock += 65536;
    }
    if (sent != sequence->events.size() || sequencer.playing()
        || sequencer.position() != sequence->lengthSamples)
        std::abort();
    return 0;
}
