#pragma once

#include "platform/midi/MidiOut.h"

#include <climits>
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
    bool dropped = false; // Send only: a purge came before the device took it in

    bool operator==(const FakeMidiEvent&) const = default;
};

// MIDI output devices for tests: a scripted device list, scripted open failures, and every
// call that reaches a device recorded. The service logic is the real one.
//
// The devices keep the built-in synthesizer's purge rule: a purge drops every message of its
// handle sent and not yet delivered, placed for later or sent now. Only deliver() delivers, as
// the synthesizer takes in what was sent only at its next block.
class FakeMidiOut : public MidiOut
{
public:
    explicit FakeMidiOut(const QStringList& names = { kBuiltInSynthName });

    // The devices take in every message sent now and each placed before sample `before`: a purge
    // no longer drops them.
    void deliver(std::int64_t before = INT64_MAX);

    // Opening `device` (0 and up; the mapper is device 0) fails with `result` from now on;
    // NoError lets it open again.
    void failOpen(int device, MidiResult result);

    const std::vector<FakeMidiEvent>& log() const { return m_state->log; }

    // The messages sent to the devices, in order, less those a purge dropped.
    std::vector<std::uint32_t> messages() const;

    void clearLog();

private:
    struct State
    {
        std::vector<FakeMidiEvent> log;
        // The sends of the log not delivered yet, by their place in it.
        std::vector<std::size_t> undelivered;
        std::map<int, MidiResult> failures;
    };
    class Port;

    FakeMidiOut(const QStringList& names, std::shared_ptr<State> state);
    static std::vector<std::unique_ptr<MidiPort>> makePorts(
        const QStringList& names, const std::shared_ptr<State>& state);

    std::shared_ptr<State> m_state;
};
