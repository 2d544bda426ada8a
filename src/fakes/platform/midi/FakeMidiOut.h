#pragma once

#include "platform/midi/MidiOut.h"

#include <map>
#include <memory>
#include <vector>

// What a fake device saw, in order.
struct FakeMidiEvent
{
    enum class Kind { Open, Send, Purge, Close };
    Kind kind = Kind::Send;
    int device = 0;
    std::uint32_t message = 0;
    std::optional<std::int64_t> at; // Send only: the sample it was placed on
    MidiHandle handle = 0; // Send and Purge

    bool operator==(const FakeMidiEvent&) const = default;
};

// MIDI output devices for tests: a scripted device list, scripted open failures, and every
// call that reaches a device recorded. The service logic is the real one.
class FakeMidiOut : public MidiOut
{
public:
    explicit FakeMidiOut(const QStringList& names = { kBuiltInSynthName });

    // Opening `device` (0 and up; the mapper is device 0) fails with `result` from now on;
    // NoError lets it open again.
    void failOpen(int device, MidiResult result);

    const std::vector<FakeMidiEvent>& log() const { return m_state->log; }

    // The messages sent to the devices, in order.
    std::vector<std::uint32_t> messages() const;

    void clearLog() { m_state->log.clear(); }

private:
    struct State
    {
        std::vector<FakeMidiEvent> log;
        std::map<int, MidiResult> failures;
    };
    class Port;

    FakeMidiOut(const QStringList& names, std::shared_ptr<State> state);
    static std::vector<std::unique_ptr<MidiPort>> makePorts(
        const QStringList& names, const std::shared_ptr<State>& state);

    std::shared_ptr<State> m_state;
};
