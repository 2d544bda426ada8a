#pragma once

#include "ClipDsp.h"

#include <string>

#include <fluidsynth.h>

// General MIDI drum kits of a SoundFont, played offline through FluidSynth: no audio driver, no
// reverb or chorus (rooms are added by the caller, where wanted).
class DrumRenderer
{
public:
    // Kits are the programs of bank 128.
    enum class Kit {
        Standard = 0,
        Room = 8,
        Power = 16,
        Electronic = 24,
        Tr808 = 25,
        Jazz = 32,
        Brush = 40,
        Orchestra = 48
    };

    // Throws std::runtime_error when the SoundFont does not load.
    explicit DrumRenderer(const std::string& soundFont);
    ~DrumRenderer();
    DrumRenderer(const DrumRenderer&) = delete;
    DrumRenderer& operator=(const DrumRenderer&) = delete;

    // One hit of `note` on the drum channel, mixed to mono, `seconds` long from the note-on,
    // retuned by `semitones` (a drum sample is played faster or slower, so shorter or longer).
    // A kit the SoundFont lacks falls back to the standard kit.
    Channel hit(Kit kit, int note, int velocity, double seconds, int semitones = 0);

private:
    fluid_settings_t* m_settings = nullptr;
    fluid_synth_t* m_synth = nullptr;
    int m_fontId = -1;
};
