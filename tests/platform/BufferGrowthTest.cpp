#include "platform/audio/BufferGrowth.h"

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t kMs = 1'000'000;

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

} // namespace

TEST(BufferGrowthTest, UnderrunsGrowTheQueueTwiceAtMostAndRepeatsOfOneCountOnce)
{
    // The server tells of one underrun again while the queue stays empty (within 200 ms); only
    // a later one is new. After the second growth an underrun is counted but grows nothing.
    BufferGrowth growth;
    EXPECT_EQ(growth.queueFrames(), 512);
    const Report reports[] = {
        { 1000, true, 1536 },
        { 1010, false, 0 },
        { 1199, false, 0 },
        { 1200, true, 3072 },
        { 1250, false, 0 },
        { 5000, true, 0 },
        { 9000, true, 0 },
    };
    expectAnswers(growth, reports);
    EXPECT_EQ(growth.underruns(), 4);
    EXPECT_EQ(growth.growths(), 2);
    EXPECT_EQ(growth.queueFrames(), 3072);

    // A new stream of the same output keeps the queue it reached and grows no further.
    growth.restart(8000 * kMs);
    EXPECT_EQ(growth.underruns(), 0);
    EXPECT_EQ(growth.queueFrames(), 3072);
    EXPECT_EQ(growth.onUnderrun(9001 * kMs).growTo, 0);
    EXPECT_EQ(growth.onUnderrun(9002 * kMs).counted, false) << "a repeat";

    // One that replaces an output started from the step it reached.
    BufferGrowth replacing(1);
    EXPECT_EQ(replacing.queueFrames(), 1536);
    EXPECT_EQ(replacing.onUnderrun(0).growTo, 3072);
    EXPECT_EQ(replacing.onUnderrun(kMs * 1000).growTo, 0);
    EXPECT_EQ(BufferGrowth(7).queueFrames(), 3072);
}

TEST(BufferGrowthTest, UnderrunsInAStreamsFirstSecondsAreCountedButGrowNothing)
{
    // Restarted at 10 s; settled from 13 s on.
    BufferGrowth growth;
    growth.restart(10'000 * kMs);
    const Report reports[] = {
        { 10'000, true, 0 },
        { 10'100, false, 0 },
        { 12'999, true, 0 },
        { 13'000, false, 0 }, // a repeat of the last, settled or not
        { 13'200, true, 1536 },
        { 20'000, true, 3072 },
    };
    expectAnswers(growth, reports);
    EXPECT_EQ(growth.underruns(), 4);
    EXPECT_EQ(growth.growths(), 2);
}
