// The engine's output through a real sound server (a private PulseAudio daemon or PipeWire with
// its pulse server, each with a null sink whose monitor is recorded): an output lost with its
// server, a server that comes late, an output that falls behind. The clicks are rendered from the
// engine's own sample timeline, each telling its place on it by its length, and are found again in
// what the server played: so a click lost, doubled or moved shows, and so does where on the
// timeline it happened.
#include "EnvironmentOverride.h"
#include "SoundServer.h"
#include "platform/audio/AudioClip.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/AudioSource.h"
#include "platform/audio/BufferGrowth.h"
#include "platform/audio/LateBlockDetector.h"
#include "platform/audio/OutputDevice.h"
#include "platform/audio/PulseAudioDevice.h"
#include "platform/audio/SdlAudioDevice.h"
#include "platform/audio/SdlAudioSubsystem.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <signal.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRate = AudioEngine::kSampleRate;
constexpr float kLevel = 0.5f;
// Click k lasts kShortest + kLengthStep * (k % kLengths) frames.
constexpr int kShortest = 60;
constexpr int kLengthStep = 24;
constexpr int kLengths = 8;
constexpr std::int64_t kExcused = kRate * 3 / 2;

int clickLength(std::int64_t index)
{
    return kShortest + kLengthStep * static_cast<int>(index % kLengths);
}

// A server that resamples (PipeWire's graph runs at 48000 Hz) moves each edge of a click by up
// to a frame; the lengths stay kLengthStep apart.
bool isLengthOf(int heard, std::int64_t index)
{
    return std::abs(heard - clickLength(index)) <= 2;
}

// Click k on sample k * period of the engine's clock (none when period is 0). Once the clock
// reaches `stallAt` the render call first sleeps for `stallMs`, as an audio thread that the
// system did not run in time.
class GridClicks : public AudioSource
{
public:
    explicit GridClicks(std::int64_t period)
        : m_period(period)
    {}

    void stallOnceAt(std::int64_t sample, int ms)
    {
        m_stallMs = ms;
        m_stallAt.store(sample, std::memory_order_release);
    }

    bool stalled() const { return m_stalled.load(std::memory_order_acquire); }

    std::int64_t period() const { return m_period; }

    void render(float* mix, int frames, std::int64_t firstSample) override
    {
        if (!m_stalled.load(std::memory_order_relaxed)
            && firstSample >= m_stallAt.load(std::memory_order_acquire)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(m_stallMs));
            m_stalled.store(true, std::memory_order_release);
        }
        if (m_period == 0)
            return;
        for (int i = 0; i < frames; ++i) {
            const std::int64_t sample = firstSample + i;
            if (sample % m_period < clickLength(sample / m_period)) {
                mix[2 * i] += kLevel;
                mix[2 * i + 1] += kLevel;
            }
        }
    }

private:
    std::int64_t m_period;
    int m_stallMs = 0;
    std::atomic<std::int64_t> m_stallAt { std::int64_t { 1 } << 62 };
    std::atomic<bool> m_stalled { false };
};

struct Heard
{
    std::int64_t frame; // in the monitor recording
    int length;
};

// The clicks of a monitor recording (left channel): where each starts and how long it lasts.
std::vector<Heard> clicksIn(const std::vector<std::int16_t>& stereo)
{
    const int threshold = static_cast<int>(kLevel * 32767 / 2);
    std::vector<Heard> heard;
    const auto frames = static_cast<std::int64_t>(stereo.size() / 2);
    for (std::int64_t frame = 0; frame < frames;) {
        if (std::abs(stereo[static_cast<std::size_t>(2 * frame)]) < threshold) {
            ++frame;
            continue;
        }
        const std::int64_t start = frame;
        while (frame < frames && std::abs(stereo[static_cast<std::size_t>(2 * frame)]) >= threshold)
            ++frame;
        heard.push_back({ start, static_cast<int>(frame - start) });
    }
    return heard;
}

// What the engine said while a case ran, polled as the program's poll does (more often, to lose
// no time): the samples at which it saw late blocks or changed its output.
class EngineWatch
{
public:
    explicit EngineWatch(AudioEngine& engine)
        : m_engine(engine)
    {}

