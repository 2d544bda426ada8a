#include "platform/mixer/AlsaMixerService.h"

#include "platform/audio/AlsaErrorsQuiet.h"

#include <algorithm>
#include <utility>

#include <alsa/asoundlib.h>

namespace {

snd_mixer_elem_t* findPlaybackVolume(snd_mixer_t* mixer, const char* name)
{
    snd_mixer_selem_id_t* id = nullptr;
    if (snd_mixer_selem_id_malloc(&id) < 0)
        return nullptr;
    snd_mixer_selem_id_set_index(id, 0);
    snd_mixer_selem_id_set_name(id, name);
    snd_mixer_elem_t* elem = snd_mixer_find_selem(mixer, id);
    snd_mixer_selem_id_free(id);
    return elem && snd_mixer_selem_has_playback_volume(elem) ? elem : nullptr;
}

// The simple mixer of `device` as `config` describes it; nullptr when it does not open.
snd_mixer_t* openSimpleMixer(const std::string& device, snd_config_t* config)
{
    snd_ctl_t* ctl = nullptr;
    if (snd_ctl_open_lconf(&ctl, device.c_str(), 0, config) < 0)
        return nullptr;
    snd_hctl_t* hctl = nullptr;
    if (snd_hctl_open_ctl(&hctl, ctl) < 0) {
        snd_ctl_close(ctl);
        return nullptr;
    }
    snd_mixer_t* mixer = nullptr;
    if (snd_mixer_open(&mixer, 0) < 0) {
        snd_hctl_close(hctl);
        return nullptr;
    }
    // From here the mixer owns the control (a failed attach closes it itself).
    if (snd_mixer_attach_hctl(mixer, hctl) < 0
        || snd_mixer_selem_register(mixer, nullptr, nullptr) < 0 || snd_mixer_load(mixer) < 0) {
        snd_mixer_close(mixer);
        return nullptr;
    }
    return mixer;
}

} // namespace

long AlsaMixerService::cardSteps(long value, long cardMinimum, long cardMaximum)
{
    const long long share = std::clamp(value, 0L, kSteps);
    const long long span = static_cast<long long>(cardMaximum) - cardMinimum;
    // Rounded to the nearest card step, in integers: a card's range is small and exact.
    return static_cast<long>(cardMinimum + (share * span + kSteps / 2) / kSteps);
}

AlsaMixerService::AlsaMixerService(std::string device)
    : m_device(std::move(device))
{}

AlsaMixerService::~AlsaMixerService()
{
    close();
}

bool AlsaMixerService::open()
{
    if (m_state != State::NotOpened)
        return m_state == State::Open;
    return attempt();
}

bool AlsaMixerService::reopen()
{
    close();
    return attempt();
}

void AlsaMixerService::close()
{
    if (m_mixer)
        snd_mixer_close(m_mixer);
    if (m_config)
        snd_config_delete(m_config);
    m_mixer = nullptr;
    m_config = nullptr;
    m_masterName = nullptr;
    m_cardMinimum = 0;
    m_cardMaximum = 0;
}

bool AlsaMixerService::attempt()
{
    m_state = State::Failed;
    snd_config_t* config = nullptr;
    snd_mixer_t* mixer = nullptr;
    {
        // ALSA prints each failure it also returns; a mixer tried again at every slider move
        // while no server is there would fill the terminal with them.
        const AlsaErrorsQuiet quiet;
        snd_config_update_t* files = nullptr;
        if (snd_config_update_r(&config, &files, nullptr) >= 0) {
            snd_config_update_free(files);
            mixer = openSimpleMixer(m_device, config);
        }
    }
    if (!mixer) {
        if (config)
            snd_config_delete(config);
        return false;
    }
    m_mixer = mixer;
    m_config = config;
    m_state = State::Open;

    for (const char* name : { "Master", "PCM" }) {
        snd_mixer_elem_t* elem = findPlaybackVolume(mixer, name);
        long minimum = 0;
        long maximum = 0;
        if (elem && snd_mixer_selem_get_playback_volume_range(elem, &minimum, &maximum) == 0
            && minimum < maximum) {
            m_masterName = name;
            m_cardMinimum = minimum;
            m_cardMaximum = maximum;
            break;
        }
    }
    return true;
}

std::optional<MixerControl> AlsaMixerService::masterControl() const
{
    if (!m_masterName)
        return std::nullopt;
    return MixerControl { 0, kSteps };
}

bool AlsaMixerService::setMasterVolume(long value)
{
    if (!m_masterName)
        return false;
    // Taking the pending events (another program moved the volume, the sound server went away)
    // may free elements, so the control is looked up again rather than kept. A sound server's
    // control reports its lost connection here, also when the value would not change.
    if (snd_mixer_handle_events(m_mixer) < 0)
        return false;
    snd_mixer_elem_t* elem = findPlaybackVolume(m_mixer, m_masterName);
    return elem
        && snd_mixer_selem_set_playback_volume_all(
               elem, cardSteps(value, m_cardMinimum, m_cardMaximum))
        == 0;
}
