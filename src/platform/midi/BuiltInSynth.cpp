#include "platform/midi/BuiltInSynth.h"

BuiltInSynth::BuiltInSynth(std::unique_ptr<MidiSynth> synth)
    : m_synth(std::move(synth))
{}

bool BuiltInSynth::post(std::uint32_t message, std::int64_t at, std::uint32_t tag)
{
    return m_queue.push(Command { at, message, tag, false });
}

bool BuiltInSynth::purge(std::uint32_t tag)
{
    return m_queue.push(Command { 0, 0, tag, true });
}

void BuiltInSynth::render(float* mix, int frames, std::int64_t firstSample)
{
    drain();
    renderTimed(*m_synth, m_waiting, mix, frames, firstSample);
}

void BuiltInSynth::drain()
{
    for (;;) {
        Command command;
        if (m_hasHeld) {
            command = m_held;
        } else if (auto popped = m_queue.pop()) {
            command = *popped;
        } else {
            return;
        }
        if (command.purge) {
            m_waiting.removeTag(command.tag);
        } else if (m_waiting.full()) {
            // Keep it, in order, for a later block rather than lose it or reorder the queue.
            m_held = command;
            m_hasHeld = true;
            return;
        } else {
            m_waiting.insert(command);
        }
        m_hasHeld = false;
    }
}

void BuiltInSynth::Waiting::insert(const Command& command)
{
    // Latest first: walk from the back past every item due no later than this one, so that
    // equal times keep their arrival order.
    int at = m_count;
    while (at > 0 && m_items[at - 1].at <= command.at) {
        m_items[at] = m_items[at - 1];
        --at;
    }
    m_items[at] = command;
    ++m_count;
}

void BuiltInSynth::Waiting::removeTag(std::uint32_t tag)
{
    int kept = 0;
    for (int i = 0; i < m_count; ++i) {
        if (m_items[i].tag != tag)
            m_items[kept++] = m_items[i];
    }
    m_count = kept;
}

bool BuiltInSynth::Waiting::next(std::int64_t before, std::uint32_t& message)
{
    if (m_count == 0 || m_items[m_count - 1].at >= before)
        return false;
    message = m_items[--m_count].message;
    return true;
}
