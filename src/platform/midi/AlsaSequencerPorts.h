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
// Messages placed on a sample time go through an ALSA queue in real time, so that they sound when
// that sample of the engine leaves the speakers, with the clicks placed on it: the delay is the
// distance from `sounding`, the engine's sample leaving the speakers now (its output latency
// counted, as for the beat lights), to the sample. UI thread only.
class AlsaSequencerPorts
{
public:
    // One MidiPort per writable port found now (none without a sequencer). The ports share one
    // sequencer connection, closed with the last of them.
    static std::vector<std::unique_ptr<MidiPort>> find(std::function<std::int64_t()> sounding);

    explicit AlsaSequencerPorts(std::function<std::int64_t()> sounding);
    ~AlsaSequencerPorts();
    AlsaSequencerPorts(const AlsaSequencerPorts&) = delete;
    AlsaSequencerPorts& operator=(const AlsaSequencerPorts&) = delete;

    // A time on the queue's real-time clock.
    struct QueueTime
    {
        std::int64_t seconds = 0;
        std::int64_t nanos = 0; // 0 .. 999 999 999

        bool operator==(const QueueTime&) const = default;
    };

    // When a message placed on sample `at` goes out: the queue's time now moved on by the samples
    // from `sounding` to `at` (a sample already heard: at once).
    static QueueTime dueTime(QueueTime queueNow, std::int64_t at, std::int64_t sounding);

private:
    class Port;

    MidiResult send(int client,
        int port,
        std::uint32_t message,
        std::optional<std::int64_t> at,
        MidiHandle handle);
    void purge(int client, int port, MidiHandle handle);
    bool exists(int client, int port) const;

    std::function<std::int64_t()> m_sounding;
    _snd_seq* m_seq = nullptr;
    snd_midi_event* m_encoder = nullptr;
    int m_sourcePort = -1;
    int m_queue = -1;
};
