#include "platform/midi/MidiFileSequencer.h"

#include "platform/midi/MidiSynth.h"

#include <algorithm>
#include <array>
#include <bit>
#include <bitset>
#include <cmath>

namespace {

bool isNoteMessage(std::uint32_t message)
{
    const int kind = message & 0xF0;
    return kind == 0x80 || kind == 0x90 || kind == 0xA0;
}

// For a message that only sets one value of its channel, which nothing else reads at the time
// it arrives: that value's number (a later one of the same number overwrites it). -1 for the
// messages whose order matters: program changes, bank selects (read by the program change),
// the parameter numbers and the data entries that act on them, and the channel mode messages.
int overwrittenSlot(std::uint32_t message)
{
    const int kind = message & 0xF0;
    const int channel = message & 0x0F;
    const int controller = (message >> 8) & 0x7F;
    switch (kind) {
    case 0xB0:
        if (controller == 0 || controller == 32 || controller == 6 || controller == 38
            || (controller >= 96 && controller <= 101) || controller >= 120)
            return -1;
        return channel * 130 + controller;
    case 0xD0:
        return channel * 130 + 128;
    case 0xE0:
        return channel * 130 + 129;
    default:
        return -1;
    }
}

std::uint64_t packGains(SideGains gains)
{
    return std::uint64_t(std::bit_cast<std::uint32_t>(static_cast<float>(gains.left))) << 32
        | std::bit_cast<std::uint32_t>(static_cast<float>(gains.right));
}

SideGains unpackGains(std::uint64_t packed)
{
    return { std::bit_cast<float>(static_cast<std::uint32_t>(packed >> 32)),
        std::bit_cast<float>(static_cast<std::uint32_t>(packed)) };
}

} // namespace

MidiFileSequencer::MidiFileSequencer(std::unique_ptr<MidiSynth> synth)
    : m_synth(std::move(synth))
    , m_wantGains(packGains(SideGains {}))
{}

MidiFileSequencer::~MidiFileSequencer()
{
    delete m_seek.exchange(nullptr);
    releaseReplays();
}

std::vector<std::uint32_t> MidiFileSequencer::settingsBefore(
    const std::vector<TimedMessage>& events, std::size_t end)
{
    std::vector<std::uint32_t> kept;
    std::bitset<16 * 130> later;
    for (std::size_t i = std::min(end, events.size()); i-- > 0;) {
        const std::uint32_t message = events[i].message;
        if (isNoteMessage(message))
            continue;
        const int slot = overwrittenSlot(message);
        if (slot >= 0) {
            if (later.test(std::size_t(slot)))
                continue;
            later.set(std::size_t(slot));
        }
        kept.push_back(message);
    }
    std::reverse(kept.begin(), kept.end());
    return kept;
}

void MidiFileSequencer::releaseReplays()
{
    m_spent.release();
}

void MidiFileSequencer::load(std::shared_ptr<const MidiSequence> sequence)
{
    delete m_seek.exchange(nullptr);
    releaseReplays();
    m_cut = FadeTail {};
    m_riseLeft = 0;
    m_sequence = std::move(sequence);
    m_cursor = Cursor { m_sequence.get() };
    m_at = 0.0;
    restartPace(m_speed.load());
    // A new file starts at the level set, not ramping from the last one.
    m_level.snap(unpackGains(m_wantGains.load()));
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
    if (!m_sequence)
        return;
    releaseReplays();
    auto replay = std::make_unique<Replay>();
    replay->sample = std::clamp<std::int64_t>(sample, 0, length());
    const auto& events = m_sequence->events;
    replay->index =
        static_cast<std::size_t>(std::lower_bound(events.begin(), events.end(), replay->sample,
                                     [](const TimedMessage& event, std::int64_t at) {
                                         return event.sample < at;
                                     })
            - events.begin());
    replay->messages = settingsBefore(events, replay->index);
    // The wanted position first: the audio thread clears it only for the replay it has taken.
    m_wantSeek.store(replay->sample);
    // One the audio thread has not taken yet is overtaken by this one.
    delete m_seek.exchange(replay.release(), std::memory_order_acq_rel);
    m_requests.fetch_add(1, std::memory_order_release);
}

void MidiFileSequencer::setLevel(int volume, int balance)
{
    m_wantGains.store(packGains(SideGains::of(volume, balance)), std::memory_order_relaxed);
}

void MidiFileSequencer::setSpeed(double speed)
{
    if (std::isfinite(speed))
        m_speed.store(std::clamp(speed, kSlowest, kFastest), std::memory_order_relaxed);
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
    m_spent.flushStash();
    const std::uint32_t requests = m_requests.load(std::memory_order_acquire);
    if (requests == m_handled.load(std::memory_order_relaxed))
        return;
    if (Replay* replay = m_seek.exchange(nullptr, std::memory_order_acq_rel)) {
        moveTo(*replay);
        m_position.store(replay->sample);
        std::int64_t wanted = replay->sample;
        m_wantSeek.compare_exchange_strong(wanted, -1);
        m_spent.retire(replay);
    }
    // Events on the end sample itself still go out (a file may be all at time 0).
    const bool left = m_at < double(length()) || m_cursor.index < m_sequence->events.size();
    const bool wanted = m_wantPlaying.load() && left;
    if (m_running && !wanted)
        m_synth->releaseAll();
    m_running = wanted;
    m_playing.store(m_running);
    m_handled.store(requests);
}

