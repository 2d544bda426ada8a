#include "piano/PianoCore.h"

#include "app/FlamMenus.h"
#include "app/FlamPopupMenus.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/basic/FakeWakeClock.h"
#include "platform/midi/FakeMidiOut.h"

#include <memory>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Messages = std::vector<std::uint32_t>;

constexpr std::uint32_t msg(int status, int data1, int data2 = 0)
{
    return midiMessage(status, data1, data2);
}

// Key codes of the computer keyboard.
constexpr int kZ = 90, kC = 67, kV = 86, kB = 66, kPad2 = 98, kPad3 = 99, kPad5 = 101, kPad8 = 104;

// One piano over the real menus and the recording MIDI devices; a second opening reuses the
// menus, as the program does.
struct Rig
{
    explicit Rig(QStringList devices = { kBuiltInSynthName })
        : midi(devices)
    {
        open();
    }

    void open()
    {
        view.setLabel3 = [this](const QString& text) {
            label3 = text;
        };
        view.setLabel9 = [this](const QString& text) {
            label9 = text;
        };
        view.setLblInst = [this](const QString& text) {
            lblInst = text;
        };
        piano = std::make_unique<PianoCore>(midi, popups, boxes, view, makeWake());
        piano->load(parseInstrumentList("0\tAcoustic Grand Piano\r\n"));
        midi.clearLog();
    }

    Messages sent() const { return midi.messages(); }

    // The recording devices are ready at once: nothing arms it.
    std::unique_ptr<WakeTimer> makeWake() { return watch.make(); }

    std::vector<int> checked(QStringView name, int count) const
    {
        std::vector<int> found;
        for (int i = 0; i < count; ++i) {
            if (popups.checked(name, i))
                found.push_back(i);
        }
        return found;
    }

    FakeMidiOut midi;
    FlamMenus menus;
    FlamPopupMenus popups { menus };
    FakeMessageBoxService boxes;
    PianoView view;
    FakeWakeClock watch;
    QString label3, label9, lblInst;
    std::unique_ptr<PianoCore> piano;
};

TEST(PianoCoreTest, KeysSoundFromTheBaseOnTheChannelCurrentAtEachMessage)
{
    Rig rig;
    rig.piano->PressKey(0);
    rig.piano->PressKey(0); // already down: nothing
    rig.piano->ReleaseKey(0);
    rig.piano->ReleaseKey(0); // released keys still send their Off
    EXPECT_EQ(rig.sent(), (Messages { msg(0x90, 0x3C, 0x7F), msg(0x80, 0x3C), msg(0x80, 0x3C) }));

    // A held key's Off goes to the channel and base note of the moment it is released.
    rig.midi.clearLog();
    rig.piano->PressKey(2);
    rig.piano->Kanal(9);
    rig.boxes.answerInputNext(QStringLiteral("40"));
    rig.piano->Baza();
    rig.piano->ReleaseKey(2);
    EXPECT_EQ(rig.sent(), (Messages { msg(0x90, 62, 127), msg(0x89, 42) }));
    EXPECT_EQ(rig.label3, QStringLiteral("Chanel: Drum   Base: 40"));

    // The mouse releases all 37 keys, in order, before it presses one.
    rig.midi.clearLog();
    rig.piano->keyMouseDown(5);
    const Messages sent = rig.sent();
    ASSERT_EQ(sent.size(), 38u);
    for (int k = 0; k < 37; ++k)
        EXPECT_EQ(sent[k], msg(0x89, 40 + k)) << k;
    EXPECT_EQ(sent[37], msg(0x99, 45, 127));
}

TEST(PianoCoreTest, InstrumentGoesToChannelOneWhateverTheChannel)
{
    Rig rig;
    rig.piano->Kanal(9);
    rig.piano->Pianino(24);
    EXPECT_EQ(rig.sent(), (Messages { msg(0xB0, 0, 0), msg(0xB0, 32, 0), msg(0xC0, 24) }));
}

