#include "platform/midi/FluidSynthCore.h"

#include "platform/audio/AudioEngine.h"
#include "platform/midi/SoundFontBank.h"

#include <fluidsynth.h>

std::unique_ptr<FluidSynthCore> FluidSynthCore::create(std::shared_ptr<SoundFontBank> bank)
{
    if (!bank)
        return nullptr;
    std::unique_ptr<FluidSynthCore> core(new FluidSynthCore);
    core->m_bank = std::move(bank);
    core->m_settings = new_fluid_settings();
    if (!core->m_settings)
        return nullptr;
    fluid_settings_setnum(core->m_settings, "synth.sample-rate", AudioEngine::kSampleRate);
    // One thread calls the synth at a time (see the header): no mutex inside, no worker threads.
    fluid_settings_setint(core->m_settings, "synth.threadsafe-api", 0);
    fluid_settings_setint(core->m_settings, "synth.cpu-cores", 1);
    core->m_synth = new_fluid_synth(core->m_settings);
    if (!core->m_synth)
        return nullptr;
    if (fluid_synth_add_sfont(core->m_synth, core->m_bank->font()) == FLUID_FAILED)
        return nullptr;
    // Channels pick their programs only now that the font is there.
    fluid_synth_program_reset(core->m_synth);
    return core;
}

FluidSynthCore::~FluidSynthCore()
{
    if (m_synth) {
        // The font is shared: take it back before the synth would free it.
        fluid_synth_remove_sfont(m_synth, m_bank->font());
        delete_fluid_synth(m_synth);
    }
    if (m_settings)
        delete_fluid_settings(m_settings);
}

void FluidSynthCore::send(std::uint32_t message)
{
    const int status = message & 0xFF;
    const int channel = status & 0x0F;
    const int data1 = (message >> 8) & 0x7F;
    const int data2 = (message >> 16) & 0x7F;
    switch (status & 0xF0) {
    case 0x80:
        fluid_synth_noteoff(m_synth, channel, data1);
        break;
    case 0x90:
        // Velocity 0 is a note off; FluidSynth's note on takes it as such.
        fluid_synth_noteon(m_synth, channel, data1, data2);
        break;
    case 0xA0:
        fluid_synth_key_pressure(m_synth, channel, data1, data2);
        break;
    case 0xB0:
        fluid_synth_cc(m_synth, channel, data1, data2);
        break;
    case 0xC0:
        fluid_synth_program_change(m_synth, channel, data1);
        break;
    case 0xD0:
        fluid_synth_channel_pressure(m_synth, channel, data1);
        break;
    case 0xE0:
        fluid_synth_pitch_bend(m_synth, channel, data1 | (data2 << 7));
        break;
    default:
        break;
    }
}

void FluidSynthCore::renderAdd(float* mix, int frames)
{
    while (frames > 0) {
        const int n = frames < kScratchFrames ? frames : kScratchFrames;
        fluid_synth_write_float(m_synth, n, m_scratch.data(), 0, 2, m_scratch.data(), 1, 2);
        for (int i = 0; i < 2 * n; ++i)
            mix[i] += m_scratch[i];
        mix += 2 * n;
        frames -= n;
    }
}

void FluidSynthCore::releaseAll()
{
    for (int channel = 0; channel < 16; ++channel)
        fluid_synth_cc(m_synth, channel, 64, 0);
    fluid_synth_all_notes_off(m_synth, -1);
}

void FluidSynthCore::reset()
{
    fluid_synth_system_reset(m_synth);
}

int FluidSynthCore::activeVoices() const
{
    return fluid_synth_get_active_voice_count(m_synth);
}
