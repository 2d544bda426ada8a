#pragma once

#include "platform/midi/MidiOut.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct _snd_seq;
struct snd_midi_event;

// The machine's writable ALSA sequencer ports as MIDI output devices. With no sequencer (no
// /dev/snd/seq, as on a build machine) there are none.
//
// Messages placed on a sample time go through an ALSA queue in real time: the delay is the
// distance from the engine's clock `now` to the sample. UI thread only.
class AlsaSequencerPorts
{
public:
    // One MidiPort per writable port found now (none without a sequencer). The ports share one
    // sequencer connection, closed with the last of them.
    static std::vector<std::unique_ptr<MidiPort>> find(std::function<std::int64_t()> now);

    explicit AlsaSequencerPorts(std::function<std::int64_t()> now);
    ~AlsaSequencerPorts();
    AlsaSequencerPorts(const AlsaSequencerPorts&) = delete;
    AlsaSequencerPorts& operator=(const AlsaSequencerPorts&) = delete;

private:
    class Port;

    MidiResult send(int client,
        int port,
        std::uint32_t message,
        std::optional<std::int64_t> at,
        MidiHandle handle);
    void purge(int client, int port, MidiHandle handle);
    bool exists(int client, int port) const;

    std::function<std::int64_t()> m_now;
    _snd_seq* m_seq = nullptr;
    snd_midi_event* m_encoder = nullptr;
    int m_sourcePort = -1;
    int m_queue = -1;
};