TEST(PianoCoreTest, BaseAnswers)
{
    struct Case
    {
        const char* answer;
        int base;
        const char* message; // "" when none
    };

    const Case cases[] = {
        { "100", 100, "" }, { "30", 30, "" }, { "29.5", 30, "" }, { "30.5", 30, "" },
        { "29.4", 60, "Input 29 out of range (30 - 100)." },
        { "101", 60, "Input 101 out of range (30 - 100)." },
        { "1e9", 60, "Input 1e9 out of range (30 - 100)." }, { "abc", 60, "" },
        { "", 60, "" }, // Cancel
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        Rig rig;
        rig.boxes.answerInputNext(QString::fromLatin1(c.answer));
        rig.piano->Baza();
        EXPECT_EQ(rig.piano->baseNote(), c.base);
        ASSERT_GE(rig.boxes.shown().size(), 1u);
        EXPECT_EQ(rig.boxes.shown()[0].defaultText, QStringLiteral("60"));
        if (*c.message) {
            ASSERT_EQ(rig.boxes.shown().size(), 2u);
            EXPECT_EQ(rig.boxes.shown()[1].text, QString::fromLatin1(c.message));
            EXPECT_EQ(rig.boxes.shown()[1].title, QStringLiteral("Kadentor"));
            EXPECT_TRUE(rig.label3.isEmpty()); // not refreshed after the message
        } else {
            EXPECT_EQ(rig.boxes.shown().size(), 1u);
            EXPECT_EQ(rig.label3, QStringLiteral("Chanel: Midi   Base: %1").arg(c.base));
        }
    }
}

TEST(PianoCoreTest, NotesPastTheLastMidiNoteStaySilentButShow)
{
    Rig rig;
    std::vector<int> shown;
    rig.view.keyShown = [&](int k, bool down) {
        if (down)
            shown.push_back(k);
    };
    rig.open();
    rig.boxes.answerInputNext(QStringLiteral("100"));
    rig.piano->Baza();
    for (int k = 26; k < 37; ++k)
        rig.piano->PressKey(k);
    EXPECT_EQ(shown.size(), 11u);
    EXPECT_EQ(rig.sent(), (Messages { msg(0x90, 126, 127), msg(0x90, 127, 127) }));
    rig.midi.clearLog();
    rig.piano->DigniGa();
    EXPECT_EQ(rig.sent().size(), 28u); // notes 100 to 127
}

TEST(PianoCoreTest, VelocityKnob)
{
    const int table[][2] = { { 100, 127 }, { 50, 64 }, { 0, 0 }, { 1, 1 } };
    Rig rig;
    for (const auto& [knob, velocity] : table) {
        rig.piano->setKnobValue(knob);
        rig.midi.clearLog();
        rig.piano->PressKey(0);
        rig.piano->ReleaseKey(0);
        EXPECT_EQ(rig.sent().front(), msg(0x90, 60, velocity)) << knob;
    }
}

TEST(PianoCoreTest, KeyCodesOfTheTwoRows)
{
    const int table[][2] = { { kZ, 0 }, { 188, 12 }, { 191, 16 }, { 81, 17 }, { 221, 36 },
        { 75, -1 }, { 49, -1 }, { 53, -1 }, { 56, -1 }, { 32, -1 }, { 27, -1 }, { kPad2, -1 } };
    for (const auto& [code, key] : table)
        EXPECT_EQ(PianoCore::KeyCodeToKey(code), key) << code;
}

TEST(PianoCoreTest, SpaceHeldSustainsUntilItComesUp)
{
    Rig rig;
    rig.piano->keyDown(PianoCore::kSpace);
    for (int code : { kC, kV, kB }) {
        rig.piano->keyDown(code);
        rig.piano->keyDown(code); // a repeat strikes nothing
        rig.piano->keyUp(code);
    }
    EXPECT_EQ(
        rig.sent(), (Messages { msg(0x90, 64, 127), msg(0x90, 65, 127), msg(0x90, 67, 127) }));
    rig.midi.clearLog();
    rig.piano->keyUp(PianoCore::kSpace);
    const Messages offs = rig.sent();
    EXPECT_EQ(offs.size(), 37u);
    EXPECT_FALSE(rig.piano->sustain());
    EXPECT_FALSE(rig.piano->keyDownShown(4));
}

