#pragma once

#include "platform/mixer/MixerService.h"

#include <vector>

// A mixer for tests: told whether opening fails and which control it has, it records every open
// attempt, every reopen and every value set, in order. `failOpen` holds for reopens too.
// `connectionLost` stands for a sound server that went away: every set fails until a reopen,
// which opens on whatever server is there then.
class FakeMixerService : public MixerService
{
public:
    bool failOpen = false;
    std::optional<MixerControl> control = MixerControl { 0, 65535 };
    bool refuseSet = false;
    bool connectionLost = false;

    int openAttempts = 0;
    int reopenAttempts = 0;
    std::vector<long> valuesSet;

    State state() const override { return m_state; }

    bool open() override
    {
        if (m_state != State::NotOpened)
            return m_state == State::Open;
        ++openAttempts;
        return attempt();
    }

    bool reopen() override
    {
        ++reopenAttempts;
        return attempt();
    }

    std::optional<MixerControl> masterControl() const override
    {
        return m_state == State::Open ? control : std::nullopt;
    }

    bool setMasterVolume(long value) override
    {
        if (!masterControl() || refuseSet || connectionLost)
            return false;
        valuesSet.push_back(value);
        return true;
    }

private:
    bool attempt()
    {
        m_state = failOpen ? State::Failed : State::Open;
        connectionLost = false;
        return m_state == State::Open;
    }

    State m_state = State::NotOpened;
};
