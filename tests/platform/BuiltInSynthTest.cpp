#include "SmfWriter.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/FadeTail.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/audio/StereoLevel.h"
#include "platform/midi/BuiltInSynthPort.h"
#include "platform/midi/MidiFilePlayer.h"
#include "platform/midi/SoundFontBank.h"

#include <cmath>

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The real synthesizer and sequencer on the real engine, rendered offline: no sound card.
struct SynthRig
{
    explicit SynthRig(int block = 256)
    {
        auto owned = std::make_unique<OfflineAudioDevice>(block);
        device = owned.get();
        engine = std::make_unique<AudioEngine>(std::move(owned));
        midi = makeMidiOut(*engine, fonts);
    }

    // Root mean square of frames [from, to) of what the device rendered.
    double rms(std::int64_t from, std::int64_t to) const
    {
        const auto& out = device->captured();
        double sum = 0;
        for (std::int64_t i = 2 * from; i < 2 * to; ++i)
            sum += double(out.at(std::size_t(i))) * out.at(std::size_t(i));
        return std::sqrt(sum / double(2 * (to - from)));
    }

    // Renders three seconds on from now and gives the root mean square of the last of them,
    // where every released note has died away.
    double rmsLateAfterNow()
    {
        const std::int64_t from = engine->now();
        device->renderFrames(3 * AudioEngine::kSampleRate);
        return rms(from + 2 * AudioEngine::kSampleRate, from + 3 * AudioEngine::kSampleRate);
    }

    // The largest change from one frame to the next in frames [from, to), either channel.
    float largestStep(std::int64_t from, std::int64_t to) const
    {
        const auto& out = device->captured();
        float largest = 0.0f;
        for (std::int64_t i = 2 * from; i + 2 < 2 * to; ++i)
            largest =
                std::max(largest, std::fabs(out.at(std::size_t(i + 2)) - out.at(std::size_t(i))));
        return largest;
    }

    float peak(std::int64_t from, std::int64_t to) const
    {
        const auto& out = device->captured();
        float largest = 0.0f;
        for (std::int64_t i = 2 * from; i < 2 * to; ++i)
            largest = std::max(largest, std::fabs(out.at(std::size_t(i))));
        return largest;
    }

    std::int64_t firstSound(std::int64_t from, float above = 1e-6f) const
    {
        const auto& out = device->captured();
        for (std::size_t i = std::size_t(2 * from); i < out.size(); ++i) {
            if (std::fabs(out[i]) > above)
                return std::int64_t(i / 2);
        }
        return -1;
    }

    SoundFontSource fonts = sharedSoundFont();
    OfflineAudioDevice* device;
    std::unique_ptr<AudioEngine> engine;
    std::unique_ptr<MidiOut> midi;
};

TEST(BuiltInSynthTest, TheSmallGeneralMidiFontIsFoundAndABiggerOneWins)
{
    EXPECT_FALSE(SoundFontBank::choose().isEmpty()) << "the default font is a dependency";
    QTemporaryDir dir;
    auto make = [&](const char* name, int size) {
        ASSERT_TRUE(writeFileBytes(dir.filePath(QString::fromLatin1(name)), QByteArray(size, 'x')));
    };
    EXPECT_TRUE(SoundFontBank::choose(dir.path()).isEmpty());
    make("Small_GM.sf2", 10);
    make("bigger-gm.sf2", 20);
    make("Strings.sf2", 40); // the biggest, but no General MIDI set
    EXPECT_EQ(SoundFontBank::choose(dir.path()), dir.filePath(QStringLiteral("bigger-gm.sf2")));
    EXPECT_EQ(SoundFontBank::load(dir.filePath(QStringLiteral("bigger-gm.sf2"))), nullptr);
}

