#include "platform/midi/AlsaSequencerPorts.h"

#include "platform/audio/AudioEngine.h"

#include <algorithm>

#include <QFileInfo>

#include <alsa/asoundlib.h>

class AlsaSequencerPorts::Port : public MidiPort
{
public:
    Port(std::shared_ptr<AlsaSequencerPorts> owner, int client, int port, QString name)
        : m_owner(std::move(owner))
        , m_client(client)
        , m_port(port)
        , m_name(std::move(name))
    {}

    QString name() const override { return m_name; }

    MidiResult open() override
    {
        // The port may have gone since it was listed (a device unplugged).
        return m_owner->exists(m_client, m_port) ? MidiResult::NoError : MidiResult::Allocated;
    }

    void close() override {}

    MidiResult send(
        std::uint32_t message, std::optional<std::int64_t> at, MidiHandle handle) override
    {
        return m_owner->send(m_client, m_port, message, at, handle);
    }

    void purge(MidiHandle handle) override { m_owner->purge(m_client, m_port, handle); }

private:
    std::shared_ptr<AlsaSequencerPorts> m_owner;
    int m_client;
    int m_port;
    QString m_name;
};

AlsaSequencerPorts::AlsaSequencerPorts(std::function<std::int64_t()> sounding)
    : m_sounding(std::move(sounding))
{
    // Without the sequencer device the library would log its failure to open it: ask first.
    if (!QFileInfo::exists(QStringLiteral("/dev/snd/seq"))
        || snd_seq_open(&m_seq, "default", SND_SEQ_OPEN_OUTPUT, SND_SEQ_NONBLOCK) < 0) {
        m_seq = nullptr;
        return;
    }
    snd_seq_set_client_name(m_seq, "Kadentor");
    m_sourcePort = snd_seq_create_simple_port(m_seq, "Kadentor out",
        SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
        SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    m_queue = snd_seq_alloc_named_queue(m_seq, "Kadentor");
    if (m_sourcePort < 0 || m_queue < 0 || snd_midi_event_new(16, &m_encoder) < 0) {
        snd_seq_close(m_seq);
        m_seq = nullptr;
        return;
    }
    snd_midi_event_no_status(m_encoder, 1);
    snd_seq_start_queue(m_seq, m_queue, nullptr);
    snd_seq_drain_output(m_seq);
}

AlsaSequencerPorts::~AlsaSequencerPorts()
{
    if (m_encoder)
        snd_midi_event_free(m_encoder);
    if (m_seq)
        snd_seq_close(m_seq);
}

std::vector<std::unique_ptr<MidiPort>> AlsaSequencerPorts::find(
    std::function<std::int64_t()> sounding)
{
    std::vector<std::unique_ptr<MidiPort>> found;
    auto owner = std::make_shared<AlsaSequencerPorts>(std::move(sounding));
    snd_seq_t* seq = owner->m_seq;
    if (!seq)
        return found;
    const int self = snd_seq_client_id(seq);
    snd_seq_client_info_t* client;
    snd_seq_port_info_t* port;
    snd_seq_client_info_alloca(&client);
    snd_seq_port_info_alloca(&port);
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(seq, client) >= 0) {
        const int id = snd_seq_client_info_get_client(client);
        if (id == self || id == SND_SEQ_CLIENT_SYSTEM)
            continue;
        snd_seq_port_info_set_client(port, id);
        snd_seq_port_info_set_port(port, -1);
        while (snd_seq_query_next_port(seq, port) >= 0) {
            const unsigned caps = snd_seq_port_info_get_capability(port);
            const unsigned wanted = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
            if ((caps & wanted) != wanted || (caps & SND_SEQ_PORT_CAP_NO_EXPORT))
                continue;
            found.push_back(std::make_unique<Port>(owner, id, snd_seq_port_info_get_port(port),
                QString::fromLocal8Bit(snd_seq_port_info_get_name(port))));
        }
    }
    return found;
}