    // Polls until `done` (at most `limit`); false when it never was.
    bool until(const std::function<bool()>& done, std::chrono::milliseconds limit)
    {
        const auto deadline = Clock::now() + limit;
        while (Clock::now() < deadline) {
            look();
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    void keepPolling(std::chrono::milliseconds time)
    {
        until(
            [] {
                return false;
            },
            time);
    }

    const std::vector<std::int64_t>& events() const { return m_events; }

    // True when something happened to the output between these samples of the timeline.
    bool eventBetween(std::int64_t from, std::int64_t to) const
    {
        for (const std::int64_t sample : m_events) {
            if (sample >= from && sample <= to)
                return true;
        }
        return false;
    }

private:
    void look()
    {
        const std::int64_t before = m_engine.now();
        const bool changed = m_engine.checkDevice();
        const std::int64_t late = m_engine.lateBlocks();
        if (changed || late != m_late)
            m_events.push_back(before);
        m_late = late;
    }

    AudioEngine& m_engine;
    std::int64_t m_late = 0;
    std::vector<std::int64_t> m_events;
};

// The smallest move of the grid the engine sees with `blockFrames`-frame blocks: a baseline moved
// by a quarter block, at least LateBlockDetector::kMinSlipNanos.
std::int64_t smallestSeenMove(int blockFrames)
{
    return std::max<std::int64_t>(
        blockFrames / 4, LateBlockDetector::kMinSlipNanos * kRate / 1'000'000'000);
}

// How the heard clicks lay on the grid.
struct GridCheck
{
    std::int64_t first = -1; // grid indexes of the first and the last click heard
    std::int64_t last = -1;
    int judged = 0; // clicks from `judgedFrom` on
    int moves = 0; // times the grid moved between two of those, explained or not
    // Unexplained trouble between two judged clicks: a click cut, lost, doubled or early, or a
    // move of the grid where the engine saw no late block and no new output. A run of it over
    // neighbouring clicks counts once.
    int glitches = 0;
    std::string detail;
};

// Finds the heard clicks on the grid: each one's index from its distance to the one before, the
// first one's from the lengths (the index near where the recording began that makes the most clicks
// as long as the grid's are). From timeline sample `judgedFrom` on, the clicks should be the
// grid's, one after another, each on its own sample, and the grid should move only where the
// engine saw a late block or changed its output, up to kExcused samples of the timeline before
// (a moved baseline is seen some blocks after the silence, and a new stream is not judged in its
// first second), or by less than `unseen` samples. Before `judgedFrom` a new server is still
// settling (it renders its first seconds unevenly).
GridCheck checkGrid(const std::vector<Heard>& heard,
    const GridClicks& clicks,
    std::int64_t recordedFrom,
    std::int64_t judgedFrom,
    const EngineWatch& watch,
    std::int64_t unseen)
{
    GridCheck check;
    const std::int64_t period = clicks.period();
    if (heard.empty())
        return check;
    // Each click's place counted from the one before it: a new stream's first seconds may move
    // the grid several times (PipeWire's by more than half a period in all), which a count from
    // the first click alone would take for a click more or less.
    std::vector<std::int64_t> offsets { 0 };
    for (std::size_t i = 1; i < heard.size(); ++i)
        offsets.push_back(
            offsets.back() + (heard[i].frame - heard[i - 1].frame + period / 2) / period);
    int bestMatches = -1;
    const std::int64_t near = recordedFrom / period;
    for (std::int64_t candidate = std::max<std::int64_t>(near - kLengths / 2, 0);
         candidate < near + kLengths / 2; ++candidate) {
        int matches = 0;
        for (std::size_t i = 0; i < heard.size(); ++i)
            matches += isLengthOf(heard[i].length, candidate + offsets[i]);
        if (matches > bestMatches) {
            bestMatches = matches;
            check.first = candidate;
        }
    }
    check.last = check.first + offsets.back();

    bool inGlitch = false;
    const Heard* before = nullptr;
    std::int64_t beforeIndex = 0;
    for (std::size_t i = 0; i < heard.size(); ++i) {
        const std::int64_t index = check.first + offsets[i];
        if (index * period < judgedFrom)
            continue;
        ++check.judged;
        std::string trouble;
        if (!isLengthOf(heard[i].length, index))
            trouble = "cut";
        if (before) {
            const std::int64_t move =
                heard[i].frame - before->frame - (index - beforeIndex) * period;
            check.moves += move != 0;
            if (index != beforeIndex + 1)
                trouble = "not after the one before";
            else if (move < 0)
                trouble = "early";
            else if (move >= unseen
                && !watch.eventBetween(beforeIndex * period - kExcused, index * period))
                trouble = "moved by " + std::to_string(move) + " unseen";
        }
        if (!trouble.empty()) {
            check.detail += " click " + std::to_string(index) + ": " + trouble + ";";
            check.glitches += !inGlitch;
        }
        inGlitch = !trouble.empty();
        before = &heard[i];
        beforeIndex = index;
    }
    check.detail += " the engine saw something at " + ::testing::PrintToString(watch.events());
    return check;
}

// A server of the kind named to play through, and this process's sound sent to it.
class SoundServerOutputTest : public ::testing::TestWithParam<SoundServer::Kind>
{
protected:
    void SetUp() override
    {
        if (!SoundServer::installed(GetParam()))
            GTEST_SKIP() << SoundServer::name(GetParam()) << " is not installed";
        m_server->useInThisProcess();
    }

    std::string recording() const { return m_server->folder() + "/monitor.raw"; }

    std::unique_ptr<SoundServer> m_server = SoundServer::make(GetParam());
    EnvironmentOverride m_driver { "SDL_AUDIODRIVER", "pulseaudio" };
};

std::set<std::string> temporaryEntries()
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator("/tmp"))
        names.insert(entry.path().filename().string());
    return names;
}

} // namespace