TEST(BuiltInSynthTest, ANoteSoundsFromItsPlacedSampleAndCloseSilencesIt)
{
    SynthRig rig;
    MidiHandle handle = 0;
    ASSERT_EQ(rig.midi->open(handle, kMidiMapper), MidiResult::NoError);
    const std::int64_t at = rig.engine->now() + 1000;
    ASSERT_EQ(rig.midi->shortMsgAt(handle, midiMessage(0x90, 60, 127), at), MidiResult::NoError);
    rig.device->renderFrames(AudioEngine::kSampleRate / 2);

    // FluidSynth starts voices on its own 64-frame blocks: the note begins on the block that
    // holds its sample, never before.
    const std::int64_t onset = rig.firstSound(0);
    EXPECT_GE(onset, at);
    EXPECT_LT(onset, at + 64);
    EXPECT_GT(rig.rms(at, at + 20000), 0.01) << "a held note is not silent";

    ASSERT_EQ(rig.midi->close(handle), MidiResult::NoError);
    EXPECT_LT(rig.rmsLateAfterNow(), 1e-4) << "the note was released at the close";
}

TEST(BuiltInSynthTest, EveryOpeningStartsInThePowerOnStateWhileTheOneBeforeRingsOut)
{
    constexpr std::int64_t kSecond = AudioEngine::kSampleRate;
    // Middle C at velocity 100, sent on `handle` at the next block: the half second after it.
    const auto middleC = [](SynthRig& rig, MidiHandle handle) {
        const std::int64_t from = rig.engine->now();
        EXPECT_EQ(rig.midi->shortMsg(handle, midiMessage(0x90, 60, 100)), MidiResult::NoError);
        rig.device->renderFrames(kSecond / 2);
        const auto& out = rig.device->captured();
        return std::vector<float>(out.begin() + 2 * from, out.begin() + 2 * (from + kSecond / 2));
    };
    SynthRig fresh;
    MidiHandle first = 0;
    ASSERT_EQ(fresh.midi->open(first, kMidiMapper), MidiResult::NoError);
    const std::vector<float> powerOn = middleC(fresh, first);

    SynthRig rig;
    MidiHandle handle = 0;
    ASSERT_EQ(rig.midi->open(handle, 0), MidiResult::NoError);
    // A violin, quiet, panned, bent, with vibrato, held by the pedal, all reverb and chorus.
    for (const std::uint32_t message : { midiMessage(0xC0, 40), midiMessage(0xB0, 7, 20),
             midiMessage(0xB0, 10, 0), midiMessage(0xB0, 11, 60), midiMessage(0xE0, 0, 0),
             midiMessage(0xB0, 1, 127), midiMessage(0xB0, 64, 127), midiMessage(0xB0, 91, 127),
             midiMessage(0xB0, 93, 127), midiMessage(0x90, 67, 127) })
        ASSERT_EQ(rig.midi->shortMsg(handle, message), MidiResult::NoError);
    rig.device->renderFrames(kSecond / 2);
    // Another device entry chosen: closed, and at once opened again.
    const std::int64_t reopened = rig.engine->now();
    ASSERT_EQ(rig.midi->close(handle), MidiResult::NoError);
    ASSERT_EQ(rig.midi->open(handle, kMidiMapper), MidiResult::NoError);
    rig.device->renderFrames(3 * kSecond);
    // Past the fade a removed synth would get, the violin's release still rings.
    EXPECT_GT(rig.peak(reopened + 441, reopened + 882), 0.3f * rig.peak(reopened - 441, reopened))
        << "the violin's release rings out";

    EXPECT_EQ(middleC(rig, handle), powerOn);
}

TEST(BuiltInSynthTest, AHundredOpeningsEachWithANoteAllSound)
{
    // Each played opening gets a synth of its own while the one before rings out: a synth kept
    // past its turn would fill the engine's mix, and the openings after it would play unheard.
    constexpr std::int64_t kSecond = AudioEngine::kSampleRate;
    SynthRig rig;
    for (int opening = 1; opening <= 100; ++opening) {
        SCOPED_TRACE(opening);
        MidiHandle handle = 0;
        ASSERT_EQ(rig.midi->open(handle, kMidiMapper), MidiResult::NoError);
        const std::int64_t from = rig.engine->now();
        ASSERT_EQ(rig.midi->shortMsg(handle, midiMessage(0x90, 60, 100)), MidiResult::NoError);
        rig.device->renderFrames(kSecond / 4);
        ASSERT_EQ(rig.midi->close(handle), MidiResult::NoError);
        // The release dies away before the next opening, so only the new note can be heard.
        rig.device->renderFrames(kSecond);
        const std::int64_t end = rig.engine->now();
        ASSERT_LT(rig.rms(end - kSecond / 10, end), 1e-4) << "silent before the next opening";
        ASSERT_GT(rig.rms(from, from + kSecond / 4), 0.01) << "the opening's note sounds";
    }
}