TEST(PianoCoreTest, EscapeAsksToCloseAndPlaysNothing)
{
    for (const char* mode : { "Normal", "Major/Dur" }) {
        Rig rig;
        rig.piano->setMode(QString::fromLatin1(mode));
        rig.piano->PressKey(5);
        rig.midi.clearLog();
        EXPECT_TRUE(rig.piano->keyDown(PianoCore::kEscape)) << mode;
        EXPECT_TRUE(rig.sent().empty()) << mode;
        EXPECT_TRUE(rig.piano->keyDownShown(5)) << mode; // the unload releases it
        EXPECT_FALSE(rig.piano->keyDown(kZ)) << mode;
    }
}

TEST(PianoCoreTest, ChordModeKeysWithLeftHandOnly)
{
    constexpr int kSlash = 191, kQ = 81;
    Rig rig;
    rig.piano->setMode(QStringLiteral("Dominant 7"));
    rig.piano->setPratnja(true);
    rig.piano->keyDown(kSlash); // key 16: the chord, its root struck once
    rig.piano->keyDown(kQ); // key 17, upper row: a single note
    rig.piano->keyDown(kPad5); // the pads are silent in a chord mode
    EXPECT_EQ(rig.sent(),
        (Messages { msg(0x90, 76, 127), msg(0x90, 80, 127), msg(0x90, 83, 127), msg(0x90, 86, 127),
            msg(0x90, 77, 127) }));

    rig.midi.clearLog();
    rig.piano->keyUp(kQ); // only Q comes up
    EXPECT_EQ(rig.sent(), (Messages { msg(0x80, 77) }));
    EXPECT_TRUE(rig.piano->keyDownShown(26));

    rig.piano->keyUp(kSlash); // a lower-row key lifts the whole keyboard
    EXPECT_FALSE(rig.piano->keyDownShown(16));
    EXPECT_FALSE(rig.piano->keyDownShown(26));
}

TEST(PianoCoreTest, DrumPads)
{
    Rig rig;
    rig.piano->Kanal(9);
    rig.piano->setKnobValue(50);
    rig.piano->keyDown(kPad2);
    rig.piano->keyUp(kPad2);
    rig.piano->keyDown(kPad5);
    rig.piano->keyDown(kPad5); // held: one stroke
    rig.piano->keyUp(kPad5);
    rig.piano->keyDown(PianoCore::kSpace);
    rig.piano->keyDown(kPad3);
    rig.piano->keyUp(kPad3); // sustained: no Off, then or later
    rig.piano->keyUp(PianoCore::kSpace);
    const Messages expected = { msg(0x99, 36, 64), msg(0x89, 36), msg(0x99, 42, 64), msg(0x89, 42),
        msg(0x99, 40, 64) };
    Messages sent = rig.sent();
    sent.erase(sent.begin() + 5, sent.end()); // the space bar's 37 releases
    EXPECT_EQ(sent, expected);

    // Pad 4 (keypad 8) given the first and the last drum sound.
    rig.midi.clearLog();
    rig.piano->Drum2(4);
    for (int entry : { 0, 31 }) {
        rig.piano->mnDrum(entry);
        rig.piano->keyDown(kPad8);
        rig.piano->keyUp(kPad8);
    }
    EXPECT_EQ(rig.sent(),
        (Messages { msg(0x99, 35, 64), msg(0x89, 35), msg(0x99, 66, 64), msg(0x89, 66) }));

    // A new opening starts from the default pads.
    rig.piano->unload();
    rig.open();
    rig.piano->keyDown(kPad8);
    EXPECT_EQ(rig.sent(), (Messages { msg(0x99, 47, 127) }));
}