// Whatever kills the server, nothing of it stays in the shared temporary folder once the test is
// done with it: a socket left by each run would pile up there by the thousand.
TEST_P(SoundServerOutputTest, AServerKilledLeavesNothingInTheTemporaryFolder)
{
    for (const int signal : { SIGKILL, SIGTERM }) {
        const std::set<std::string> before = temporaryEntries();
        {
            const std::unique_ptr<SoundServer> server = SoundServer::make(GetParam());
            ASSERT_TRUE(server->start()) << "see the logs in " << server->folder();
            server->stop(signal);
        }
        std::vector<std::string> left;
        for (const std::string& name : temporaryEntries()) {
            if (before.count(name) == 0)
                left.push_back(name);
        }
        EXPECT_TRUE(left.empty()) << "after signal " << signal << ": "
                                  << ::testing::PrintToString(left);
    }
}

TEST_P(SoundServerOutputTest, AnOutputLostWithItsServerComesBackByItselfOnTheSameTimeline)
{
    // The server killed outright, ended in order, or not there yet when the program starts.
    struct Case
    {
        const char* name;
        bool serverAtStart;
        int signal;
    };

    // SDL's pulseaudio driver, and the program's own output to the server.
    const std::function<std::unique_ptr<AudioDevice>()> outputs[] = {
        [] {
            return std::make_unique<SdlAudioDevice>();
        },
        [] {
            return makeOutputDevice(std::make_shared<SdlAudioSubsystem>());
        },
    };
    const Case cases[] = { { "killed", true, SIGKILL }, { "terminated", true, SIGTERM },
        { "late", false, 0 } };
    for (std::size_t run = 0; run < std::size(outputs) * std::size(cases); ++run) {
        const Case& c = cases[run % std::size(cases)];
        SCOPED_TRACE(run < std::size(cases) ? "SDL" : "own");
        SCOPED_TRACE(c.name);
        if (c.serverAtStart) {
            ASSERT_TRUE(m_server->start());
        }
        GridClicks clicks(kRate / 4);
        AudioEngine engine(outputs[run / std::size(cases)]());
        EngineWatch watch(engine);
        engine.addSource(&clicks);
        EXPECT_EQ(engine.silentFallback(), !c.serverAtStart);
        if (c.serverAtStart) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            m_server->stop(c.signal);
            ASSERT_TRUE(watch.until(
                [&] {
                    return engine.silentFallback();
                },
                std::chrono::seconds(5)));
        }

        // Silent, the clock still keeps time, and nothing opens while there is no server.
        const std::int64_t before = engine.now();
        watch.keepPolling(std::chrono::milliseconds(2500));
        EXPECT_GT(engine.now() - before, kRate * 2);
        EXPECT_TRUE(engine.silentFallback());

        ASSERT_TRUE(m_server->start());
        const auto back = Clock::now();
        const std::int64_t clockAtReturn = engine.now();
        ASSERT_TRUE(m_server->startRecording(recording()));
        ASSERT_TRUE(watch.until(
            [&] {
                return !engine.silentFallback();
            },
            std::chrono::seconds(5)));
        EXPECT_LE(Clock::now() - back, std::chrono::seconds(3));
        const std::int64_t clockAtAdoption = engine.now();
        EXPECT_EQ(engine.outputReturns(), 1);
        EXPECT_GE(clockAtAdoption, clockAtReturn);

        // The clicks play again from the first one placed after the output came back, within
        // 3 s of the server's return, on the grid they had before.
        watch.keepPolling(std::chrono::milliseconds(5000));
        m_server->stopRecording();
        const std::vector<Heard> heard = clicksIn(SoundServer::readRecording(recording()));
        const GridCheck grid = checkGrid(heard, clicks, clockAtAdoption, clockAtReturn + 3 * kRate,
            watch, smallestSeenMove(engine.blockFrames()));
        EXPECT_EQ(grid.first, (clockAtAdoption + clicks.period() - 1) / clicks.period());
        EXPECT_LE(grid.first * clicks.period() - clockAtReturn, 3 * kRate);
        EXPECT_GE(grid.judged, 6);
        // A busy machine may starve the server itself now and then, with no sign in the output's
        // callbacks: one such glitch is let pass.
        EXPECT_LE(grid.glitches, 1) << grid.detail;
        engine.removeSource(&clicks);
        m_server->stop();
    }
}

