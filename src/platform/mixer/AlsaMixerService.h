#pragma once

#include "platform/mixer/MixerService.h"

#include <string>

struct _snd_mixer;
struct _snd_config;

// The ALSA simple mixer of a control device, by default the "default" one: on a desktop whose
// sound goes through PipeWire or PulseAudio that is the sound server's own master volume, on a
// bare system the first card's. The master control is the simple element "Master", else "PCM".
//
// Every open, the first and each reopen, reads the system's ALSA configuration afresh into a tree
// of its own. ALSA decides whether "default" is the sound server once, when a process first reads
// its shared configuration, by whether a server answers then; a program started before its sound
// server would otherwise keep a "default" without one for the rest of the run. The shared tree
// is left alone for the process's other ALSA users. A set whose mixer lost its server fails
// (the pending events report the broken connection), so that the owner reopens.
//
// The control is offered in steps of 0 to kSteps whatever the card counts in (a sound server
// 0 to 65536, a card's own mixer often 0 to 87 or so), so that a position of the program's
// volume slider means the same share of the volume everywhere.
class AlsaMixerService : public MixerService
{
public:
    static constexpr long kSteps = 65535;

    // A value in our steps (clamped to 0 ... kSteps) as the nearest step of a card control
    // running from `cardMinimum` to `cardMaximum`.
    static long cardSteps(long value, long cardMinimum, long cardMaximum);

    explicit AlsaMixerService(std::string device = "default");
    ~AlsaMixerService() override;
    AlsaMixerService(const AlsaMixerService&) = delete;
    AlsaMixerService& operator=(const AlsaMixerService&) = delete;

    State state() const override { return m_state; }

    bool open() override;
    bool reopen() override;
    std::optional<MixerControl> masterControl() const override;
    bool setMasterVolume(long value) override;

private:
    bool attempt();
    void close();

    std::string m_device;
    State m_state = State::NotOpened;
    _snd_mixer* m_mixer = nullptr;
    // The configuration the mixer was opened with, kept while it is open: a control plugin may
    // still refer to its settings.
    _snd_config* m_config = nullptr;
    const char* m_masterName = nullptr; // "Master" or "PCM"; none when the mixer has neither
    long m_cardMinimum = 0;
    long m_cardMaximum = 0;
};
