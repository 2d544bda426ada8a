#pragma once

#include "platform/audio/SpscQueue.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>

// Objects the audio callback is done with, on their way back to the UI thread, which deletes
// them: nothing is freed on the audio thread. A lock-free queue carries them. One that finds the
// queue full waits in a fixed stash on the audio side and follows the others, in the order they
// were retired, at the next retire() or flushStash() that finds room. One that finds the stash
// full as well has nowhere to go without allocating: it is left undeleted and counted, never
// silently lost. The UI thread reports it: the first release() that finds the count above zero
// writes one line to stderr (later ones only count on, so a stalled UI thread cannot flood the
// log), and unreturned() gives the count to whoever checks.
//
// Capacity is the queue's room; the stash takes the objects of the blocks that come while the
// UI thread does not release, so that a short stall loses nothing.
//
// Threads: retire() and flushStash() for the audio thread (or whoever renders while it does
// not); release() and unreturned() for the UI thread. The destructor deletes what is queued or
// stashed: only once nothing retires any more.
template <typename T, std::size_t Capacity, std::size_t StashCapacity> class ReturnQueue
{
    static_assert(StashCapacity >= 1, "a full queue needs somewhere to go");

public:
    // `what` names the objects in the report ("finished clips").
    explicit ReturnQueue(const char* what)
        : m_what(what)
    {}

    ~ReturnQueue()
    {
        release();
        for (std::size_t i = 0; i < m_stashCount; ++i)
            delete m_stash[i];
    }

    ReturnQueue(const ReturnQueue&) = delete;
    ReturnQueue& operator=(const ReturnQueue&) = delete;

    // Hands `item` back (null: nothing). Never allocates, frees or waits.
    void retire(T* item)
    {
        if (!item)
            return;
        flushStash();
        if (m_stashCount == 0 && m_queue.push(item))
            return;
        if (m_stashCount < StashCapacity)
            m_stash[m_stashCount++] = item;
        else
            m_unreturned.fetch_add(1, std::memory_order_relaxed);
    }

    // Moves stashed objects into the queue as far as it has room. Once a block, so that they come
    // back also when nothing more is retired.
    void flushStash()
    {
        std::size_t sent = 0;
        while (sent < m_stashCount && m_queue.push(m_stash[sent]))
            ++sent;
        if (sent == 0)
            return;
        std::move(m_stash.begin() + sent, m_stash.begin() + m_stashCount, m_stash.begin());
        m_stashCount -= sent;
    }

    // Deletes every object that has come back, in the order retired, each after `before` has
    // seen it, and reports the first of those left undeleted. Returns how many it deleted.
    template <typename Before> std::size_t release(Before before)
    {
        std::size_t released = 0;
        while (auto item = m_queue.pop()) {
            before(**item);
            delete *item;
            ++released;
        }
        report();
        return released;
    }

    std::size_t release()
    {
        return release([](const T&) {});
    }

    // Objects that found the queue and the stash full, since the start: never deleted.
    std::uint64_t unreturned() const { return m_unreturned.load(std::memory_order_relaxed); }

private:
    void report()
    {
        if (m_reported)
            return;
        const std::uint64_t count = unreturned();
        if (count == 0)
            return;
        std::fprintf(stderr,
            "Kadentor: %llu %s found no room on their way back from the audio thread and stay "
            "undeleted; later ones are only counted.\n",
            static_cast<unsigned long long>(count), m_what);
        m_reported = true;
    }

    SpscQueue<T*, Capacity> m_queue;
    std::atomic<std::uint64_t> m_unreturned { 0 };
    const char* m_what;
    bool m_reported = false; // UI thread

    // Audio thread.
    std::array<T*, StashCapacity> m_stash {};
    std::size_t m_stashCount = 0;
};