bool AlsaSequencerPorts::exists(int client, int port) const
{
    snd_seq_port_info_t* info;
    snd_seq_port_info_alloca(&info);
    return m_seq && snd_seq_get_any_port_info(m_seq, client, port, info) >= 0;
}

MidiResult AlsaSequencerPorts::send(
    int client, int port, std::uint32_t message, std::optional<std::int64_t> at, MidiHandle handle)
{
    const unsigned char bytes[3] = { static_cast<unsigned char>(message & 0xFF),
        static_cast<unsigned char>((message >> 8) & 0xFF),
        static_cast<unsigned char>((message >> 16) & 0xFF) };
    const int kind = bytes[0] & 0xF0;
    const long length = (kind == 0xC0 || kind == 0xD0) ? 2 : 3;
    snd_seq_event_t event;
    snd_seq_ev_clear(&event);
    snd_midi_event_reset_encode(m_encoder);
    if (snd_midi_event_encode(m_encoder, bytes, length, &event) != length
        || event.type == SND_SEQ_EVENT_NONE)
        return MidiResult::InvalidParam;
    snd_seq_ev_set_source(&event, m_sourcePort);
    snd_seq_ev_set_dest(&event, client, port);
    // The tag lets close() find this handle's placed messages again.
    event.tag = static_cast<unsigned char>(handle & 0xFF);
    int sent;
    if (!at) {
        snd_seq_ev_set_direct(&event);
        sent = snd_seq_event_output_direct(m_seq, &event);
    } else {
        snd_seq_queue_status_t* status;
        snd_seq_queue_status_alloca(&status);
        if (snd_seq_get_queue_status(m_seq, m_queue, status) < 0)
            return MidiResult::Error;
        const snd_seq_real_time_t* queueNow = snd_seq_queue_status_get_real_time(status);
        const QueueTime due =
            dueTime(QueueTime { queueNow->tv_sec, queueNow->tv_nsec }, *at, m_sounding());
        snd_seq_real_time_t dueReal;
        dueReal.tv_sec = static_cast<unsigned>(due.seconds);
        dueReal.tv_nsec = static_cast<unsigned>(due.nanos);
        snd_seq_ev_schedule_real(&event, m_queue, 0, &dueReal);
        sent = snd_seq_event_output(m_seq, &event);
        if (sent >= 0)
            sent = snd_seq_drain_output(m_seq);
    }
    return sent < 0 ? MidiResult::Error : MidiResult::NoError;
}

AlsaSequencerPorts::QueueTime AlsaSequencerPorts::dueTime(
    QueueTime queueNow, std::int64_t at, std::int64_t sounding)
{
    constexpr std::int64_t kNanosPerSecond = 1'000'000'000;
    const std::int64_t ahead = std::max<std::int64_t>(0, at - sounding);
    // Whole seconds apart, so that no distance overflows.
    const std::int64_t nanos = queueNow.nanos
        + ahead % AudioEngine::kSampleRate * kNanosPerSecond / AudioEngine::kSampleRate;
    return QueueTime { queueNow.seconds + ahead / AudioEngine::kSampleRate
            + nanos / kNanosPerSecond,
        nanos % kNanosPerSecond };
}

void AlsaSequencerPorts::purge(int client, int port, MidiHandle handle)
{
    snd_seq_remove_events_t* remove;
    snd_seq_remove_events_alloca(&remove);
    snd_seq_addr_t dest { static_cast<unsigned char>(client), static_cast<unsigned char>(port) };
    snd_seq_remove_events_set_queue(remove, m_queue);
    snd_seq_remove_events_set_dest(remove, &dest);
    snd_seq_remove_events_set_tag(remove, static_cast<int>(handle & 0xFF));
    snd_seq_remove_events_set_condition(remove,
        SND_SEQ_REMOVE_OUTPUT | SND_SEQ_REMOVE_DEST | SND_SEQ_REMOVE_TAG_MATCH
            | SND_SEQ_REMOVE_IGNORE_OFF);
    snd_seq_remove_events(m_seq, remove);
}
