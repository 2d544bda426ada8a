#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <optional>
#include <type_traits>

// A bounded lock-free queue for exactly one producer thread and one consumer thread: the UI
// hands commands to the audio callback through it and gets finished clips back. Neither side
// ever waits or allocates; a full queue refuses the push and the producer decides what to do.
//
// Items are copied in and out and never destroyed by either side, so that no destructor, and no
// free() inside one, runs on the audio thread: only trivially copyable ones are taken.
template <typename T, std::size_t Capacity> class SpscQueue
{
    static_assert(std::is_trivially_copyable_v<T>, "items cross threads as plain bytes");
    static_assert(Capacity >= 2 && (Capacity & (Capacity - 1)) == 0, "Capacity: power of two");

public:
    // Producer thread only. False when the queue is full (the item is not taken).
    bool push(const T& item)
    {
        const std::size_t tail = m_tail.load(std::memory_order_relaxed);
        if (tail - m_head.load(std::memory_order_acquire) == Capacity)
            return false;
        m_items[tail & (Capacity - 1)] = item;
        m_tail.store(tail + 1, std::memory_order_release);
        return true;
    }

    // Consumer thread only.
    std::optional<T> pop()
    {
        const std::size_t head = m_head.load(std::memory_order_relaxed);
        if (head == m_tail.load(std::memory_order_acquire))
            return std::nullopt;
        T item = m_items[head & (Capacity - 1)];
        m_head.store(head + 1, std::memory_order_release);
        return item;
    }

private:
    std::array<T, Capacity> m_items {};
    // Free-running counters; only their difference matters, so wrap-around is harmless.
    alignas(64) std::atomic<std::size_t> m_head { 0 };
    alignas(64) std::atomic<std::size_t> m_tail { 0 };
};
