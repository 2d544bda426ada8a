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
    bool silent = false;
};

class RecordingSynth : public MidiSynth
{
public:
    explicit RecordingSynth(SynthLog& log)
        : m_log(log)
    {}

    // As a real synth, one that was silent may sound after any message.
    void send(std::uint32_t message) override
    {
        m_log.sent.push_back({ m_log.rendered, message });
        m_log.silent = false;
    }

    void renderAdd(float* mix, int frames) override
    {
        for (int i = 0; i < 2 * frames; ++i)
            mix[i] += 1.0f;
        m_log.rendered += frames;
    }

    void releaseAll() override { ++m_log.releases; }

    void reset() override { ++m_log.resets; }

    bool silent() const override { return m_log.silent; }

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

    // What the sequencer mixes into silence over the next `frames`, in blocks of `block`.
    std::vector<float> capture(int frames, int block)
    {
        std::vector<float> out(std::size_t(2 * frames), 0.0f);
        for (int done = 0; done < frames; done += block) {
            const int n = std::min(block, frames - done);
            sequencer.render(out.data() + 2 * done, n, clock);
            clock += n;
        }
        return out;
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
    rig.log.silent = true;
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

TEST(MidiFileSequencerTest, ASeekWhileSoundingCrossfadesToTheNewPlace)
{
    Rig rig;
    rig.sequencer.play();
    rig.render(500, 100);
    rig.sequencer.seek(1500);
    rig.sequencer.seek(1200); // overtakes the first before the audio thread saw it
    EXPECT_EQ(rig.sequencer.position(), 1200);
    std::vector<float> mix(2 * 100);
    rig.sequencer.render(mix.data(), 100, rig.clock);
    rig.clock += 100;
    // The synth's sound is a constant 1: the old sound's fade and the new place's rise add up
    // to it on every frame, so nothing jumps.
    for (int i = 0; i < 100; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(mix[std::size_t(2 * i)], 1.0f);
    }
    rig.render(800, 100);
    EXPECT_EQ(rig.log.resets, 2) << "load, then one seek";
    EXPECT_EQ(rig.sequencer.position(), 2000);
    // The fade was rendered ahead (64 frames after the 500 played), then the settings before
    // 1200 were sent again; the file's sample 2000 came 800 frames after the seek.
    const std::vector<TimedMessage> expected { { 0, midiMessage(0xC0, 5) },
        { 0, midiMessage(0x90, 60, 100) }, { 100, midiMessage(0xB0, 7, 90) },
        { 564, midiMessage(0xC0, 5) }, { 564, midiMessage(0xB0, 7, 90) },
        { 1364, midiMessage(0x80, 62, 0) } };
    EXPECT_EQ(rig.log.sent, expected);
}

TEST(MidiFileSequencerTest, LevelAndBalanceScaleEachSideAndAreReachedOverTheRamp)
{
    struct Case
    {
        int volume;
        int balance;
        float left;
        float right;
    };

    const Case cases[] = {
        { -600, 0, 0.501187f, 0.501187f },
        { 0, 600, 0.501187f, 1.0f }, // the balance lowers the other side
        { -2000, -2000, 0.1f, 0.01f },
        { 0, 10000, 0.0f, 1.0f },
        { 0, -10000, 1.0f, 0.0f },
        { -10000, 0, 0.0f, 0.0f },
    };
    for (int block : { 1, 37, 512, 3000 }) {
        for (const Case& c : cases) {
            SCOPED_TRACE(
                testing::Message() << block << " frames, " << c.volume << "/" << c.balance);
            Rig rig; // its synth's sound is a constant 1 on both sides
            rig.capture(100, block);
            rig.sequencer.setLevel(c.volume, c.balance);
            const std::vector<float> out = rig.capture(LevelRamp::kFrames + 100, block);
            // Even steps from full to the new level, whatever the blocks: no click.
            for (int i = 0; i < LevelRamp::kFrames; ++i) {
                const float t = float(i + 1) / LevelRamp::kFrames;
                ASSERT_NEAR(out[std::size_t(2 * i)], 1.0f + (c.left - 1.0f) * t, 1e-5f) << i;
                ASSERT_NEAR(out[std::size_t(2 * i + 1)], 1.0f + (c.right - 1.0f) * t, 1e-5f) << i;
            }
            EXPECT_NEAR(out[out.size() - 2], c.left, 1e-5f);
            EXPECT_NEAR(out.back(), c.right, 1e-5f);
        }
    }
}

TEST(MidiFileSequencerTest, ALevelSetBeforeAFileLoadsHoldsFromItsFirstSample)
{
    SynthLog log;
    MidiFileSequencer sequencer(std::make_unique<RecordingSynth>(log));
    sequencer.setLevel(-2000, 0);
    sequencer.load(song());
    std::vector<float> mix(2 * 8, 0.0f);
    sequencer.render(mix.data(), 8, 0);
    EXPECT_FLOAT_EQ(mix[0], 0.1f);
    EXPECT_FLOAT_EQ(mix[15], 0.1f);
}

TEST(MidiFileSequencerTest, TheSpeedScalesTheClockFromTheBlockItIsSetIn)
{
    struct Case
    {
        double speed;
        int block;
        std::vector<std::int64_t> due; // frames after play of the events at 0, 100, 1000, 2000
        std::int64_t endsAfter;
    };

    const Case cases[] = {
        { 2.0, 64, { 0, 0, 50, 500, 500, 1000 }, 1000 },
        { 0.5, 64, { 0, 0, 200, 2000, 2000, 4000 }, 4000 },
        { 1.5, 7, { 0, 0, 67, 667, 667, 1334 }, 1334 },
        { 0.001, 512, { 0, 0, 10000, 100000, 100000, 200000 }, 200000 }, // kept at 0.01
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.speed);
        Rig rig;
        rig.sequencer.setSpeed(c.speed);
        rig.sequencer.play();
        rig.render(c.endsAfter - 1, c.block);
        EXPECT_TRUE(rig.sequencer.playing()) << "one frame before its end";
        rig.render(1, 1);
        EXPECT_FALSE(rig.sequencer.playing());
        EXPECT_EQ(rig.sequencer.position(), 2000);
        ASSERT_EQ(rig.log.sent.size(), c.due.size());
        for (std::size_t i = 0; i < c.due.size(); ++i)
            EXPECT_EQ(rig.log.sent[i].sample, c.due[i]) << i;
    }

    // Changed while playing: the part of the file left goes at the new pace from there.
    Rig rig;
    rig.sequencer.play();
    rig.render(500, 100);
    rig.sequencer.setSpeed(4.0);
    rig.render(500, 100);
    EXPECT_EQ(rig.sequencer.position(), 2000);
    ASSERT_EQ(rig.log.sent.size(), 6u);
    EXPECT_EQ(rig.log.sent[3].sample, 500 + 125); // file sample 1000
    EXPECT_EQ(rig.log.sent[5].sample, 500 + 375); // its end, 2000
}

TEST(MidiFileSequencerTest, TheSettingsReplayedKeepTheirOrderAndOnlyTheLastOfEachValue)
{
    const std::vector<TimedMessage> events { { 0, midiMessage(0xC0, 5) },
        { 0, midiMessage(0xB0, 7, 100) }, { 10, midiMessage(0xE0, 0, 0x40) },
        { 20, midiMessage(0xB0, 0, 1) }, { 20, midiMessage(0xC0, 7) },
        { 30, midiMessage(0xB0, 7, 90) }, { 40, midiMessage(0xE0, 0, 0x50) },
        { 40, midiMessage(0xE1, 0, 0x30) }, { 50, midiMessage(0xB0, 101, 0) },
        { 50, midiMessage(0xB0, 100, 0) }, { 50, midiMessage(0xB0, 6, 12) },
        { 55, midiMessage(0xB0, 100, 1) }, { 55, midiMessage(0xB0, 6, 64) },
        { 60, midiMessage(0xB0, 121, 0) }, { 70, midiMessage(0xB0, 11, 127) },
        { 75, midiMessage(0xD0, 20) }, { 80, midiMessage(0xB0, 11, 64) },
        { 85, midiMessage(0x90, 60, 100) }, { 90, midiMessage(0xD0, 30) },
        { 100, midiMessage(0xB0, 7, 10) } };

    struct Case
    {
        std::size_t end;
        std::vector<std::uint32_t> replayed;
    };

    const Case cases[] = {
        { 0, {} },
        { 2, { midiMessage(0xC0, 5), midiMessage(0xB0, 7, 100) } },
        // The bank select is read by the program change after it; each data entry acts on the
        // parameter chosen before it; the reset of all controllers comes after the values it
        // resets. Volume, bend, expression and pressure keep only their last value.
        { 19,
            { midiMessage(0xC0, 5), midiMessage(0xB0, 0, 1), midiMessage(0xC0, 7),
                midiMessage(0xB0, 7, 90), midiMessage(0xE0, 0, 0x50), midiMessage(0xE1, 0, 0x30),
                midiMessage(0xB0, 101, 0), midiMessage(0xB0, 100, 0), midiMessage(0xB0, 6, 12),
                midiMessage(0xB0, 100, 1), midiMessage(0xB0, 6, 64), midiMessage(0xB0, 121, 0),
                midiMessage(0xB0, 11, 64), midiMessage(0xD0, 30) } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.end);
        EXPECT_EQ(MidiFileSequencer::settingsBefore(events, c.end), c.replayed);
    }
    EXPECT_EQ(MidiFileSequencer::settingsBefore(events, 99).back(), midiMessage(0xB0, 7, 10))
        << "an end past the last event takes them all";
}

} // namespace
