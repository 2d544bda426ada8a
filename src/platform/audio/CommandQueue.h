#pragma once

#include "platform/audio/SpscQueue.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <type_traits>

// Commands from the UI thread to the audio callback, taken in the order they were sent however
// many come at once: a lock-free queue that the callback drains, and behind it a list on the UI
// side for the commands that found the queue full. Once one command waits there, every later
// one waits behind it, so no command overtakes an earlier one (a pattern before the switch that
// plays it, a purge after the clips placed before it). The waiting ones move into the queue as
// it gets room, at each send() and flush().
//
// The callback copies commands and never destroys one (SpscQueue takes trivially copyable items
// only): whatever a command owns travels as a raw pointer, and its owner says who deletes it.
//
// Threads: pop() for the audio thread (or whoever renders while it does not); every other call
// for the UI thread. takeAll() only once nothing pops any more.
template <typename T, std::size_t Capacity> class CommandQueue
{
    static_assert(std::is_trivially_copyable_v<T>, "commands cross threads as plain bytes");

public:
    void send(const T& command)
    {
        flush();
        if (!m_waiting.empty() || !m_queue.push(command))
            m_waiting.push_back(command);
    }

    // Moves waiting commands into the queue as far as it has room.
    void flush()
    {
        while (!m_waiting.empty() && m_queue.push(m_waiting.front()))
            m_waiting.pop_front();
    }

    // Commands still on the UI side.
    std::size_t waiting() const { return m_waiting.size(); }

    // Takes the waiting commands for which `drop` is true out of the run; the rest keep their
    // order. What the queue holds already is not looked at.
    template <typename Drop> void dropWaiting(Drop drop) { std::erase_if(m_waiting, drop); }

    std::optional<T> pop() { return m_queue.pop(); }

    // Every command not yet taken, in the order sent, handed to `each` and forgotten: for the
    // owner's teardown, to free what they carry.
    template <typename Each> void takeAll(Each each)
    {
        while (auto command = m_queue.pop())
            each(*command);
        for (const T& command : m_waiting)
            each(command);
        m_waiting.clear();
    }

private:
    SpscQueue<T, Capacity> m_queue;
    std::deque<T> m_waiting;
};