TEST(BuiltInSynthTest, APianoNoteIsWellHeardAndTenFingersOfChordStayBelowFullScale)
{
    // Each sound on an opening of its own: the grand piano, fresh.
    SynthRig rig;
    const auto peakOf = [&rig](const std::vector<int>& notes, int velocity) {
        MidiHandle handle = 0;
        EXPECT_EQ(rig.midi->open(handle, kMidiMapper), MidiResult::NoError);
        const std::int64_t from = rig.engine->now();
        for (const int note : notes)
            rig.midi->shortMsg(handle, midiMessage(0x90, note, velocity));
        rig.device->renderFrames(AudioEngine::kSampleRate);
        rig.midi->close(handle);
        rig.device->renderFrames(3 * AudioEngine::kSampleRate);
        return rig.peak(from, from + AudioEngine::kSampleRate);
    };
    EXPECT_NEAR(20 * std::log10(peakOf({ 60 }, 100)), -23.0, 1.0) << "dBFS";

    // 16 white keys from each white key of the keyboard's first octave (C4 up) and on to E5,
    // where the loudest lie. Full scale is where the engine's clamp would cut.
    constexpr int kWhite[7] = { 0, 2, 4, 5, 7, 9, 11 };
    for (int first = 0; first < 10; ++first) {
        std::vector<int> chord;
        for (int key = first; key < first + 16; ++key)
            chord.push_back(60 + 12 * (key / 7) + kWhite[key % 7]);
        SCOPED_TRACE(chord.front());
        EXPECT_LT(peakOf(chord, 127), 0.95f);
    }
}

TEST(BuiltInSynthTest, WhileTheSoundFontLoadsTheDeviceOpensAtOnceAndNoNoteSticks)
{
    SynthRig rig;
    bool loaded = false;
    rig.midi = makeMidiOut(*rig.engine, rig.fonts, [&loaded] {
        return loaded;
    });
    MidiHandle handle = 0;
    ASSERT_EQ(rig.midi->open(handle, kMidiMapper), MidiResult::NoError);
    EXPECT_NE(rig.midi->shortMsg(handle, midiMessage(0x90, 60, 127)), MidiResult::NoError);
    rig.device->renderFrames(AudioEngine::kSampleRate / 4);
    EXPECT_EQ(rig.firstSound(0), -1) << "a note sent during the load is dropped";

    loaded = true;
    rig.fonts();
    const std::int64_t from = rig.engine->now();
    ASSERT_EQ(rig.midi->shortMsg(handle, midiMessage(0x90, 64, 127)), MidiResult::NoError);
    rig.device->renderFrames(AudioEngine::kSampleRate / 2);
    EXPECT_GT(rig.rms(from, from + 20000), 0.01) << "the first note after the load sounds";

    ASSERT_EQ(rig.midi->close(handle), MidiResult::NoError);
    EXPECT_LT(rig.rmsLateAfterNow(), 1e-4);
}

