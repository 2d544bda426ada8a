#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <span>
#include <utility>
#include <vector>

// A ring of samples or bytes between exactly one producer thread and one consumer thread, moved
// in runs: the capture callback hands blocks to the take's writer through it, and the take's
// reader hands converted frames to the output callback. Neither side waits or allocates.
//
// Threads: reset() while neither side runs; push() and room() for the producer; front(), pop()
// and size() for the consumer.
template <typename T> class SpscRing
{
public:
    // Empties the ring and sizes it to the power of two at or above `minItems`.
    void reset(std::size_t minItems)
    {
        std::size_t size = 1;
        while (size < minItems)
            size <<= 1;
        m_items.assign(size, T {});
        m_mask = size - 1;
        m_head.store(0);
        m_tail.store(0);
    }

    std::size_t capacity() const { return m_items.size(); }

    std::size_t room() const
    {
        return m_items.size()
            - (m_tail.load(std::memory_order_relaxed) - m_head.load(std::memory_order_acquire));
    }

    // All `count` items or none (false: not enough room), so that blocks stay whole.
    bool push(const T* items, std::size_t count)
    {
        const std::size_t tail = m_tail.load(std::memory_order_relaxed);
        if (room() < count)
            return false;
        const std::size_t at = tail & m_mask;
        const std::size_t first = std::min(count, m_items.size() - at);
        std::copy_n(items, first, m_items.data() + at);
        std::copy_n(items + first, count - first, m_items.data());
        m_tail.store(tail + count, std::memory_order_release);
        return true;
    }

    std::size_t size() const
    {
        return m_tail.load(std::memory_order_acquire) - m_head.load(std::memory_order_relaxed);
    }

    // The first `count` items waiting (at most size()), in one or two runs as they lie in the
    // ring; they stay until pop().
    std::pair<std::span<const T>, std::span<const T>> front(std::size_t count) const
    {
        const std::size_t at = m_head.load(std::memory_order_relaxed) & m_mask;
        const std::size_t first = std::min(count, m_items.size() - at);
        return { std::span<const T>(m_items.data() + at, first),
            std::span<const T>(m_items.data(), count - first) };
    }

    void pop(std::size_t count)
    {
        m_head.store(m_head.load(std::memory_order_relaxed) + count, std::memory_order_release);
    }

private:
    std::vector<T> m_items;
    std::size_t m_mask = 0;
    // Free-running counts of items pushed and popped; only their difference matters.
    alignas(64) std::atomic<std::size_t> m_head { 0 };
    alignas(64) std::atomic<std::size_t> m_tail { 0 };
};