TEST_P(SoundServerOutputTest, ALateBlockGrowsTheBlockAndTheClicksMoveOnceThenHoldTheirGrid)
{
    ASSERT_TRUE(m_server->start());
    // One click a second: the late block and the switch it brings fall between the same two
    // clicks, so the grid moves there once.
    GridClicks clicks(kRate);
    AudioEngine engine(std::make_unique<SdlAudioDevice>());
    EngineWatch watch(engine);
    ASSERT_FALSE(engine.silentFallback());
    ASSERT_EQ(engine.blockFrames(), SdlAudioDevice::kRequestedBlockFrames);
    engine.addSource(&clicks);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    const std::int64_t recordedFrom = engine.now();
    ASSERT_TRUE(m_server->startRecording(recording()));
    // The stream settles (the new server's first seconds), then, off any click, one late block.
    const std::int64_t judgedFrom = 3 * kRate;
    const std::int64_t stallAt = (engine.now() / kRate + 4) * kRate + kRate / 2;
    clicks.stallOnceAt(stallAt, 40);
    ASSERT_TRUE(watch.until(
        [&] {
            return clicks.stalled() && engine.blockGrowths() > 0;
        },
        std::chrono::seconds(10)));
    const int growthsAfterStall = engine.blockGrowths();
    watch.keepPolling(std::chrono::seconds(6));
    m_server->stopRecording();
    engine.removeSource(&clicks);

    EXPECT_GE(engine.lateBlocks(), 1);
    // A busy machine may make the larger block late too; never more than twice in a run.
    ASSERT_GE(engine.blockGrowths(), growthsAfterStall);
    ASSERT_LE(engine.blockGrowths(), AudioEngine::kMaxGrowths);
    EXPECT_EQ(engine.blockFrames(), SdlAudioDevice::kRequestedBlockFrames << engine.blockGrowths());
    const std::vector<Heard> heard = clicksIn(SoundServer::readRecording(recording()));
    EXPECT_GE(heard.size(), 8u);
    const GridCheck grid = checkGrid(
        heard, clicks, recordedFrom, judgedFrom, watch, smallestSeenMove(engine.blockFrames()));
    EXPECT_GE(grid.last * kRate, stallAt + 5 * kRate);
    EXPECT_GE(grid.moves, 1);
    // As above, one glitch of a starved server is let pass.
    EXPECT_LE(grid.glitches, 1) << grid.detail;
}

