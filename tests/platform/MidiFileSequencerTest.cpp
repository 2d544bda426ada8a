#include "platform/midi/MidiFileSequencer.h"

#include "platform/midi/MidiOut.h"
#include "platform/midi/MidiSynth.h"

#include <memory>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Notes at which rendered frame each call arrived; its sound is a constant, so that what the
// sequencer mixes is visible too.
struct SynthLog
{
    std::vector<TimedMessage> sent; // sample = frames rendered before the message arrived
    std::int64_t rendered = 0;
    int releases = 0;
    int resets = 0;
};

class RecordingSynth : public MidiSynth
{
public:
    explicit RecordingSynth(SynthLog& log)
        : m_log(log)
    {}

    void send(std::uint32_t message) override { m_log.sent.push_back({ m_log.rendered, message }); }

    void renderAdd(float* mix, int frames) override
    {
        for (int i = 0; i < 2 * frames; ++i)
            mix[i] += 1.0f;
        m_log.rendered += frames;
    }

    void releaseAll() override { ++m_log.releases; }

    void reset() override { ++m_log.resets; }

private:
    SynthLog& m_log;
};

std::shared_ptr<MidiSequence> song()
{
    auto sequence = std::make_shared<MidiSequence>();
    sequence->events = { { 0, midiMessage(0xC0, 5) }, { 0, midiMessage(0x90, 60, 100) },
        { 100, midiMessage(0xB0, 7, 90) }, { 1000, midiMessage(0x80, 60, 0) },
        { 1000, midiMessage(0x90, 62, 100) }, { 2000, midiMessage(0x80, 62, 0) } };
    sequence->lengthSamples = 2000;
    return sequence;
}

struct Rig
{
    Rig()
        : sequencer(std::make_unique<RecordingSynth>(log))
    {
        sequencer.load(song());
    }

    // Renders `frames` in blocks of `block`, on an engine clock that starts at `clock`.
    void render(std::int64_t frames, int block)
    {
        std::vector<float> mix(2 * block);
        while (frames > 0) {
            const int n = static_cast<int>(std::min<std::int64_t>(block, frames));
            sequencer.render(mix.data(), n, clock);
            clock += n;
            frames -= n;
        }
    }

    SynthLog log;
    MidiFileSequencer sequencer;
    std::int64_t clock = 123456;
};

TEST(MidiFileSequencerTest, EventsReachTheSynthOnTheirSampleWhateverTheBlockSize)
{
    for (int block : { 1, 37, 64, 512, 4096 }) {
        SCOPED_TRACE(block);
        Rig rig;
        rig.render(300, block); // stopped: the synth renders, no event goes out
        EXPECT_TRUE(rig.log.sent.empty());
        const std::int64_t startedAt = rig.log.rendered;
        rig.sequencer.play();
        EXPECT_TRUE(rig.sequencer.playing());
        rig.render(2500, block);

        std::vector<TimedMessage> expected = song()->events;
        for (auto& event : expected)
            event.sample += startedAt;
        EXPECT_EQ(rig.log.sent, expected);
        EXPECT_FALSE(rig.sequencer.playing());
        EXPECT_EQ(rig.sequencer.position(), 2000);
        EXPECT_EQ(rig.log.rendered, 2800) << "the synth goes on rendering release tails";
    }
}

TEST(MidiFileSequencerTest, AFileOfLengthZeroStillSendsItsEventsAndReleasesThem)
{
    SynthLog log;
    MidiFileSequencer sequencer(std::make_unique<RecordingSynth>(log));
    auto sequence = std::make_shared<MidiSequence>();
    sequence->events = { { 0, midiMessage(0xC0, 5) }, { 0, midiMessage(0x90, 60, 100) } };
    sequencer.load(sequence);
    sequencer.play();
    std::vector<float> mix(2 * 64);
    sequencer.render(mix.data(), 64, 1000);
    EXPECT_EQ(log.sent, sequence->events);
    EXPECT_EQ(log.releases, 1);
    EXPECT_FALSE(sequencer.playing());
    sequencer.play();
    sequencer.render(mix.data(), 64, 1064);
    EXPECT_EQ(log.sent.size(), 2u) << "played to its end, it sends nothing again";
}

TEST(MidiFileSequencerTest, PauseHoldsThePositionAndReleasesNotesAndPlayGoesOn)
{
    Rig rig;
    rig.sequencer.play();
    rig.render(500, 100);
    EXPECT_EQ(rig.sequencer.position(), 500);
    rig.sequencer.pause();
    EXPECT_FALSE(rig.sequencer.playing());
    rig.render(700, 100);
    EXPECT_EQ(rig.log.releases, 1);
    EXPECT_EQ(rig.sequencer.position(), 500);
    EXPECT_EQ(rig.log.sent.size(), 3u);

    rig.sequencer.play();
    rig.render(600, 100);
    EXPECT_EQ(rig.sequencer.position(), 1100);
    ASSERT_EQ(rig.log.sent.size(), 5u);
    // Sample 1000 of the file came 500 samples after playing resumed at frame 1200.
    EXPECT_EQ(rig.log.sent[3], (TimedMessage { 1700, midiMessage(0x80, 60, 0) }));
}

TEST(MidiFileSequencerTest, SeekResetsTheSynthAndSendsOnlyTheSettingsBeforeThePoint)
{
    Rig rig;
    rig.sequencer.seek(1000);
    EXPECT_EQ(rig.sequencer.position(), 1000) << "seen at once, before the audio thread";
    rig.render(64, 64);
    EXPECT_EQ(rig.log.resets, 2); // load, then the seek
    const std::vector<TimedMessage> chased { { 0, midiMessage(0xC0, 5) },
        { 0, midiMessage(0xB0, 7, 90) } };
    EXPECT_EQ(rig.log.sent, chased);

    rig.sequencer.play();
    rig.render(64, 64);
    ASSERT_EQ(rig.log.sent.size(), 4u);
    EXPECT_EQ(rig.log.sent[2], (TimedMessage { 64, midiMessage(0x80, 60, 0) }));

    rig.sequencer.seek(50000);
    EXPECT_EQ(rig.sequencer.position(), 2000) << "kept within the file";
}

} // namespace
