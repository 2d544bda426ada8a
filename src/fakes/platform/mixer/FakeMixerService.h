#pragma once

#include "platform/mixer/MixerService.h"

#include <vector>

// A mixer for tests: told whether opening fails and which control it has, it records every open
// attempt and every value set, in order.
class FakeMixerService : public MixerService
{
public:
    bool failOpen = false;
    std::optional<MixerControl> control = MixerControl { 0, 65535 };
    bool refuseSet = false;

    int openAttempts = 0;
    std::vector<long> valuesSet;

    State state() const override { return m_state; }

    bool open() override
    {
        if (m_state != State::NotOpened)
            return m_state == State::Open;
        ++openAttempts;
        m_state = failOpen ? State::Failed : State::Open;
        return m_state == State::Open;
    }

    std::optional<MixerControl> masterControl() const override
    {
        return m_state == State::Open ? control : std::nullopt;
    }

    bool setMasterVolume(long value) override
    {
        if (!masterControl() || refuseSet)
            return false;
        valuesSet.push_back(value);
        return true;
    }

private:
    State m_state = State::NotOpened;
};
