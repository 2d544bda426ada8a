#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/midi/BuiltInSynthPort.h"
#include "platform/midi/FakeMidiOut.h"
#include "platform/midi/SoundFontBank.h"

#include <string>

#include <gtest/gtest.h>

namespace {

using Kind = FakeMidiEvent::Kind;

FakeMidiEvent sent(int device,
    std::uint32_t message,
    MidiHandle handle,
    std::optional<std::int64_t> at = std::nullopt)
{
    return { Kind::Send, device, message, at, handle };
}

FakeMidiEvent marker(Kind kind, int device, MidiHandle handle = 0)
{
    return { kind, device, 0, std::nullopt, handle };
}

TEST(MidiOutTest, ListsAtMostTenDevicesWithNamesCutToTheirField)
{
    QStringList names { kBuiltInSynthName, QString(40, QLatin1Char('x')) };
    for (int i = 2; i < 12; ++i)
        names << QStringLiteral("Port %1").arg(i);
    FakeMidiOut midi(names);

    EXPECT_EQ(midi.deviceCount(), 12);
    const QStringList listed = midi.listedDeviceNames();
    ASSERT_EQ(listed.size(), kMaxListedDevices);
    EXPECT_EQ(listed[1], QString(31, QLatin1Char('x')));
    EXPECT_EQ(listed[9], QStringLiteral("Port 9"));

    QString name;
    EXPECT_EQ(midi.deviceName(kMidiMapper, name), MidiResult::NoError);
    EXPECT_EQ(name, kBuiltInSynthName);
    EXPECT_EQ(midi.deviceName(11, name), MidiResult::NoError);
    for (int bad : { -2, 12, 1000 }) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(midi.deviceName(bad, name), MidiResult::BadDeviceId);
        MidiHandle handle = 77;
        EXPECT_EQ(midi.open(handle, bad), MidiResult::BadDeviceId);
        EXPECT_EQ(handle, 77u);
    }
    EXPECT_TRUE(midi.log().empty());
}

TEST(MidiOutTest, CloseDropsWhatIsUndeliveredThenSilencesEveryNoteTheHandleStarted)
{
    FakeMidiOut midi;
    MidiHandle handle = 0;
    ASSERT_EQ(midi.open(handle, kMidiMapper), MidiResult::NoError);
    ASSERT_NE(handle, 0u);

    EXPECT_EQ(midi.shortMsg(handle, midiMessage(0x90, 60, 127)), MidiResult::NoError);
    midi.shortMsg(handle, midiMessage(0x91, 64, 100));
    midi.shortMsg(handle, midiMessage(0x91, 64, 0)); // velocity 0: released
    midi.shortMsg(handle, midiMessage(0xB2, 64, 127)); // sustain down on channel 3
    EXPECT_EQ(midi.shortMsgAt(handle, midiMessage(0x99, 36, 90), 1000), MidiResult::NoError);
    midi.shortMsgAt(handle, midiMessage(0x89, 36, 0), 2000);
    midi.deliver(1500);
    // Released just before the close: its note off has not reached the sound when the purge
    // comes, and neither has the drum's placed one.
    midi.shortMsg(handle, midiMessage(0x80, 60, 0));

    EXPECT_EQ(midi.close(handle), MidiResult::NoError);
    const std::vector<std::uint32_t> heard { midiMessage(0x90, 60, 127), midiMessage(0x91, 64, 100),
        midiMessage(0x91, 64, 0), midiMessage(0xB2, 64, 127), midiMessage(0x99, 36, 90),
        midiMessage(0x80, 60, 0), midiMessage(0x81, 64, 0), midiMessage(0xB2, 64, 0),
        midiMessage(0x89, 36, 0) };
    EXPECT_EQ(midi.messages(), heard);
    const std::vector<FakeMidiEvent>& log = midi.log();
    ASSERT_EQ(log.size(), 14u); // open, 7 sends, purge, 4 sends, close
    EXPECT_TRUE(log[6].dropped && log[7].dropped);
    EXPECT_EQ(log[8], marker(Kind::Purge, 0, handle));
    EXPECT_EQ(log[13], marker(Kind::Close, 0));
}