TEST_P(SoundServerOutputTest, WhatTheOutputWasGivenStillPlaysWhenItsBlockGrows)
{
    ASSERT_TRUE(m_server->start());
    GridClicks silence(0);
    AudioEngine engine(std::make_unique<SdlAudioDevice>());
    ASSERT_FALSE(engine.silentFallback());
    engine.addSource(&silence);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(m_server->startRecording(recording()));
    silence.stallOnceAt(engine.now() + kRate * 2, 40);
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!engine.outputWaiting() && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(engine.outputWaiting());
    ASSERT_EQ(engine.blockGrowths(), 0);

    // A click in the last blocks the old output renders: handed to the server, not yet heard
    // when the output is replaced.
    auto click = std::make_shared<AudioClip>();
    click->samples.assign(2 * 200, kLevel);
    const std::int64_t at = engine.now() + SdlAudioDevice::kRequestedBlockFrames;
    engine.playClip(click, at);
    while (engine.now() < at + 200 && Clock::now() < deadline) {}
    ASSERT_TRUE(engine.checkDevice());
    EXPECT_EQ(engine.blockGrowths(), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    m_server->stopRecording();
    engine.removeSource(&silence);
    const std::vector<Heard> heard = clicksIn(SoundServer::readRecording(recording()));
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].length, 200);
}

namespace {

// The queue's changes, judged on dense clicks: one every kDensePeriod frames, so that any
// stretch of sound lost around a growth or a step down cuts or drops one. Click k lasts
// denseLength(k) frames, a pattern that repeats only every 256 clicks (1.7 s), so that each click
// heard tells its place on the timeline.
constexpr std::int64_t kDensePeriod = 300;

int denseLength(std::int64_t index)
{
    return 60 + 12 * static_cast<int>((index + index / 16) % 16);
}

// A server that resamples moves each edge of a click by up to a frame or two.
bool nearly(std::int64_t heard, std::int64_t expected)
{
    return std::llabs(heard - expected) <= 2;
}

class DenseClicks : public AudioSource
{
public:
    void render(float* mix, int frames, std::int64_t firstSample) override
    {
        for (int i = 0; i < frames; ++i) {
            const std::int64_t sample = firstSample + i;
            if (sample % kDensePeriod < denseLength(sample / kDensePeriod)) {
                mix[2 * i] += kLevel;
                mix[2 * i + 1] += kLevel;
            }
        }
    }
};

// Holds up the render call that reaches each sample asked for, for `ms`: an audio thread the
// system did not run in time, as often as asked. Keeps where each held call began.
class Stalls : public AudioSource
{
public:
    static constexpr std::size_t kMost = 4;

    // Before the source is added.
    void at(std::int64_t sample, int ms) { m_plan[m_count++] = { sample, ms }; }

    // The first sample of the call held for the `i`th stall; -1 while it has not come.
    std::int64_t heldAt(std::size_t i) const { return m_heldAt[i].load(std::memory_order_acquire); }

    std::size_t count() const { return m_count; }

    void render(float*, int frames, std::int64_t firstSample) override
    {
        for (std::size_t i = 0; i < m_count; ++i) {
            if (m_heldAt[i].load(std::memory_order_relaxed) < 0
                && firstSample + frames > m_plan[i].sample) {
                std::this_thread::sleep_for(std::chrono::milliseconds(m_plan[i].ms));
                m_heldAt[i].store(firstSample, std::memory_order_release);
            }
        }
    }

private:
    struct Stall
    {
        std::int64_t sample = 0;
        int ms = 0;
    };

