#pragma once

#include "platform/midi/MidiOut.h"

#include <functional>
#include <memory>

class AudioEngine;
class BuiltInSynth;
class SoundFontBank;

// Gives the SoundFont every built-in synth plays, loading it on first use; null when none loads.
using SoundFontSource = std::function<std::shared_ptr<SoundFontBank>()>;

// Tells, without waiting, whether the SoundFont's load has ended (with a font or without).
using SoundFontLoaded = std::function<bool()>;

// A SoundFontSource that loads the font SoundFontBank::choose() picks, once, and keeps it. The
// load (tens of milliseconds for the small font, a second for a large one) starts at once on a
// thread of its own, so that the first note or file of a run rarely waits for it; the program
// may end while it still loads, without waiting for it.
SoundFontSource sharedSoundFont();

// The same load, with the test that tells whether it has ended.
struct SoundFontLoad
{
    SoundFontSource fonts;
    SoundFontLoaded loaded;
};

SoundFontLoad loadSoundFontInBackground();

// MIDI output device 0: the built-in synthesizer, mixed into the engine. Like a system's own
// synthesizer, every opening starts in its power-on state (every channel on program 0, the
// controllers at their defaults): it plays on a synth made for it, while the synth of the opening
// before stays in the mix, so that its release tails ring out, until the opening after. An
// opening that no message followed keeps its synth for the next. Opening fails with Error when
// no SoundFont loads.
//
// Given `loaded`, an opening while the SoundFont still loads never waits for it: the device opens
// at once, messages sent before the load has ended are dropped with Error (so no note can stick),
// and the first message after it makes the synth (or fails with Error when no font loaded).
class BuiltInSynthPort : public MidiPort
{
public:
    BuiltInSynthPort(AudioEngine& engine, SoundFontSource fonts, SoundFontLoaded loaded = {});
    ~BuiltInSynthPort() override;

    QString name() const override { return kBuiltInSynthName; }

    MidiResult open() override;

    void close() override {}

    MidiResult send(
        std::uint32_t message, std::optional<std::int64_t> at, MidiHandle handle) override;
    void purge(MidiHandle handle) override;
    MidiDeviceState state() const override;

private:
    MidiResult makeSynth();

    AudioEngine& m_engine;
    SoundFontSource m_fonts;
    SoundFontLoaded m_loaded;
    std::unique_ptr<BuiltInSynth> m_synth;
    // A message has reached m_synth: it may have left its power-on state.
    bool m_played = false;
    // The synth of the opening before, ringing out.
    std::unique_ptr<BuiltInSynth> m_previous;
};

// The program's MIDI output devices: the built-in synthesizer, then the ALSA sequencer ports.
std::unique_ptr<MidiOut> makeMidiOut(
    AudioEngine& engine, SoundFontSource fonts, SoundFontLoaded loaded = {});
