#include "platform/mixer/AlsaMixerService.h"

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
    if (m_mixer)
        snd_mixer_close(m_mixer);
}

bool AlsaMixerService::open()
{
    if (m_state != State::NotOpened)
        return m_state == State::Open;
    m_state = State::Failed;

    snd_mixer_t* mixer = nullptr;
    if (snd_mixer_open(&mixer, 0) < 0)
        return false;
    if (snd_mixer_attach(mixer, m_device.c_str()) < 0
        || snd_mixer_selem_register(mixer, nullptr, nullptr) < 0 || snd_mixer_load(mixer) < 0) {
        snd_mixer_close(mixer);
        return false;
    }
    m_mixer = mixer;
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
    // may free elements, so the control is looked up again rather than kept.
    snd_mixer_handle_events(m_mixer);
    snd_mixer_elem_t* elem = findPlaybackVolume(m_mixer, m_masterName);
    return elem
        && snd_mixer_selem_set_playback_volume_all(
               elem, cardSteps(value, m_cardMinimum, m_cardMaximum))
        == 0;
}
