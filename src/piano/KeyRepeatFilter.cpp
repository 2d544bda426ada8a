#include "piano/KeyRepeatFilter.h"

KeyRepeatFilter::KeyRepeatFilter(
    std::function<void(int)> pressed, std::function<void(int)> released)
    : m_pressed(std::move(pressed))
    , m_released(std::move(released))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(kHoldMs);
    m_timer.callOnTimeout([this] {
        flush();
    });
}

void KeyRepeatFilter::press(int code, bool flaggedRepeat, std::uint64_t time)
{
    code &= 0xFF;
    if (m_held && m_held->code == code) {
        const std::uint64_t gap = time > m_held->time ? time - m_held->time : m_held->time - time;
        if (flaggedRepeat || gap <= kRepeatGapMs) {
            m_held.reset();
            m_timer.stop();
            m_pressed(code);
            return;
        }
    }
    flush();
    m_down.set(std::size_t(code));
    m_pressed(code);
}

void KeyRepeatFilter::release(int code, bool flaggedRepeat, std::uint64_t time)
{
    code &= 0xFF;
    if (flaggedRepeat || !m_down.test(std::size_t(code)))
        return;
    flush();
    m_held = Held { code, time };
    // Unstamped (a synthetic event): nothing tells a repeat from a new stroke.
    if (time == 0)
        flush();
    else
        m_timer.start();
}

void KeyRepeatFilter::flush()
{
    if (!m_held)
        return;
    const int code = m_held->code;
    m_held.reset();
    m_timer.stop();
    m_down.reset(std::size_t(code));
    m_released(code);
}

void KeyRepeatFilter::clear()
{
    m_held.reset();
    m_timer.stop();
    m_down.reset();
}
