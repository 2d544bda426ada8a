#include "platform/midi/MidiFileSequencer.h"

#include "platform/midi/MidiSynth.h"

#include <algorithm>

namespace {

bool isNoteMessage(std::uint32_t message)
{
    const int kind = message & 0xF0;
    return kind == 0x80 || kind == 0x90 || kind == 0xA0;
}

} // namespace

MidiFileSequencer::MidiFileSequencer(std::unique_ptr<MidiSynth> synth)
    : m_synth(std::move(synth))
{}

MidiFileSequencer::~MidiFileSequencer() = default;

void MidiFileSequencer::load(std::shared_ptr<const MidiSequence> sequence)
{
    m_sequence = std::move(sequence);
    m_cursor = Cursor { m_sequence.get(), 0, 0 };
    m_at = 0;
    m_running = false;
    m_wantPlaying = false;
    m_wantSeek = -1;
    m_handled = m_requests.load();
    m_position = 0;
    m_playing = false;
    m_synth->reset();
}

void MidiFileSequencer::play()
{
    m_wantPlaying.store(true);
    m_requests.fetch_add(1, std::memory_order_release);
}

void MidiFileSequencer::pause()
{
    m_wantPlaying.store(false);
    m_requests.fetch_add(1, std::memory_order_release);
}

void MidiFileSequencer::seek(std::int64_t sample)
{
    m_wantSeek.store(std::clamp<std::int64_t>(sample, 0, length()));
    m_requests.fetch_add(1, std::memory_order_release);
}

bool MidiFileSequencer::playing() const
{
    // A request not yet taken in by the audio thread already counts.
    if (m_requests.load() != m_handled.load())
        return m_wantPlaying.load() && position() < length();
    return m_playing.load();
}

std::int64_t MidiFileSequencer::position() const
{
    const std::int64_t seek = m_wantSeek.load();
    return seek >= 0 ? seek : m_position.load();
}

std::int64_t MidiFileSequencer::length() const
{
    return m_sequence ? m_sequence->lengthSamples : 0;
}

void MidiFileSequencer::applyRequests()
{
    const std::uint32_t requests = m_requests.load(std::memory_order_acquire);
    if (requests == m_handled.load(std::memory_order_relaxed))
        return;
    std::int64_t seek = m_wantSeek.load();
    if (seek >= 0) {
        moveTo(seek);
        m_position.store(seek);
        m_wantSeek.compare_exchange_strong(seek, -1);
    }
    // Events on the end sample itself still go out (a file may be all at time 0).
    const bool left = m_at < length() || m_cursor.index < m_sequence->events.size();
    const bool wanted = m_wantPlaying.load() && left;
    if (m_running && !wanted)
        m_synth->releaseAll();
    m_running = wanted;
    m_playing.store(m_running);
    m_handled.store(requests);
}

void MidiFileSequencer::moveTo(std::int64_t sample)
{
    m_synth->reset();
    const auto& events = m_sequence->events;
    std::size_t index = 0;
    for (; index < events.size() && events[index].sample < sample; ++index) {
        if (!isNoteMessage(events[index].message))
            m_synth->send(events[index].message);
    }
    m_cursor.index = index;
    m_at = sample;
}

void MidiFileSequencer::render(float* mix, int frames, std::int64_t firstSample)
{
    if (!m_sequence)
        return;
    applyRequests();
    if (!m_running) {
        // Release tails of the notes let go go on sounding.
        if (!m_synth->silent())
            m_synth->renderAdd(mix, frames);
        return;
    }
    const int playing = static_cast<int>(std::min<std::int64_t>(frames, length() - m_at));
    m_cursor.offset = firstSample - m_at;
    renderTimed(*m_synth, m_cursor, mix, playing, firstSample);
    m_at += playing;
    if (m_at >= length()) {
        // The last note offs sit on the end sample itself; a note the file never ends is
        // released with the rest.
        std::uint32_t message;
        while (m_cursor.next(INT64_MAX, message))
            m_synth->send(message);
        m_synth->releaseAll();
        m_running = false;
        if (frames > playing)
            m_synth->renderAdd(mix + 2 * playing, frames - playing);
    }
    m_position.store(m_at);
    m_playing.store(m_running);
}

bool MidiFileSequencer::Cursor::next(std::int64_t before, std::uint32_t& message)
{
    if (index >= sequence->events.size() || sequence->events[index].sample + offset >= before)
        return false;
    message = sequence->events[index++].message;
    return true;
}

std::int64_t MidiFileSequencer::Cursor::nextTime() const
{
    return index < sequence->events.size() ? sequence->events[index].sample + offset : INT64_MAX;
}
