#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QTimer>

// A user's session with the program, run in the application's own event loop as the program's
// main runs it: the steps are called from a timer of that loop, so they go on inside any event
// loop the program runs in its place (a modal box's too), as a user's hands and the world around
// the program do. A test whose own code waited behind a box the program shows would stop with it.
//
// Each step is called every kTickMs until it returns true, for at most its limit. run() returns
// the loop's exit code: 0 once the last step is done, or when the program ends the loop itself
// (its quit path); 1 when a step ran out of time. stoppedAt() names the step that was running
// when the loop ended, if any.
class EventLoopScenario
{
public:
    static constexpr int kTickMs = 20;

    using Step = std::function<bool()>;

    void step(std::string name, std::chrono::milliseconds limit, Step done)
    {
        m_steps.push_back({ std::move(name), limit, std::move(done) });
    }

    // A step that only lets `duration` pass.
    void pause(std::string name, std::chrono::milliseconds duration)
    {
        step(std::move(name), duration + std::chrono::seconds(1), [this, duration] {
            return Clock::now() - m_stepStart >= duration;
        });
    }

    int run()
    {
        QTimer ticks;
        ticks.setInterval(kTickMs);
        QObject::connect(&ticks, &QTimer::timeout, [this] {
            tick();
        });
        m_next = 0;
        m_stepStart = Clock::now();
        ticks.start();
        const int code = QApplication::exec();
        ticks.stop();
        if (m_next < m_steps.size())
            m_stoppedAt = m_steps[m_next].name;
        return code;
    }

    const std::string& stoppedAt() const { return m_stoppedAt; }

    // True when a modal window was up at any tick.
    bool sawModal() const { return m_sawModal; }

    // When the step running now began.
    std::chrono::steady_clock::time_point stepStart() const { return m_stepStart; }

private:
    using Clock = std::chrono::steady_clock;

    struct Entry
    {
        std::string name;
        std::chrono::milliseconds limit;
        Step done;
    };

    void tick()
    {
        // A step that runs an event loop of its own must not be entered again from it.
        if (m_inTick || m_timedOut || m_next >= m_steps.size())
            return;
        m_inTick = true;
        m_sawModal = m_sawModal || QApplication::activeModalWidget() != nullptr;
        const Entry& entry = m_steps[m_next];
        if (entry.done()) {
            ++m_next;
            m_stepStart = Clock::now();
            if (m_next == m_steps.size())
                QCoreApplication::exit(0);
        } else if (Clock::now() - m_stepStart > entry.limit) {
            m_timedOut = true;
            // Every event loop ends, a modal box's too, so that the test goes on to report.
            QCoreApplication::exit(1);
        }
        m_inTick = false;
    }

    std::vector<Entry> m_steps;
    std::size_t m_next = 0;
    Clock::time_point m_stepStart;
    std::string m_stoppedAt;
    bool m_timedOut = false;
    bool m_sawModal = false;
    bool m_inTick = false;
};
