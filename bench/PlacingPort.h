#pragma once

#include "platform/audio/AudioEngine.h"
#include "platform/midi/BuiltInSynthPort.h"
#include "platform/midi/MidiOut.h"

#include <cstdint>
#include <optional>
#include <vector>

// The built-in synth's port, noting every message sent, where it was placed and when.
class PlacingPort : public MidiPort
{
public:
    explicit PlacingPort(AudioEngine& engine)
        : m_engine(engine)
        , m_synth(engine, sharedSoundFont())
    {}

    QString name() const override { return m_synth.name(); }

    MidiResult open() override { return m_synth.open(); }

    void close() override { m_synth.close(); }

    MidiResult send(
        std::uint32_t message, std::optional<std::int64_t> at, MidiHandle handle) override
    {
        sent.push_back({ message, at, m_engine.now() });
        if (at)
            placed.push_back({ *at, m_engine.now() });
        return m_synth.send(message, at, handle);
    }

    void purge(MidiHandle handle) override { m_synth.purge(handle); }

    struct Placed
    {
        std::int64_t at;
        std::int64_t placedWhen;
    };

    struct Sent
    {
        std::uint32_t message;
        std::optional<std::int64_t> at;
        std::int64_t sentWhen;
    };

    std::vector<Placed> placed;
    std::vector<Sent> sent;

private:
    AudioEngine& m_engine;
    BuiltInSynthPort m_synth;
};

// A MIDI service whose only device is a PlacingPort, which `port` is pointed at.
inline std::unique_ptr<MidiOut> makePlacingMidiOut(AudioEngine& engine, PlacingPort*& port)
{
    auto owned = std::make_unique<PlacingPort>(engine);
    port = owned.get();
    std::vector<std::unique_ptr<MidiPort>> ports;
    ports.push_back(std::move(owned));
    return std::make_unique<MidiOut>(std::move(ports));
}
