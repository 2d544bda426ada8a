#include "platform/audio/ClipVoice.h"

#include "platform/audio/AudioClip.h"

#include <algorithm>

ClipVoice::ClipVoice(Release release, void* owner)
    : m_release(release)
    , m_owner(owner)
{}

void ClipVoice::start(const AudioClip& clip, void* tag)
{
    cut();
    m_voice = Voice { tag, clip.samples.data(), clip.frames(), 0, 0 };
}

void ClipVoice::cut()
{
    if (!m_voice.tag)
        return;
    Voice* slot = nullptr;
    for (Voice& fading : m_fading) {
        if (!fading.tag) {
            slot = &fading;
            break;
        }
    }
    if (!slot) {
        // Cuts closer together than the ramp: the quietest fade gives way.
        slot = &*std::min_element(
            m_fading.begin(), m_fading.end(), [](const Voice& a, const Voice& b) {
                return a.fadeLeft < b.fadeLeft;
            });
        release(*slot);
    }
    *slot = m_voice;
    slot->fadeLeft = kCutRampFrames;
    m_voice = Voice {};
}

void ClipVoice::mix(float* out, int from, int to)
{
    if (to <= from)
        return;
    float* mixed = out + static_cast<std::ptrdiff_t>(from) * 2;
    if (m_voice.tag) {
        const std::int64_t count =
            std::min<std::int64_t>(to - from, m_voice.frames - m_voice.position);
        const float* in = m_voice.samples + m_voice.position * 2;
        for (std::int64_t i = 0; i < count * 2; ++i)
            mixed[i] += in[i];
        m_voice.position += count;
        if (m_voice.position == m_voice.frames)
            release(m_voice);
    }
    for (Voice& fading : m_fading) {
        if (!fading.tag)
            continue;
        const std::int64_t count =
            std::min<std::int64_t>({ to - from, fading.frames - fading.position, fading.fadeLeft });
        const float* in = fading.samples + fading.position * 2;
        for (std::int64_t i = 0; i < count; ++i) {
            const float gain = FadeTail::gain(fading.fadeLeft - static_cast<int>(i));
            mixed[i * 2] += in[i * 2] * gain;
            mixed[i * 2 + 1] += in[i * 2 + 1] * gain;
        }
        fading.position += count;
        fading.fadeLeft -= static_cast<int>(count);
        if (fading.fadeLeft == 0 || fading.position == fading.frames)
            release(fading);
    }
}

void ClipVoice::releaseAll()
{
    release(m_voice);
    for (Voice& fading : m_fading)
        release(fading);
}

void ClipVoice::release(Voice& voice)
{
    if (voice.tag)
        m_release(m_owner, voice.tag);
    voice = Voice {};
}