TEST(MidiOutTest, CallsOnClosedHandlesAndMalformedMessagesDoNothing)
{
    FakeMidiOut midi;
    MidiHandle handle = 0;
    ASSERT_EQ(midi.open(handle, 0), MidiResult::NoError);
    midi.clearLog();

    EXPECT_EQ(midi.shortMsg(0, midiMessage(0x90, 60, 100)), MidiResult::InvalidHandle);
    EXPECT_EQ(midi.close(0), MidiResult::InvalidHandle);
    const std::uint32_t malformed[] = {
        0x00403C, // no status byte
        midiMessage(0x90, 128, 100), // a note number past 127 spills into the status' neighbour
        midiMessage(0x90, 60, 200),
        midiMessage(0xF0, 1, 2), // system messages are not short channel messages
        0x01403C90, // a fourth byte
    };
    for (std::uint32_t message : malformed) {
        SCOPED_TRACE(message);
        EXPECT_EQ(midi.shortMsg(handle, message), MidiResult::InvalidParam);
        EXPECT_EQ(midi.shortMsgAt(handle, message, 10), MidiResult::InvalidParam);
    }
    EXPECT_TRUE(midi.log().empty());

    ASSERT_EQ(midi.close(handle), MidiResult::NoError);
    midi.clearLog();
    // A handle, once closed, stays invalid: a new open never gets it back.
    MidiHandle second = 0;
    ASSERT_EQ(midi.open(second, 0), MidiResult::NoError);
    EXPECT_NE(second, handle);
    EXPECT_EQ(midi.shortMsg(handle, midiMessage(0x90, 60, 100)), MidiResult::InvalidHandle);
    EXPECT_EQ(midi.close(handle), MidiResult::InvalidHandle);
    EXPECT_EQ(midi.log(), std::vector<FakeMidiEvent> { marker(Kind::Open, 0) });
}

TEST(MidiOutTest, ScriptedOpenFailureLeavesNothingOpenAndDevicesShareOnePortOpening)
{
    FakeMidiOut midi({ kBuiltInSynthName, QStringLiteral("Keyboard") });
    midi.failOpen(1, MidiResult::Allocated);
    MidiHandle handle = 5;
    EXPECT_EQ(midi.open(handle, 1), MidiResult::Allocated);
    EXPECT_EQ(handle, 5u);
    EXPECT_EQ(midi.shortMsg(handle, midiMessage(0x90, 60, 100)), MidiResult::InvalidHandle);
    EXPECT_TRUE(midi.log().empty());

    midi.failOpen(1, MidiResult::NoError);
    MidiHandle first = 0;
    MidiHandle second = 0;
    ASSERT_EQ(midi.open(first, 1), MidiResult::NoError);
    ASSERT_EQ(midi.open(second, 1), MidiResult::NoError);
    midi.shortMsgAt(second, midiMessage(0xC0, 5), 4410);
    EXPECT_EQ(midi.close(first), MidiResult::NoError);
    EXPECT_EQ(midi.close(second), MidiResult::NoError);
    FakeMidiEvent dropped = sent(1, midiMessage(0xC0, 5), second, 4410);
    dropped.dropped = true;
    const std::vector<FakeMidiEvent> expected { marker(Kind::Open, 1), dropped,
        marker(Kind::Purge, 1, first), marker(Kind::Purge, 1, second), marker(Kind::Close, 1) };
    EXPECT_EQ(midi.log(), expected);
}

// Device 0 as the program has it: the built-in synthesizer on the engine, rendered offline, its
// SoundFont's load played by the test.
struct RealSynthOutput
{
    void become(MidiDeviceState state)
    {
        loaded = state != MidiDeviceState::Starting;
        font = state == MidiDeviceState::Ready ? SoundFontBank::load(SoundFontBank::choose())
                                               : nullptr;
    }

