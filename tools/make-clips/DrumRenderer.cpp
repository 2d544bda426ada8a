#include "DrumRenderer.h"

#include <algorithm>
#include <stdexcept>

namespace {

constexpr int kDrumChannel = 9; // MIDI channel 10
constexpr int kDrumBank = 128;
constexpr int kBlock = 256;

} // namespace

DrumRenderer::DrumRenderer(const std::string& soundFont)
{
    m_settings = new_fluid_settings();
    fluid_settings_setnum(m_settings, "synth.sample-rate", kRate);
    fluid_settings_setint(m_settings, "synth.reverb.active", 0);
    fluid_settings_setint(m_settings, "synth.chorus.active", 0);
    fluid_settings_setnum(m_settings, "synth.gain", 1.0);
    m_synth = new_fluid_synth(m_settings);
    if (m_synth)
        m_fontId = fluid_synth_sfload(m_synth, soundFont.c_str(), 1);
    if (m_fontId == FLUID_FAILED || !m_synth) {
        if (m_synth)
            delete_fluid_synth(m_synth);
        delete_fluid_settings(m_settings);
        throw std::runtime_error("cannot load the SoundFont " + soundFont);
    }
    fluid_synth_set_interp_method(m_synth, -1, FLUID_INTERP_HIGHEST);
}

DrumRenderer::~DrumRenderer()
{
    delete_fluid_synth(m_synth);
    delete_fluid_settings(m_settings);
}

Channel DrumRenderer::hit(Kit kit, int note, int velocity, double seconds, int semitones)
{
    // A reset between hits: no voice of the previous note may ring into this one.
    fluid_synth_system_reset(m_synth);
    if (fluid_synth_program_select(
            m_synth, kDrumChannel, m_fontId, kDrumBank, static_cast<int>(kit))
        != FLUID_OK)
        fluid_synth_program_select(m_synth, kDrumChannel, m_fontId, kDrumBank, 0);
    // An offset to the channel's coarse tune, added to what the kit sets per note.
    fluid_synth_set_gen(m_synth, kDrumChannel, GEN_COARSETUNE, static_cast<float>(semitones));
    fluid_synth_noteon(m_synth, kDrumChannel, note, velocity);

    const int frames = framesForSeconds(seconds);
    Channel left(frames), right(frames), mono(frames);
    for (int done = 0; done < frames; done += kBlock) {
        const int n = std::min(kBlock, frames - done);
        fluid_synth_write_float(m_synth, n, left.data(), done, 1, right.data(), done, 1);
    }
    fluid_synth_noteoff(m_synth, kDrumChannel, note);
    // Kits pan their instruments across the stereo field; the clips are mono.
    for (int i = 0; i < frames; ++i)
        mono[i] = 0.5f * (left[i] + right[i]);
    return mono;
}
