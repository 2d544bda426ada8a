#include "platform/basic/WakeTimer.h"

#include "platform/audio/AudioEngine.h"
#include "platform/basic/FakeWakeClock.h"

#include <memory>
#include <string>
#include <vector>

#include <QTest>

#include <gtest/gtest.h>

namespace {

// The real wake-up on Qt's event loop: time passes as the loop runs.
struct RealWakeUps
{
    std::unique_ptr<WakeTimer> make() { return makeQtWakeTimer(); }

    // Long past every wake-up of these tests; what a busy machine needs.
    bool passUntil(const std::function<bool()>& done) { return QTest::qWaitFor(done, 5000); }

    void pass(int ms) { QTest::qWait(ms); }
};

// The tests' wake-up on its virtual clock.
struct FakeWakeUps
{
    std::unique_ptr<WakeTimer> make() { return clock.make(); }

    bool passUntil(const std::function<bool()>& done)
    {
        for (int ms = 0; ms < 5000 && !done(); ++ms)
            pass(1);
        return done();
    }

    void pass(int ms)
    {
        ASSERT_TRUE(clock.advanceTo(clock.now() + ms * AudioEngine::kSampleRate / 1000 + 1));
    }

    FakeWakeClock clock;
};

template <typename WakeUps> class WakeTimerContract : public ::testing::Test
{
protected:
    WakeUps wakeUps;
};

using Backends = ::testing::Types<RealWakeUps, FakeWakeUps>;
TYPED_TEST_SUITE(WakeTimerContract, Backends);

// What the step engine, the piano's players and the tips rely on, in both the real wake-up and
// the one the tests run them on: each wake-up runs once and never inside the call that asked for
// it; a new one replaces the one pending; cancelling or destroying the timer drops it; onWake is
// read when it runs; a wake-up may ask for the next from inside.
TYPED_TEST(WakeTimerContract, OneShotReplacedCancelledAndDroppedWithTheTimer)
{
    std::vector<std::string> ran;
    std::unique_ptr<WakeTimer> timer = this->wakeUps.make();
    timer->onWake = [&ran] {
        ran.push_back("first");
    };

    timer->wakeAfter(0);
    EXPECT_TRUE(ran.empty()) << "never inside wakeAfter";
    ASSERT_TRUE(this->wakeUps.passUntil([&ran] {
        return !ran.empty();
    }));
    this->wakeUps.pass(30);
    EXPECT_EQ(ran, std::vector<std::string> { "first" }) << "once";

    ran.clear();
    timer->wakeAfter(10);
    timer->wakeAfter(20);
    timer->onWake = [&ran] {
        ran.push_back("replaced");
    };
    ASSERT_TRUE(this->wakeUps.passUntil([&ran] {
        return !ran.empty();
    }));
    this->wakeUps.pass(40);
    EXPECT_EQ(ran, std::vector<std::string> { "replaced" });

    ran.clear();
    timer->wakeAfter(5);
    timer->cancel();
    this->wakeUps.pass(30);
    EXPECT_TRUE(ran.empty()) << "cancelled";

    timer->wakeAfter(5);
    timer.reset();
    this->wakeUps.pass(30);
    EXPECT_TRUE(ran.empty()) << "gone with its timer";

    // Three in a row, each asked for by the one before.
    timer = this->wakeUps.make();
    int runs = 0;
    timer->onWake = [&runs, &timer] {
        if (++runs < 3)
            timer->wakeAfter(2);
    };
    timer->wakeAfter(2);
    ASSERT_TRUE(this->wakeUps.passUntil([&runs] {
        return runs == 3;
    }));
    this->wakeUps.pass(20);
    EXPECT_EQ(runs, 3);
}

// The virtual clock's own promises, on which tests count samples: a wake-up runs on the first
// sample at or past its milliseconds, with the clock there, and those due on one sample in the
// order they were asked for; wake-ups of 0 ms without end are told, not run forever.
TEST(FakeWakeClock, RunsEachWakeUpOnItsFirstSampleInTheOrderAskedFor)
{
    FakeWakeClock clock(1000);
    std::vector<std::pair<char, std::int64_t>> ran;
    std::vector<std::unique_ptr<WakeTimer>> timers;
    for (const char name : { 'a', 'b', 'c' }) {
        timers.push_back(clock.make());
        timers.back()->onWake = [&ran, &clock, name] {
            ran.emplace_back(name, clock.now());
        };
    }
    timers[0]->wakeAfter(2); // 88.2 samples: on sample 89
    timers[1]->wakeAfter(1); // 44.1: on 45
    timers[2]->wakeAfter(2);
    EXPECT_EQ(clock.armedMs(), 2);
    ASSERT_TRUE(clock.advanceTo(1044));
    EXPECT_TRUE(ran.empty());
    ASSERT_TRUE(clock.advanceTo(1088));
    EXPECT_EQ(ran, (std::vector<std::pair<char, std::int64_t>> { { 'b', 1045 } }));
    ASSERT_TRUE(clock.advanceTo(2000));
    EXPECT_EQ(ran,
        (std::vector<std::pair<char, std::int64_t>> {
            { 'b', 1045 }, { 'a', 1089 }, { 'c', 1089 } }));
    EXPECT_EQ(clock.now(), 2000);
    EXPECT_FALSE(clock.armed());
    EXPECT_EQ(clock.armedMs(), std::nullopt);
    EXPECT_EQ(clock.lastMs(), 2);
    EXPECT_EQ(clock.starts(), 3);

    timers[0]->onWake = [&timers] {
        timers[0]->wakeAfter(0);
    };
    timers[0]->wakeAfter(0);
    EXPECT_FALSE(clock.advanceTo(3000));
    timers[0]->cancel();
}

} // namespace
