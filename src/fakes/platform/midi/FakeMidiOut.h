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
    // What the device answered; a send or a purge it refused did nothing.
    MidiResult result = MidiResult::NoError;

    bool operator==(const FakeMidiEvent&) const = default;
};

// MIDI output devices for tests: a scripted device list, scripted open failures, and every
// call that reaches a device recorded. The service logic is the real one.
//
// The devices keep the built-in synthesizer's purge rule: a purge drops every message of its
// handle sent and not yet delivered, placed for later or sent now. Only deliver() delivers, as
// the synthesizer takes in what was sent only at its next block. They can refuse a send as the
// real ports do: a full queue (NoMemory), a SoundFont still loading or failed (Error).
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

    // The device's queue holds `capacity` sends and purges until the next deliver() takes them
    // in, as the built-in synthesizer's holds them until its next block: a send to a full queue
    // is dropped with NoMemory, and a purge is lost. Unlimited until set.
    void limitQueue(int device, std::size_t capacity);

    // What the device's state() tells from now on. While Starting (the built-in synthesizer's
    // SoundFont still loads) or Failed (the load failed) each send is dropped with Error, and
    // while Failed an opening fails with Error. Ready until set.
    void setDeviceState(int device, MidiDeviceState state);

    const std::vector<FakeMidiEvent>& log() const { return m_state->log; }

    // The messages sent to the devices, in order, less those refused and those a purge dropped.
    std::vector<std::uint32_t> messages() const;

    void clearLog();

private:
    struct State
    {
        std::vector<FakeMidiEvent> log;
        // The sends of the log not delivered yet, by their place in it.
        std::vector<std::size_t> undelivered;
        std::map<int, MidiResult> failures;
        std::map<int, std::size_t> capacity;
        // Sends and purges each device took since the last deliver().
        std::map<int, std::size_t> queued;
        std::map<int, MidiDeviceState> states;
    };
    class Port;

    FakeMidiOut(const QStringList& names, std::shared_ptr<State> state);
    static std::vector<std::unique_ptr<MidiPort>> makePorts(
        const QStringList& names, const std::shared_ptr<State>& state);

    std::shared_ptr<State> m_state;
};