TEST(BuiltInSynthTest, NotesPlacedAnywhereInABlockStartWithinTheSynthsOwnBlockOfTheirSample)
{
    // The render is cut only where the synth takes messages in: never a note early, never one
    // a whole block of the synth late, wherever the notes fall against the device's blocks
    // and however long the synth stayed silent (and so unrendered) before, also on a device
    // that granted a larger block than asked. Sound is what rises above -90 dBFS, so the last
    // whisper of the note before in the reverb is not; the attack's rise to it varies by a few
    // frames from note to note.
    constexpr float kHeard = 3e-5f;
    constexpr int kRiseJitter = 4;
    for (const int block : { 100, 512, 1024 }) {
        SynthRig rig(block);
        MidiHandle handle = 0;
        ASSERT_EQ(rig.midi->open(handle, kMidiMapper), MidiResult::NoError);
        // A note sent at the start of a block reaches the fresh synth on its first frame: its
        // onset there is the instrument's own lead-in.
        const std::int64_t start = rig.engine->now();
        rig.midi->shortMsg(handle, midiMessage(0x90, 72, 127));
        rig.midi->shortMsg(handle, midiMessage(0x80, 72));
        rig.device->renderFrames(3 * AudioEngine::kSampleRate + 777);
        const std::int64_t leadIn = rig.firstSound(start, kHeard) - start;
        ASSERT_GE(leadIn, 0);
        ASSERT_LT(leadIn, 64);
        for (const int ahead : { 1, 63, 64, 65, 99, 511, 512, 700 }) {
            SCOPED_TRACE(testing::Message() << "block " << block << ", ahead " << ahead);
            const std::int64_t at = rig.engine->now() + ahead;
            rig.midi->shortMsgAt(handle, midiMessage(0x90, 72, 127), at);
            rig.midi->shortMsgAt(handle, midiMessage(0x80, 72), at + 2000);
            rig.device->renderFrames(3 * AudioEngine::kSampleRate);
            const std::int64_t onset = rig.firstSound(at - ahead, kHeard) - leadIn;
            EXPECT_GE(onset, at - kRiseJitter);
            EXPECT_LT(onset, at + 64 + kRiseJitter);
        }
    }
}

TEST(BuiltInSynthTest, SeeksAndACloseInTheMiddleOfANoteLeaveNoJumpInTheSound)
{
    // A warm pad's low notes, one a second, each held to the next: a smooth wave whose largest
    // step from frame to frame is small beside its height, so a cut mid-wave stands out.
    // Every seek lands on a note's start, so there is sound on both sides of it.
    QTemporaryDir dir;
    SmfWriter song(0, 480);
    song.track().event(0, { 0xC0, 89 });
    for (const int note : { 48, 50, 52, 53, 55, 57 })
        song.noteOn(0, 0, note, 127).noteOff(960, 0, note);
    song.end();
    const QString path = dir.filePath(QStringLiteral("flute.mid"));
    ASSERT_TRUE(song.save(path));

    SynthRig rig(512);
    SynthMidiFiles files(*rig.engine, rig.fonts);
    auto player = files.newPlayer();
    ASSERT_EQ(player->open(path), MidiFileError::None);
    ASSERT_TRUE(player->play());
    constexpr std::int64_t kSecond = AudioEngine::kSampleRate;
    rig.device->renderFrames(kSecond / 2);
    std::vector<std::int64_t> cuts;
    for (const int ms : { 4000, 1000, 3000, 2000 }) {
        cuts.push_back(rig.engine->now());
        player->seek(ms);
        rig.device->renderFrames(kSecond / 2 + 1000 * cuts.size());
    }
    cuts.push_back(rig.engine->now());
    player->close();
    rig.device->renderFrames(kSecond / 2);

    // How steep and how high the wave is, settled: the half second after each seek but its
    // first 0.2 s.
    float steady = 0.0f;
    float height = 0.0f;
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
        steady = std::max(steady, rig.largestStep(cuts[i] + kSecond / 5, cuts[i + 1]));
        height = std::max(height, rig.peak(cuts[i] + kSecond / 5, cuts[i + 1]));
    }
    ASSERT_GT(height, 0.05f) << "the file sounds";
    ASSERT_LT(steady, height / 8) << "a smooth wave";
    // Fading over the ramp, the old sound steps at most its own steepest step plus one ramp
    // step of its height; the new note rising adds at most its own steepest step.
    const float allowed = 2 * steady + height * FadeTail::gain(1);
    for (const std::int64_t cut : cuts) {
        SCOPED_TRACE(cut);
        EXPECT_LE(rig.largestStep(cut - 1, cut + 4 * FadeTail::kFrames), allowed);
    }
}