    void nextBlock() { static_cast<OfflineAudioDevice&>(engine.device()).renderFrames(256); }

    AudioEngine engine { std::make_unique<OfflineAudioDevice>(256) };
    bool loaded = false;
    std::shared_ptr<SoundFontBank> font;
    std::unique_ptr<MidiOut> midi = makeMidiOut(
        engine,
        [this] {
            return font;
        },
        [this] {
            return loaded;
        });
};

// The fake's device 0, its queue as long as the real one's.
struct FakeSynthOutput
{
    explicit FakeSynthOutput(std::size_t queue)
    {
        fake->limitQueue(0, queue);
        become(MidiDeviceState::Starting);
    }

    void become(MidiDeviceState state) { fake->setDeviceState(0, state); }

    void nextBlock() { fake->deliver(); }

    std::unique_ptr<FakeMidiOut> fake = std::make_unique<FakeMidiOut>();
    MidiOut* midi = fake.get();
};

std::string name(MidiResult result)
{
    return std::to_string(static_cast<int>(result));
}

// What device 0 answers through a SoundFont's load that succeeds, a queue filled up and the
// next block, then through a load that fails: "open=0 send=1 ..." with the results' numbers.
// `queue`: how many sends the full queue took.
template <typename Output> std::string answers(Output& loading, Output& failing, int& queue)
{
    const std::uint32_t note = midiMessage(0x90, 60, 100);
    std::string told;
    MidiHandle handle = 0;
    told += "open=" + name(loading.midi->open(handle, kMidiMapper));
    told += " starting="
        + std::to_string(loading.midi->deviceState(handle) == MidiDeviceState::Starting);
    told += " send=" + name(loading.midi->shortMsg(handle, note));
    loading.become(MidiDeviceState::Ready);
    told += " ready=" + std::to_string(loading.midi->deviceState(handle) == MidiDeviceState::Ready);
    MidiResult result = MidiResult::NoError;
    for (queue = 0; queue < 100000; ++queue) {
        result = loading.midi->shortMsgAt(handle, note, 1000000);
        if (result != MidiResult::NoError)
            break;
    }
    told += " full=" + name(result);
    loading.nextBlock();
    told += " next block=" + name(loading.midi->shortMsg(handle, note));
    loading.midi->close(handle);

    told += " | open=" + name(failing.midi->open(handle, kMidiMapper));
    failing.become(MidiDeviceState::Failed);
    told +=
        " failed=" + std::to_string(failing.midi->deviceState(handle) == MidiDeviceState::Failed);
    told += " send=" + name(failing.midi->shortMsg(handle, note));
    failing.midi->close(handle);
    told += " again=" + name(failing.midi->open(handle, kMidiMapper));
    return told;
}

// The fake refuses a send where the built-in synthesizer does, with its result: while the
// SoundFont loads and after its load failed (Error), and past a full queue (NoMemory) until the
// next block takes the queue in.
TEST(MidiOutTest, TheFakeRefusesSendsWhereTheBuiltInSynthesizerDoes)
{
    RealSynthOutput loading, failing;
    int queue = 0;
    const std::string real = answers(loading, failing, queue);
    EXPECT_EQ(real,
        "open=0 starting=1 send=1 ready=1 full=7 next block=0 | open=0 failed=1 send=1 again=1");
    EXPECT_GT(queue, 1000);

    FakeSynthOutput fakeLoading(static_cast<std::size_t>(queue));
    FakeSynthOutput fakeFailing(static_cast<std::size_t>(queue));
    int fakeQueue = 0;
    EXPECT_EQ(answers(fakeLoading, fakeFailing, fakeQueue), real);
    EXPECT_EQ(fakeQueue, queue);
}

} // namespace
