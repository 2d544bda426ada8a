#include "platform/midi/FakeMidiOut.h"

class FakeMidiOut::Port : public MidiPort
{
public:
    Port(int device, QString name, std::shared_ptr<State> state)
        : m_device(device)
        , m_name(std::move(name))
        , m_state(std::move(state))
    {}

    QString name() const override { return m_name; }

    MidiResult open() override
    {
        const auto failure = m_state->failures.find(m_device);
        if (failure != m_state->failures.end() && failure->second != MidiResult::NoError)
            return failure->second;
        // As the built-in synthesizer, which opens while its SoundFont loads but not after the
        // load has failed.
        if (state() == MidiDeviceState::Failed)
            return MidiResult::Error;
        m_state->log.push_back({ FakeMidiEvent::Kind::Open, m_device, 0, std::nullopt, 0 });
        return MidiResult::NoError;
    }

    void close() override
    {
        m_state->log.push_back({ FakeMidiEvent::Kind::Close, m_device, 0, std::nullopt, 0 });
    }

    MidiResult send(
        std::uint32_t message, std::optional<std::int64_t> at, MidiHandle handle) override
    {
        MidiResult result =
            state() == MidiDeviceState::Ready ? MidiResult::NoError : MidiResult::Error;
        if (result == MidiResult::NoError && !takeIntoQueue())
            result = MidiResult::NoMemory;
        if (result == MidiResult::NoError)
            m_state->undelivered.push_back(m_state->log.size());
        m_state->log.push_back(
            { FakeMidiEvent::Kind::Send, m_device, message, at, handle, false, result });
        return result;
    }

    void purge(MidiHandle handle) override
    {
        if (!takeIntoQueue()) {
            m_state->log.push_back({ FakeMidiEvent::Kind::Purge, m_device, 0, std::nullopt, handle,
                false, MidiResult::NoMemory });
            return;
        }
        std::erase_if(m_state->undelivered, [this, handle](std::size_t index) {
            FakeMidiEvent& event = m_state->log[index];
            if (event.device != m_device || event.handle != handle)
                return false;
            event.dropped = true;
            return true;
        });
        m_state->log.push_back({ FakeMidiEvent::Kind::Purge, m_device, 0, std::nullopt, handle });
    }

    MidiDeviceState state() const override
    {
        const auto found = m_state->states.find(m_device);
        return found == m_state->states.end() ? MidiDeviceState::Ready : found->second;
    }

private:
    // False when the device's queue is full.
    bool takeIntoQueue()
    {
        const auto capacity = m_state->capacity.find(m_device);
        std::size_t& queued = m_state->queued[m_device];
        if (capacity != m_state->capacity.end() && queued >= capacity->second)
            return false;
        ++queued;
        return true;
    }

    int m_device;
    QString m_name;
    std::shared_ptr<State> m_state;
};

FakeMidiOut::FakeMidiOut(const QStringList& names)
    : FakeMidiOut(names, std::make_shared<State>())
{}

FakeMidiOut::FakeMidiOut(const QStringList& names, std::shared_ptr<State> state)
    : MidiOut(makePorts(names, state))
    , m_state(std::move(state))
{}

std::vector<std::unique_ptr<MidiPort>> FakeMidiOut::makePorts(
    const QStringList& names, const std::shared_ptr<State>& state)
{
    std::vector<std::unique_ptr<MidiPort>> ports;
    for (int device = 0; device < names.size(); ++device)
        ports.push_back(std::make_unique<Port>(device, names[device], state));
    return ports;
}

void FakeMidiOut::failOpen(int device, MidiResult result)
{
    m_state->failures[device] = result;
}

void FakeMidiOut::limitQueue(int device, std::size_t capacity)
{
    m_state->capacity[device] = capacity;
}

void FakeMidiOut::setDeviceState(int device, MidiDeviceState state)
{
    m_state->states[device] = state;
}

void FakeMidiOut::deliver(std::int64_t before)
{
    // The synthesizer empties its whole queue at each block, placed messages into its own list.
    m_state->queued.clear();
    std::erase_if(m_state->undelivered, [this, before](std::size_t index) {
        const std::optional<std::int64_t>& at = m_state->log[index].at;
        return !at || *at < before;
    });
}

std::vector<std::uint32_t> FakeMidiOut::messages() const
{
    std::vector<std::uint32_t> sent;
    for (const FakeMidiEvent& event : m_state->log) {
        if (event.kind == FakeMidiEvent::Kind::Send && !event.dropped
            && event.result == MidiResult::NoError)
            sent.push_back(event.message);
    }
    return sent;
}

void FakeMidiOut::clearLog()
{
    m_state->log.clear();
    m_state->undelivered.clear();
    m_state->queued.clear();
}
