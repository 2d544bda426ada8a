#include "platform/audio/BufferGrowth.h"

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t kMs = 1'000'000;
constexpr std::int64_t kQuietMs = BufferGrowth::kQuietNanos / kMs;

// An underrun reported at `atMs` and what the growth must answer.
struct Report
{
    std::int64_t atMs;
    bool counted;
    int growTo;
};

template <std::size_t N> void expectAnswers(BufferGrowth& growth, const Report (&reports)[N])
{
    for (const Report& report : reports) {
        SCOPED_TRACE(report.atMs);
        const BufferGrowth::Answer answer = growth.onUnderrun(report.atMs * kMs);
        EXPECT_EQ(answer.counted, report.counted);
        EXPECT_EQ(answer.growTo, report.growTo);
    }
}

// The server's requests every 10 ms from `fromMs` until before `toMs`; stops at the first step
// down.
struct StepDown
{
    std::int64_t atMs = -1; // -1: none
    int to = 0;
};

StepDown requests(BufferGrowth& growth, std::int64_t fromMs, std::int64_t toMs)
{
    for (std::int64_t ms = fromMs; ms < toMs; ms += 10) {
        if (const int to = growth.onRequest(ms * kMs))
            return { ms, to };
    }
    return {};
}

} // namespace

TEST(BufferGrowthTest, OnlyUnderrunsThatRepeatWithinTenSecondsGrowTheQueueAStepAtATime)
{
    // The server tells of one underrun again while the queue stays empty (within 200 ms): that
    // is neither counted nor a repeat. Past the largest step an underrun is only counted.
    BufferGrowth growth;
    growth.restart(0);
    EXPECT_EQ(growth.queueFrames(), 512);
    const Report reports[] = {
        { 5000, true, 0 }, // lone: a dropout, no growth
        { 5010, false, 0 },
        { 5199, false, 0 },
        { 5200, true, 1536 }, // the second within 10 s
        { 15'201, true, 0 }, // 10.001 s after the last: lone again
        { 25'201, true, 3072 }, // exactly 10 s after it
        { 25'250, false, 0 },
        { 26'000, true, 0 }, // at the largest
        { 27'000, true, 0 },
    };
    expectAnswers(growth, reports);
    EXPECT_EQ(growth.underruns(), 6);
    EXPECT_EQ(growth.growths(), 2);
    EXPECT_EQ(growth.queueFrames(), 3072);

    // A new stream of the same output keeps the queue it reached and counts afresh: its first
    // underrun (once settled) is lone, however soon after the old stream's.
    growth.restart(28'000 * kMs);
    EXPECT_EQ(growth.underruns(), 0);
    EXPECT_EQ(growth.growths(), 0);
    EXPECT_EQ(growth.queueFrames(), 3072);
    const BufferGrowth::Answer first =
        growth.onUnderrun((28'000 * kMs) + BufferGrowth::kSettleNanos);
    EXPECT_TRUE(first.counted);
    EXPECT_EQ(first.growTo, 0);
    BufferGrowth replacing(1);
    replacing.restart(0);
    EXPECT_EQ(replacing.queueFrames(), 1536);
    EXPECT_EQ(replacing.onUnderrun(4000 * kMs).growTo, 0);
    EXPECT_EQ(replacing.onUnderrun(4500 * kMs).growTo, 3072);
    EXPECT_EQ(BufferGrowth(7).queueFrames(), 3072);
    EXPECT_EQ(BufferGrowth(-1).queueFrames(), 512);
}

TEST(BufferGrowthTest, UnderrunsInAStreamsFirstSecondsAreCountedButNeitherGrowNorStartARepeat)
{
    // Restarted at 10 s; settled from 10 s plus the settle time on.
    constexpr std::int64_t kSettled = 10'000 + BufferGrowth::kSettleNanos / kMs;
    BufferGrowth growth;
    growth.restart(10'000 * kMs);
    const Report reports[] = {
        { 10'000, true, 0 },
        { 10'100, false, 0 },
        { kSettled - 1, true, 0 },
        { kSettled + 99, false, 0 }, // a repeat of the last, settled or not
        { kSettled + 299, true, 0 }, // the first that may start a repeat
        { kSettled + 999, true, 1536 },
    };
    expectAnswers(growth, reports);
    EXPECT_EQ(growth.underruns(), 4);
    EXPECT_EQ(growth.growths(), 1);
}

TEST(BufferGrowthTest, AQuietWhileBringsTheQueueBackOneStepAtATimeToTheSmallest)
{
    // Started at the largest, as an output that replaces one which grew.
    BufferGrowth growth(2);
    growth.restart(0);

    StepDown down = requests(growth, 0, 3 * kQuietMs);
    EXPECT_EQ(down.atMs, kQuietMs);
    EXPECT_EQ(down.to, 1536);
    EXPECT_EQ(growth.queueFrames(), 1536);
    // The quiet time counts again from the step down.
    down = requests(growth, down.atMs + 10, 3 * kQuietMs);
    EXPECT_EQ(down.atMs, 2 * kQuietMs);
    EXPECT_EQ(down.to, 512);
    EXPECT_EQ(requests(growth, down.atMs + 10, 4 * kQuietMs).atMs, -1)
        << "no step below the smallest";
    EXPECT_EQ(growth.shrinks(), 2);

    // An underrun starts the quiet time again, lone or not; so does a growth.
    BufferGrowth grown(1);
    grown.restart(0);
    ASSERT_EQ(requests(grown, 0, 5000).atMs, -1);
    EXPECT_TRUE(grown.onUnderrun(5000 * kMs).counted);
    EXPECT_EQ(requests(grown, 5000, 6 * kQuietMs).atMs, 5000 + kQuietMs);
    EXPECT_EQ(grown.queueFrames(), 512);
    EXPECT_EQ(grown.onUnderrun((6000 + kQuietMs) * kMs).growTo, 0);
    EXPECT_EQ(grown.onUnderrun((6500 + kQuietMs) * kMs).growTo, 1536);
    EXPECT_EQ(requests(grown, 6500 + kQuietMs, 9 * kQuietMs).atMs, 6500 + 2 * kQuietMs);

    // A new stream of the output waits the whole quiet time afresh.
    BufferGrowth restarted(2);
    restarted.restart(0);
    ASSERT_EQ(requests(restarted, 0, kQuietMs - 10).atMs, -1);
    restarted.restart(kQuietMs * kMs);
    EXPECT_EQ(requests(restarted, kQuietMs, 3 * kQuietMs).atMs, 2 * kQuietMs);
}