    std::array<Stall, kMost> m_plan {};
    std::size_t m_count = 0;
    std::array<std::atomic<std::int64_t>, kMost> m_heldAt { -1, -1, -1, -1 };
};

// Stretches of the timeline whose sound an underrun may have taken: from `from` to `to`.
struct Lost
{
    std::int64_t from;
    std::int64_t to;
};

bool overlaps(const std::vector<Lost>& lost, std::int64_t from, std::int64_t to)
{
    return std::any_of(lost.begin(), lost.end(), [&](const Lost& stretch) {
        return stretch.from <= to && from <= stretch.to;
    });
}

// Every dense click from timeline sample `judgedFrom` on is heard whole, after the one before and
// at its distance from it (within a resampling's frame or two), except where a stretch in `lost`
// may have taken it. Each click is told by the lengths of it and the 31 after it, near where the
// recording began (`recordedFrom`). Returns what was wrong, empty when nothing was; `judged` counts
// the clicks judged.
std::string denseTrouble(const std::vector<Heard>& heard,
    std::int64_t recordedFrom,
    std::int64_t judgedFrom,
    const std::vector<Lost>& lost,
    int* judged)
{
    constexpr std::size_t kTold = 32;
    *judged = 0;
    if (heard.size() < kTold)
        return "fewer than 32 clicks heard";
    std::int64_t first = -1;
    const std::int64_t near = recordedFrom / kDensePeriod;
    for (std::int64_t candidate = std::max<std::int64_t>(near - 128, 0);
         candidate < near + 128 && first < 0; ++candidate) {
        bool all = true;
        for (std::size_t i = 0; i < kTold && all; ++i) {
            const std::int64_t gap = heard[i].frame - heard[0].frame;
            all = nearly(gap, static_cast<std::int64_t>(i) * kDensePeriod)
                && nearly(heard[i].length, denseLength(candidate + static_cast<std::int64_t>(i)));
        }
        if (all)
            first = candidate;
    }
    if (first < 0)
        return "the first clicks heard are not 32 whole ones in a row";
    std::string trouble;
    std::int64_t index = first;
    // The last click heard may be cut by the end of the recording.
    for (std::size_t i = 1; i + 1 < heard.size(); ++i) {
        const std::int64_t gap = heard[i].frame - heard[i - 1].frame;
        const std::int64_t before = index;
        index += (gap + kDensePeriod / 2) / kDensePeriod;
        const std::int64_t at = index * kDensePeriod;
        if (at < judgedFrom)
            continue;
        ++*judged;
        std::string what;
        if (!nearly(heard[i].length, denseLength(index)))
            what = "heard " + std::to_string(heard[i].length) + " frames long";
        else if (index != before + 1)
            what = std::to_string(index - before - 1) + " before it missing";
        else if (!nearly(gap, kDensePeriod))
            what = "moved by " + std::to_string(gap - kDensePeriod);
        if (!what.empty() && !overlaps(lost, before * kDensePeriod, at + denseLength(index)))
            trouble += " click at " + std::to_string(at) + ": " + what + ";";
    }
    return trouble;
}

} // namespace