TEST(PianoCoreTest, DevicesAndTheirMenu)
{
    QStringList twelve { kBuiltInSynthName };
    for (int i = 1; i < 12; ++i)
        twelve.push_back(QStringLiteral("Port %1").arg(i));
    Rig rig(twelve);
    EXPECT_EQ(rig.popups.caption(u"device", 0), QStringLiteral("MIDI Mapper"));
    EXPECT_EQ(rig.popups.caption(u"device", 10), QStringLiteral("Port 9"));
    EXPECT_FALSE(rig.popups.exists(u"device", 11));

    // A device that does not open: the box, Label9 kept, later sends do nothing.
    rig.midi.failOpen(3, MidiResult::Allocated);
    rig.piano->Uredjaj(4);
    ASSERT_EQ(rig.boxes.shown().size(), 1u);
    EXPECT_EQ(rig.boxes.shown()[0].title, QStringLiteral("Error initializing MIDI"));
    EXPECT_EQ(rig.label9, QStringLiteral("MIDI Mapper"));
    rig.piano->PressKey(0);
    EXPECT_TRUE(rig.sent().empty());
    EXPECT_EQ(rig.checked(u"device", 11), (std::vector<int> { 4 }));

    rig.lblInst.clear();
    rig.piano->Uredjaj(2);
    EXPECT_EQ(rig.label9, QStringLiteral("Port 1"));
    EXPECT_EQ(rig.lblInst, QStringLiteral("Acoustic Grand Piano"));
}

TEST(PianoCoreTest, ReopeningShowsOneCheckAndClosingSilencesWhatIsHeld)
{
    Rig rig({ kBuiltInSynthName, QStringLiteral("Port 1") });
    rig.piano->Uredjaj(2);
    rig.piano->Kanal(9);
    rig.popups.setChecked(u"mnuPiano2", 0, true);
    rig.piano->PressKey(3);
    rig.piano->keyDown(kPad2);
    rig.midi.clearLog();
    rig.piano->unload();
    // The close's purge drops our Offs, still on their way: the device's own silencing after it
    // is what ends the key and the pad.
    EXPECT_EQ(rig.sent(), (Messages { msg(0x89, 36), msg(0x89, 63) }));
    EXPECT_EQ(rig.midi.log().back().kind, FakeMidiEvent::Kind::Close);

    rig.open();
    EXPECT_EQ(rig.checked(u"device", 11), (std::vector<int> { 0 }));
    EXPECT_EQ(rig.checked(u"chan", 16), (std::vector<int> { 0 }));
    EXPECT_TRUE(rig.checked(u"mnuPiano2", 128).empty());
}

TEST(PianoCoreTest, InstrumentListVariants)
{
    QByteArray crlf, cr, lf;
    for (int i = 0; i < 161; ++i) {
        const QByteArray line = QByteArray::number(i) + "\tName " + QByteArray::number(i);
        crlf += line + "\r\n";
        cr += line + "\r";
        lf += line + "\n";
    }
    for (const QByteArray& bytes : { crlf, cr, lf, crlf + "extra\tJunk\r\n" }) {
        const InstrumentList list = parseInstrumentList(bytes);
        ASSERT_EQ(list.programs.size(), 128);
        ASSERT_EQ(list.drums.size(), 32);
        EXPECT_EQ(list.programs[0], QStringLiteral("Name 0"));
        EXPECT_EQ(list.programs[127], QStringLiteral("Name 127"));
        EXPECT_EQ(list.drums[0], QStringLiteral("Name 129"));
        EXPECT_EQ(list.drums[31], QStringLiteral("Name 160"));
    }
    // Short lines, a third field, junk and a missing file: empty names, the captions kept.
    const InstrumentList odd = parseInstrumentList("no tab\r\n1\tTwo\tthird\r\n\x01\x02");
    EXPECT_EQ(odd.programs[0], QString());
    EXPECT_EQ(odd.programs[1], QStringLiteral("Two"));
    EXPECT_EQ(odd.programs[2], QString());
    EXPECT_EQ(parseInstrumentList({}).drums.size(), 32);

    Rig rig;
    rig.piano->unload();
    rig.piano =
        std::make_unique<PianoCore>(rig.midi, rig.popups, rig.boxes, rig.view, rig.makeWake());
    rig.piano->load(odd);
    EXPECT_EQ(rig.popups.caption(u"mnuPiano2", 0), QStringLiteral("Acoustic Grand Piano"));
    EXPECT_EQ(rig.popups.caption(u"mnuPiano2", 1), QStringLiteral("Two"));
    EXPECT_TRUE(rig.popups.exists(u"mnuPiano2", 127));
    EXPECT_TRUE(rig.popups.exists(u"mnudrum", 31));
}

} // namespace

