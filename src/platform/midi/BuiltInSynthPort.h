#pragma once

#include "platform/midi/MidiOut.h"

#include <functional>
#include <memory>

class AudioEngine;
class BuiltInSynth;
class SoundFontBank;

// Gives the SoundFont every built-in synth plays, loading it on first use; null when none loads.
using SoundFontSource = std::function<std::shared_ptr<SoundFontBank>()>;

// A SoundFontSource that loads the font SoundFontBank::choose() picks, once, and keeps it. The
// load (tens of milliseconds for the small font, a second for a large one) starts at once on a
// thread of its own, so that the first note or file of a run rarely waits for it.
SoundFontSource sharedSoundFont();

// MIDI output device 0: the built-in synthesizer, made and mixed into the engine when it is
// first opened and kept from then on (so that release tails ring out after a close). Opening
// fails with Error when no SoundFont loads.
class BuiltInSynthPort : public MidiPort
{
public:
    BuiltInSynthPort(AudioEngine& engine, SoundFontSource fonts);
    ~BuiltInSynthPort() override;

    QString name() const override { return kBuiltInSynthName; }

    MidiResult open() override;

    void close() override {}

    MidiResult send(
        std::uint32_t message, std::optional<std::int64_t> at, MidiHandle handle) override;
    void purge(MidiHandle handle) override;

private:
    AudioEngine& m_engine;
    SoundFontSource m_fonts;
    std::unique_ptr<BuiltInSynth> m_synth;
};

// The program's MIDI output devices: the built-in synthesizer, then the ALSA sequencer ports.
std::unique_ptr<MidiOut> makeMidiOut(AudioEngine& engine, SoundFontSource fonts);