TEST(BuiltInSynthTest, AFileAnswersSpeedLevelAndBalance)
{
    // An organ note from the file's second 1 to 3: a steady sound once it has started.
    QTemporaryDir dir;
    SmfWriter song(0, 480);
    song.track().event(0, { 0xC0, 19 }).noteOn(960, 0, 60).noteOff(1920, 0, 60).end(960);
    const QString path = dir.filePath(QStringLiteral("organ.mid"));
    ASSERT_TRUE(song.save(path));

    SynthRig rig(512);
    SynthMidiFiles files(*rig.engine, rig.fonts);
    auto player = files.newPlayer();
    player->setSpeed(2.0); // before the open: it holds for the file
    ASSERT_EQ(player->open(path), MidiFileError::None);
    ASSERT_TRUE(player->play());
    constexpr std::int64_t kSecond = AudioEngine::kSampleRate;
    const std::int64_t started = rig.engine->now();
    rig.device->renderFrames(kSecond);
    const std::int64_t onset = rig.firstSound(started);
    EXPECT_GE(onset, started + kSecond / 2);
    EXPECT_LT(onset, started + kSecond / 2 + 64);
    EXPECT_EQ(player->positionMs(), 2000);

    const auto channelRms = [&](int channel, std::int64_t from, std::int64_t to) {
        const auto& out = rig.device->captured();
        double sum = 0;
        for (std::int64_t i = from; i < to; ++i)
            sum += std::pow(out.at(std::size_t(2 * i + channel)), 2);
        return std::sqrt(sum / double(to - from));
    };
    const double full = channelRms(1, started + kSecond * 6 / 10, started + kSecond);
    ASSERT_GT(full, 0.01) << "the note sounds";
    player->setLevel(-2000, 10000); // a tenth, right only
    const std::int64_t changed = rig.engine->now();
    rig.device->renderFrames(kSecond / 2);
    const std::int64_t settled = changed + LevelRamp::kFrames;
    EXPECT_EQ(channelRms(0, settled, changed + kSecond / 2), 0.0) << "left silent";
    EXPECT_NEAR(channelRms(1, settled, changed + kSecond / 2) / full, 0.1, 0.02);
}

TEST(BuiltInSynthTest, AGeneratedFileWithATempoChangeHasItsLengthAndPosition)
{
    QTemporaryDir dir;
    SmfWriter song(1, 480);
    song.track().tempo(0, 500000).tempo(960, 1000000).end(960); // 1 s at 120, 2 s at 60 bpm
    song.track().event(0, { 0xC0, 0 }).noteOn(0, 0, 64).noteOff(1920, 0, 64).end();
    const QString path = dir.filePath(QStringLiteral("tempo.mid"));
    ASSERT_TRUE(song.save(path));

    SynthRig rig;
    SynthMidiFiles files(*rig.engine, rig.fonts);
    auto player = files.newPlayer();
    ASSERT_EQ(player->open(path), MidiFileError::None);
    EXPECT_EQ(player->lengthMs(), 3000);
    EXPECT_EQ(player->positionMs(), 0);
    ASSERT_TRUE(player->play());
    const std::int64_t started = rig.engine->now();
    rig.device->renderFrames(AudioEngine::kSampleRate * 3 / 2);
    EXPECT_EQ(player->positionMs(), 1500);
    EXPECT_TRUE(player->isPlaying());
    EXPECT_GT(rig.rms(started, started + AudioEngine::kSampleRate), 0.001) << "the file sounds";

    rig.device->renderFrames(AudioEngine::kSampleRate * 2);
    EXPECT_FALSE(player->isPlaying());
    EXPECT_EQ(player->positionMs(), 3000);

    player->seek(1000);
    EXPECT_EQ(player->positionMs(), 1000);
    player->close();
    EXPECT_EQ(player->lengthMs(), 0);
    EXPECT_FALSE(player->play());
    EXPECT_EQ(player->open(dir.filePath(QStringLiteral("none.mid"))), MidiFileError::NotFound);
}

} // namespace
