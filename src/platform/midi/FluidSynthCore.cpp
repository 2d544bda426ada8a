#include "platform/midi/FluidSynthCore.h"

#include "platform/audio/AudioEngine.h"
#include "platform/midi/SoundFontBank.h"

#include <algorithm>
#include <cmath>

#include <fluidsynth.h>

namespace {

// Below this a sample is far under hearing (-100 dB): a synth rendering only such is silent,
// and its reverb's last whisper may be dropped.
constexpr float kInaudible = 1e-5f;

} // namespace

std::unique_ptr<FluidSynthCore> FluidSynthCore::create(
    std::shared_ptr<SoundFontBank> bank, int blockFrames)
{
    if (!bank)
        return nullptr;
    std::unique_ptr<FluidSynthCore> core(new FluidSynthCore);
    core->m_bank = std::move(bank);
    core->m_scratch.assign(
        static_cast<std::size_t>(2 * std::max(blockFrames, kLibraryBlock)), 0.0f);
    core->m_settings = new_fluid_settings();
    if (!core->m_settings)
        return nullptr;
    fluid_settings_setnum(core->m_settings, "synth.sample-rate", AudioEngine::kSampleRate);
    // One thread calls the synth at a time (see the header): no mutex inside, no worker threads.
    fluid_settings_setint(core->m_settings, "synth.threadsafe-api", 0);
    fluid_settings_setint(core->m_settings, "synth.cpu-cores", 1);
    fluid_settings_setnum(core->m_settings, "synth.gain", kGain);
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
    m_silent = false;
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
    const int scratchFrames = static_cast<int>(m_scratch.size() / 2);
    float peak = 0.0f;
    while (frames > 0) {
        const int n = std::min(frames, scratchFrames);
        fluid_synth_write_float(m_synth, n, m_scratch.data(), 0, 2, m_scratch.data(), 1, 2);
        for (int i = 0; i < 2 * n; ++i) {
            mix[i] += m_scratch[i];
            peak = std::max(peak, std::fabs(m_scratch[i]));
        }
        m_phase = (m_phase + n) % kLibraryBlock;
        mix += 2 * n;
        frames -= n;
    }
    // The reverb rings on after the last voice: silent only once the output itself is.
    m_silent = peak < kInaudible && fluid_synth_get_active_voice_count(m_synth) == 0;
}

int FluidSynthCore::framesBeforeMessage(int frames) const
{
    // Messages reach the sound at the next start of a library block: rendering up to the first
    // start at or after `frames` first hears them exactly as a cut at `frames` would.
    const int toStart = (kLibraryBlock - m_phase) % kLibraryBlock;
    if (frames <= toStart)
        return toStart;
    return toStart + (frames - toStart + kLibraryBlock - 1) / kLibraryBlock * kLibraryBlock;
}

void FluidSynthCore::releaseAll()
{
    for (int channel = 0; channel < 16; ++channel)
        fluid_synth_cc(m_synth, channel, 64, 0);
    fluid_synth_all_notes_off(m_synth, -1);
}

void FluidSynthCore::reset()
{
    // Nothing of the sound before the reset may follow it: not the rest of the library's
    // current block, rendered ahead, nor the voices the reset stops, which the library lets
    // ring on for a block or two and then drops mid-wave. Both are rendered to nowhere.
    // (Whoever wants the old sound to end smoothly renders its fade first.)
    const int ahead = (kLibraryBlock - m_phase) % kLibraryBlock;
    if (ahead > 0)
        fluid_synth_write_float(m_synth, ahead, m_scratch.data(), 0, 2, m_scratch.data(), 1, 2);
    m_phase = 0;
    fluid_synth_system_reset(m_synth);
    for (int block = 0; block < kResetBlocks && activeVoices() > 0; ++block) {
        fluid_synth_write_float(
            m_synth, kLibraryBlock, m_scratch.data(), 0, 2, m_scratch.data(), 1, 2);
    }
}

int FluidSynthCore::activeVoices() const
{
    return fluid_synth_get_active_voice_count(m_synth);
}