TEST_P(
    SoundServerOutputTest, OnlyRepeatedUnderrunsGrowTheQueueAndAQuietWhileBringsItBackLosingNoClick)
{
    ASSERT_TRUE(m_server->start());
    // Recorded from before the output opens: a monitor that starts under a playing stream runs
    // it dry once. A null sink renders its first 2 s at once, when the daemon starts, so that
    // nothing reaches the monitor before then.
    ASSERT_TRUE(m_server->startRecording(recording()));
    const auto recordingBegun = Clock::now() + std::chrono::seconds(4);
    while (SoundServer::readRecording(recording()).empty() && Clock::now() < recordingBegun)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));

    // Past the stream's first seconds, whose underruns grow nothing, one stall; 1.5 s later
    // another. Each is far longer than the smallest queue, so the server runs dry.
    constexpr std::int64_t kQuietNanos = 3'000'000'000;
    constexpr int kStallMs = 40;
    const std::int64_t settled = BufferGrowth::kSettleNanos * kRate / 1'000'000'000;
    auto output = std::make_unique<PulseAudioDevice>(PulseAudioDevice::Maker {}, 0, kQuietNanos);
    PulseAudioDevice& device = *output;
    AudioEngine engine(std::move(output));
    ASSERT_FALSE(engine.silentFallback());
    EngineWatch watch(engine);
    DenseClicks clicks;
    Stalls stalls;
    stalls.at(settled + kRate / 2, kStallMs);
    stalls.at(settled + 2 * kRate, kStallMs);
    engine.addSource(&clicks);
    engine.addSource(&stalls);

    // The first stall's underrun, counted once however often the server tells of it, grows
    // nothing. The machine may run the server dry by itself now and then: a growth needs an
    // underrun within 10 s before the one it comes with, so there are never more growths than
    // underruns since the stream settled, less one.
    ASSERT_TRUE(watch.until(
        [&] {
            return stalls.heldAt(0) >= 0 && engine.lateBlocks() > 0;
        },
        std::chrono::seconds(10)));
    watch.keepPolling(std::chrono::milliseconds(300));
    ASSERT_LT(stalls.heldAt(1), 0) << "the machine held the test up for a second";
    const auto settledUnderruns =
        std::count_if(watch.events().begin(), watch.events().end(), [&](std::int64_t sample) {
            return sample >= settled - kRate / 10;
        });
    EXPECT_LE(device.growths(), std::max<int>(static_cast<int>(settledUnderruns) - 1, 0))
        << "underruns seen at " << ::testing::PrintToString(watch.events());

    // The second, within 10 s of the first, grows it; a quiet while brings it back.
    ASSERT_TRUE(watch.until(
        [&] {
            return device.growths() > 0;
        },
        std::chrono::seconds(5)))
        << "two underruns within 10 s did not grow the queue";
    // As the server grants it: about three quarters of the smallest.
    ASSERT_TRUE(watch.until(
        [&] {
            return device.shrinks() > 0 && device.queueFrames() == BufferGrowth::kQueueFrames[0]
                && device.grantedQueueFrames() < BufferGrowth::kQueueFrames[0];
        },
        std::chrono::seconds(20)))
        << "the queue did not come back down; the server grants " << device.grantedQueueFrames()
        << " frames";
    watch.keepPolling(std::chrono::seconds(1));
    m_server->stopRecording();
    engine.removeSource(&stalls);
    engine.removeSource(&clicks);

    // What the stalls and any other underrun took is let pass; nothing else may be missing, cut
    // or moved, least of all where the queue grew or came back down.
    std::vector<Lost> lost;
    for (std::size_t i = 0; i < stalls.count(); ++i) {
        const std::int64_t at = stalls.heldAt(i);
        lost.push_back({ at - 512, at + kStallMs * kRate / 1000 + 1024 });
    }
    for (const std::int64_t sample : watch.events())
        lost.push_back({ sample - 2048, sample + 2048 });
    int judged = 0;
    const std::string trouble =
        denseTrouble(clicksIn(SoundServer::readRecording(recording())), 0, kRate, lost, &judged);
    EXPECT_TRUE(trouble.empty()) << trouble << " the engine saw something at "
                                 << ::testing::PrintToString(watch.events());
    EXPECT_GE(judged, 500);
}

TEST_P(SoundServerOutputTest, TheServerAsksForSoundInPiecesThatKeepTheThreadsWakeUpsFew)
{
    // Each request wakes the output's thread, which costs more than the render: at the smallest
    // queue no server may ask for less than 192 frames at a time (about 230 wake-ups a second).
    constexpr int kFewestFrames = 192;
    ASSERT_TRUE(m_server->start());
    PulseAudioDevice device;
    std::array<int, 2048> pieces {};
    std::atomic<int> count { 0 };
    ASSERT_TRUE(device.start([&](float* out, int frames) {
        std::fill_n(out, frames * AudioEngine::kChannels, 0.0f);
        const int at = count.load(std::memory_order_relaxed);
        if (at < static_cast<int>(pieces.size()))
            pieces[static_cast<std::size_t>(at)] = frames;
        count.store(at + 1, std::memory_order_release);
    }));
    // A new null sink renders its first 2 s at once and asks for nothing meanwhile.
    const auto begun = Clock::now() + std::chrono::seconds(5);
    while (count.load(std::memory_order_acquire) == 0 && Clock::now() < begun)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::seconds(2));
    device.stop();
    const int rendered = std::min(count.load(std::memory_order_acquire), 2048);
    ASSERT_GE(rendered, 20);
    // Past the stream's first fill, which asks for the whole queue.
    std::vector<int> asked(pieces.begin() + 4, pieces.begin() + rendered);
    std::nth_element(asked.begin(), asked.begin() + asked.size() / 2, asked.end());
    EXPECT_GE(asked[asked.size() / 2], kFewestFrames)
        << rendered << " requests in 2 s; the queue granted: " << device.grantedQueueFrames();
}

INSTANTIATE_TEST_SUITE_P(Servers,
    SoundServerOutputTest,
    testing::Values(SoundServer::Kind::PulseAudio, SoundServer::Kind::PipeWire),
    [](const testing::TestParamInfo<SoundServer::Kind>& info) {
        return SoundServer::name(info.param);
    });