namespace {

// A device still getting ready (the built-in synthesizer while its SoundFont loads) refuses every
// message: a key then sounds nothing, and as its note never started, the close sends no Off for
// it. The watch looks again every kDeviceWatchMs until the device is ready, when the next key
// sounds, or has failed, which the box tells once.
TEST(PianoCoreTest, ADeviceGettingReadyRefusesKeysUntilReadyAndAFailedLoadIsToldOnce)
{
    for (const MidiDeviceState end : { MidiDeviceState::Ready, MidiDeviceState::Failed }) {
        const bool ready = end == MidiDeviceState::Ready;
        SCOPED_TRACE(ready ? "ready" : "failed");
        Rig rig;
        rig.piano->unload();
        rig.midi.setDeviceState(0, MidiDeviceState::Starting);
        rig.open();
        EXPECT_EQ(rig.watch.armedMs(), PianoCore::kDeviceWatchMs);
        rig.piano->PressKey(0);
        rig.piano->ReleaseKey(0);
        ASSERT_EQ(rig.midi.log().size(), 2u);
        for (const FakeMidiEvent& e : rig.midi.log())
            EXPECT_EQ(e.result, MidiResult::Error);
        EXPECT_TRUE(rig.sent().empty());
        ASSERT_TRUE(rig.watch.fireNext());
        EXPECT_EQ(rig.watch.armedMs(), PianoCore::kDeviceWatchMs) << "still loading: again";
        EXPECT_TRUE(rig.boxes.shown().empty());

        rig.midi.setDeviceState(0, end);
        ASSERT_TRUE(rig.watch.fireNext());
        EXPECT_FALSE(rig.watch.armed());
        ASSERT_EQ(rig.boxes.shown().size(), ready ? 0u : 1u);
        if (!ready) {
            EXPECT_EQ(rig.boxes.shown()[0].title, QStringLiteral("Error initializing MIDI"));
        }
        rig.piano->PressKey(1);
        EXPECT_EQ(rig.sent(), ready ? Messages { msg(0x90, 61, 127) } : Messages {});
        rig.midi.clearLog();
        rig.piano->unload();
        // The piano's own Off is purged on its way; the device's silencing ends the note.
        EXPECT_EQ(rig.sent(), ready ? Messages { msg(0x80, 61) } : Messages {});
        EXPECT_EQ(rig.boxes.shown().size(), ready ? 0u : 1u);
        // After a failed load the next opening fails at once, with its own box.
        rig.open();
        EXPECT_EQ(rig.boxes.shown().size(), ready ? 0u : 2u);
    }
}

// The built-in synthesizer's queue holds messages until its next block. An Off that a full queue
// refused leaves its note sounding only until the piano closes the device, which silences every
// note the piano ever started.
TEST(PianoCoreTest, AnOffThatAFullQueueRefusedComesAtTheClose)
{
    Rig rig;
    rig.midi.limitQueue(0, 3);
    rig.piano->PressKey(0);
    rig.piano->PressKey(1);
    rig.piano->ReleaseKey(1);
    rig.piano->ReleaseKey(0);
    ASSERT_EQ(rig.midi.log().size(), 4u);
    EXPECT_EQ(rig.midi.log().back().result, MidiResult::NoMemory);
    EXPECT_EQ(rig.sent(), (Messages { msg(0x90, 60, 127), msg(0x90, 61, 127), msg(0x80, 61) }));

    rig.midi.deliver(); // the next block takes the queue in
    rig.midi.clearLog();
    rig.piano->unload();
    EXPECT_EQ(rig.sent(), (Messages { msg(0x80, 60), msg(0x80, 61) }));
}

} // namespace
