#pragma once

#include <array>
#include <atomic>
#include <cstddef>

// A fixed-size, lock-free queue with one producer thread (the UI) and one consumer thread (the
// audio callback). Neither side allocates or waits: a full queue refuses the push, an empty one
// the pop. Capacity must be a power of two; one slot stays free to tell full from empty.
template <typename T, std::size_t Capacity>
class SpscQueue
{
    static_assert(Capacity >= 2 && (Capacity & (Capacity - 1)) == 0);

public:
    // Producer thread only.
    bool push(const T& item)
    {
        const std::size_t head = m_head.load(std::memory_order_relaxed);
        const std::size_t next = (head + 1) & (Capacity - 1);
        if (next == m_tail.load(std::memory_order_acquire))
            return false;
        m_items[head] = item;
        m_head.store(next, std::memory_order_release);
        return true;
    }

    // Consumer thread only.
    bool pop(T& item)
    {
        const std::size_t tail = m_tail.load(std::memory_order_relaxed);
        if (tail == m_head.load(std::memory_order_acquire))
            return false;
        item = m_items[tail];
        m_tail.store((tail + 1) & (Capacity - 1), std::memory_order_release);
        return true;
    }

private:
    std::array<T, Capacity> m_items {};
    std::atomic<std::size_t> m_head { 0 };
    std::atomic<std::size_t> m_tail { 0 };
};
