#include "platform/basic/FakeWakeClock.h"

#include "platform/audio/AudioEngine.h"

#include <QtGlobal>

class FakeWakeClock::Timer : public WakeTimer
{
public:
    explicit Timer(FakeWakeClock& clock)
        : m_clock(clock)
    {
        ++m_clock.m_alive;
    }

    ~Timer() override
    {
        m_clock.disarm(*this);
        --m_clock.m_alive;
    }

    void wakeAfter(int ms) override { m_clock.arm(*this, ms); }

    void cancel() override { m_clock.disarm(*this); }

private:
    FakeWakeClock& m_clock;
};

FakeWakeClock::FakeWakeClock(std::int64_t start)
    : m_now(start)
{}

FakeWakeClock::~FakeWakeClock()
{
    // A wake-up left behind would reach a clock that is gone.
    if (m_alive != 0)
        qFatal("FakeWakeClock ended before %d of its wake-ups", m_alive);
}

std::unique_ptr<WakeTimer> FakeWakeClock::make()
{
    return std::make_unique<Timer>(*this);
}

WakeTimerFactory FakeWakeClock::factory()
{
    return [this] {
        return make();
    };
}

std::function<std::int64_t()> FakeWakeClock::reader() const
{
    return [this] {
        return m_now;
    };
}

void FakeWakeClock::arm(Timer& timer, int ms)
{
    disarm(timer);
    // Rounded up: a wake-up never comes before the time it asked for.
    const std::int64_t after =
        (std::int64_t { std::max(ms, 0) } * AudioEngine::kSampleRate + 999) / 1000;
    m_armed.emplace(m_now + after, &timer);
    m_last = &timer;
    m_lastMs = ms;
    ++m_starts;
}

void FakeWakeClock::disarm(const Timer& timer)
{
    std::erase_if(m_armed, [&timer](const auto& armed) {
        return armed.second == &timer;
    });
}

std::optional<int> FakeWakeClock::armedMs() const
{
    for (const auto& [due, timer] : m_armed) {
        if (timer == m_last)
            return m_lastMs;
    }
    return std::nullopt;
}

void FakeWakeClock::run(std::multimap<std::int64_t, Timer*>::iterator next)
{
    m_now = std::max(m_now, next->first);
    Timer* timer = next->second;
    m_armed.erase(next);
    if (beforeWake)
        beforeWake(m_now);
    // Read now: the wake-up's owner may have given it another task since it was armed.
    if (timer->onWake)
        timer->onWake();
}

bool FakeWakeClock::advanceTo(std::int64_t sample)
{
    constexpr int kMostOnOneSample = 1'000'000;
    int onOneSample = 0;
    std::int64_t lastSample = m_now;
    while (!m_armed.empty() && m_armed.begin()->first <= sample) {
        const std::int64_t due = std::max(m_now, m_armed.begin()->first);
        onOneSample = due == lastSample ? onOneSample + 1 : 1;
        if (onOneSample > kMostOnOneSample)
            return false;
        lastSample = due;
        run(m_armed.begin());
    }
    m_now = std::max(m_now, sample);
    return true;
}

bool FakeWakeClock::fireNext()
{
    if (m_armed.empty())
        return false;
    run(m_armed.begin());
    return true;
}