void MidiFileSequencer::moveTo(const Replay& replay)
{
    // What sounds fades out over the ramp while the music from the new place fades in: the
    // reset leaves the synth's reverb and chorus holding sound from another time, which must
    // not jump in at full level.
    if (!m_synth->silent()) {
        m_cut.capture([this](float* tail, int frames) {
            m_synth->renderAdd(tail, frames);
        });
        m_riseLeft = FadeTail::kFrames;
    }
    m_synth->reset();
    for (const std::uint32_t message : replay.messages)
        m_synth->send(message);
    m_cursor.index = replay.index;
    m_at = double(replay.sample);
    restartPace(m_pace);
}

void MidiFileSequencer::restartPace(double speed)
{
    m_paceFrom = m_at;
    m_pace = speed;
    m_paceFrames = 0;
}

void MidiFileSequencer::render(float* mix, int frames, std::int64_t firstSample)
{
    if (!m_sequence)
        return;
    const SideGains gains = unpackGains(m_wantGains.load(std::memory_order_relaxed));
    for (int done = 0; done < frames;) {
        const int count = std::min(frames - done, kChunkFrames);
        std::fill_n(m_unscaled.begin(), 2 * count, 0.0f);
        renderUnscaled(m_unscaled.data(), count, firstSample + done);
        m_level.mixInto(m_unscaled.data(), mix + 2 * done, count, gains);
        done += count;
    }
}

void MidiFileSequencer::renderUnscaled(float* mix, int frames, std::int64_t firstSample)
{
    applyRequests();
    m_cut.mixInto(mix, frames);
    if (!m_running) {
        // Release tails of the notes let go go on sounding.
        renderSynth(mix, frames, firstSample, false);
        return;
    }
    const double speed = m_speed.load(std::memory_order_relaxed);
    if (speed != m_pace)
        restartPace(speed);
    m_cursor.origin = firstSample - m_paceFrames;
    m_cursor.from = m_paceFrom;
    m_cursor.speed = speed;
    const std::int64_t framesToEnd =
        std::max<std::int64_t>(m_cursor.framesUntil(double(length())) - m_paceFrames, 0);
    const int playing = static_cast<int>(std::min<std::int64_t>(frames, framesToEnd));
    renderSynth(mix, playing, firstSample, true);
    m_paceFrames += playing;
    m_at = std::min(m_paceFrom + double(m_paceFrames) * speed, double(length()));
    if (playing == framesToEnd) {
        m_at = double(length()); // not a hair short of it, at any speed
        // The last note offs sit on the end sample itself; a note the file never ends is
        // released with the rest.
        std::uint32_t message;
        while (m_cursor.next(INT64_MAX, message))
            m_synth->send(message);
        m_synth->releaseAll();
        m_running = false;
        renderSynth(mix + 2 * playing, frames - playing, firstSample + playing, false);
    }
    m_position.store(static_cast<std::int64_t>(m_at));
    m_playing.store(m_running);
}

void MidiFileSequencer::renderSynth(float* mix, int frames, std::int64_t firstSample, bool playing)
{
    const auto renderPart = [&](float* into, int count, std::int64_t first) {
        if (playing)
            renderTimed(*m_synth, m_cursor, into, count, first);
        else if (!m_synth->silent())
            m_synth->renderAdd(into, count);
    };
    int done = 0;
    if (m_riseLeft > 0 && frames > 0) {
        std::array<float, 2 * FadeTail::kFrames> rising {};
        done = std::min(frames, m_riseLeft);
        renderPart(rising.data(), done, firstSample);
        for (int i = 0; i < done; ++i) {
            const float gain = 1.0f - FadeTail::gain(m_riseLeft - i);
            mix[2 * i] += rising[std::size_t(2 * i)] * gain;
            mix[2 * i + 1] += rising[std::size_t(2 * i + 1)] * gain;
        }
        m_riseLeft -= done;
    }
    if (done < frames)
        renderPart(mix + 2 * done, frames - done, firstSample + done);
}

bool MidiFileSequencer::Cursor::next(std::int64_t before, std::uint32_t& message)
{
    if (nextTime() >= before)
        return false;
    message = sequence->events[index++].message;
    return true;
}

std::int64_t MidiFileSequencer::Cursor::nextTime() const
{
    if (index >= sequence->events.size())
        return INT64_MAX;
    return origin + framesUntil(double(sequence->events[index].sample));
}

std::int64_t MidiFileSequencer::Cursor::framesUntil(double sample) const
{
    // The margin keeps a quotient that lands a hair above a whole frame on that frame.
    return static_cast<std::int64_t>(std::ceil((sample - from) / speed - 1e-6));
}
