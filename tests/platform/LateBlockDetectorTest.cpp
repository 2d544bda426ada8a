#include "platform/audio/LateBlockDetector.h"

#include <cstdint>
#include <functional>

#include <gtest/gtest.h>

namespace {

constexpr int kRate = 44100;
constexpr std::int64_t kMs = 1'000'000;

// An output as a sound server runs it: block k is asked for when the server has played k blocks
// (on a clock `ppm` off the monotonic one), give or take the server's own rhythm of 64-frame
// steps (a request 1.45 ms early or late now and then) and what `disturb` adds to block k's
// arrival (a late callback, a slip, two blocks asked for at once).
struct Output
{
    int block = 256;
    double ppm = 0;
    std::int64_t firstDelivered = 0;
    std::function<std::int64_t(std::int64_t k)> disturb = [](std::int64_t) {
        return std::int64_t { 0 };
    };
};

std::int64_t lateBlocksOver(const Output& output, double seconds)
{
    LateBlockDetector detector(kRate);
    const auto blocks = static_cast<std::int64_t>(seconds * kRate / output.block);
    const std::int64_t step = 64LL * 1'000'000'000 / kRate;
    for (std::int64_t k = 0; k < blocks; ++k) {
        const std::int64_t played = k * output.block;
        const auto ideal =
            static_cast<std::int64_t>(played * 1e9 / kRate * (1.0 + output.ppm * 1e-6));
        // The rhythm seen from a real server: mostly on time, some blocks a step late or early.
        const std::int64_t rhythm = (k % 7 == 3) ? step : (k % 11 == 5) ? -step : 0;
        detector.onBlock(
            ideal + rhythm + output.disturb(k), output.firstDelivered + played, output.block);
    }
    return detector.lateBlocks();
}

} // namespace

TEST(LateBlockDetectorTest, TellsLateBlocksFromTheServersOwnRhythm)
{
    struct Case
    {
        const char* name;
        Output output;
        double seconds;
        std::int64_t late;
    };

    const std::int64_t at = 2000; // a block well past the first second at 256 frames
    const Case cases[] = {
        { "steady for ten minutes", {}, 600, 0 },
        { "a device clock 500 ppm slow", { 256, 500 }, 600, 0 },
        { "a device clock 500 ppm fast", { 256, -500 }, 600, 0 },
        { "two blocks asked for at once now and then",
            { 256, 0, 0,
                [](std::int64_t k) {
                    return k % 300 == 17 ? -256LL * 1'000'000'000 / kRate : std::int64_t { 0 };
                } },
            120, 0 },
        { "a new server that waits 1.9 s after the first block",
            { 256, 0, 0,
                [](std::int64_t k) {
                    return k == 0 ? std::int64_t { 0 } : 1900 * kMs;
                } },
            60, 0 },
        { "the first second is not judged",
            { 256, 0, 0,
                [](std::int64_t k) {
                    return k == 100 ? 40 * kMs : std::int64_t { 0 };
                } },
            30, 0 },
        { "one callback 4 ms late, then on time again",
            { 256, 0, 0,
                [=](std::int64_t k) {
                    return k == at ? 4 * kMs : std::int64_t { 0 };
                } },
            30, 1 },
        { "one callback 2 ms late, within half a block",
            { 256, 0, 0,
                [=](std::int64_t k) {
                    return k == at ? 2 * kMs : std::int64_t { 0 };
                } },
            30, 0 },
        { "every block 2 ms later from one on: the server played silence",
            { 256, 0, 0,
                [=](std::int64_t k) {
                    return k >= at ? 2 * kMs : std::int64_t { 0 };
                } },
            30, 1 },
        { "every block 0.8 ms later from one on: too little to tell from the rhythm",
            { 256, 0, 0,
                [=](std::int64_t k) {
                    return k >= at ? 8 * kMs / 10 : std::int64_t { 0 };
                } },
            30, 0 },
        { "a stall of 40 ms, and the server 40 ms behind from then on, counted once",
            { 256, 0, 0,
                [=](std::int64_t k) {
                    return k >= at ? 40 * kMs : std::int64_t { 0 };
                } },
            30, 1 },
        { "two stalls far apart",
            { 256, 0, 0,
                [=](std::int64_t k) {
                    return (k >= at ? 10 * kMs : 0) + (k >= 3 * at ? 10 * kMs : 0);
                } },
            60, 2 },
        { "6 ms late with 1024-frame blocks is within half a block",
            { 1024, 0, 0,
                [](std::int64_t k) {
                    return k == 500 ? 6 * kMs : std::int64_t { 0 };
                } },
            60, 0 },
        { "15 ms late with 1024-frame blocks",
            { 1024, 0, 0,
                [](std::int64_t k) {
                    return k == 500 ? 15 * kMs : std::int64_t { 0 };
                } },
            60, 1 },
        { "steady after five days of playing", { 256, 0, 20'000'000'000 }, 60, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(lateBlocksOver(c.output, c.seconds), c.late);
    }
}

TEST(LateBlockDetectorTest, ARestartedStreamIsJudgedAndCountedAfresh)
{
    LateBlockDetector detector(kRate);
    const std::int64_t period = 256LL * 1'000'000'000 / kRate;
    std::int64_t k = 0;
    auto run = [&](std::int64_t blocks, std::int64_t from, std::int64_t shift) {
        for (std::int64_t i = 0; i < blocks; ++i, ++k)
            detector.onBlock(from + i * period + shift, i * 256, 256);
    };
    run(1000, 0, 0);
    detector.onBlock(1000 * period + 30 * kMs, 1000 * 256, 256);
    EXPECT_EQ(detector.lateBlocks(), 1);
    // The same device opened again a minute later: its frames count from 0 on a new schedule.
    detector.restart();
    EXPECT_EQ(detector.lateBlocks(), 0);
    run(1000, 60'000 * kMs, 0);
    EXPECT_EQ(detector.lateBlocks(), 0);
}
