// The sound callback in the blocks the sound device asks for, called in real time as a sound card
// calls it, for as long as a practice session: the built-in synthesizer holding 16 notes (an
// organ, which holds them without decay) while a click is placed on every beat at 120 per minute.
// For each block it takes the render's wall time and the audio thread's CPU time. A block is late
// when its render ends after the moment the device needs it: the end of the block before it, which
// the device plays while this one renders. Prints the callback's CPU share, its mean and longest
// run against the block's period, and the late blocks, told apart by their cause: a run longer
// than the period (the callback's own cost) or a start after the period had passed (the system
// did not run the thread in time).
//
//   callback_timing [--seconds S] [--nice N]
//        S seconds of paced rendering (default 600); the audio thread at niceness N (default 0:
//        SDL raises the priority of its own audio thread, to a negative niceness through rtkit
//        where the user may not set one; -20 needs that right here)
#include "platform/audio/AudioClip.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/audio/SdlAudioDevice.h"
#include "platform/midi/BuiltInSynthPort.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kBlock = SdlAudioDevice::kRequestedBlockFrames;
constexpr std::int64_t kRate = AudioEngine::kSampleRate;

std::int64_t nanosOf(clockid_t clock)
{
    timespec now {};
    clock_gettime(clock, &now);
    return std::int64_t { now.tv_sec } * 1'000'000'000 + now.tv_nsec;
}

// The offline device paced by the wall clock, each render call timed on the audio thread into
// room made beforehand.
class TimedDevice : public AudioDevice
{
public:
    struct Run
    {
        std::int64_t begin = 0; // steady clock, ns
        std::int64_t end = 0;
        std::int64_t cpu = 0; // the audio thread's CPU time, ns
    };

    TimedDevice(std::size_t blocks, int niceness)
        : m_inner(kBlock)
        , m_runs(blocks)
        , m_niceness(niceness)
    {
        m_inner.setCapture(false);
    }

    bool start(RenderFunction render) override
    {
        return m_inner.start([this, render = std::move(render)](float* out, int frames) {
            if (!m_threadSet.exchange(true)) {
                m_nicenessSet =
                    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), m_niceness) == 0;
            }
            const std::int64_t cpu = nanosOf(CLOCK_THREAD_CPUTIME_ID);
            const std::int64_t begin = nanosOf(CLOCK_MONOTONIC);
            render(out, frames);
            const std::size_t index = m_count.load(std::memory_order_relaxed);
            if (index < m_runs.size()) {
                m_runs[index] = { begin, nanosOf(CLOCK_MONOTONIC),
                    nanosOf(CLOCK_THREAD_CPUTIME_ID) - cpu };
                m_count.store(index + 1, std::memory_order_release);
            }
        });
    }

    void stop() override { m_inner.stop(); }

    bool silentFallback() const override { return false; }

    std::int64_t latencyFrames() const override { return kBlock; }

    int blockFrames() const override { return kBlock; }

    bool rendersOnOwnThread() const override { return m_inner.rendersOnOwnThread(); }

    std::int64_t clockNanos() const override { return m_inner.clockNanos(); }

    void startPaced() { m_inner.startPaced(); }

    void stopPaced() { m_inner.stopPaced(); }

    // Valid once pacing has stopped.
    std::vector<Run> runs() const
    {
        return { m_runs.begin(), m_runs.begin() + std::ptrdiff_t(m_count.load()) };
    }

    bool nicenessSet() const { return m_nicenessSet; }

private:
    OfflineAudioDevice m_inner;
    std::vector<Run> m_runs;
    std::atomic<std::size_t> m_count { 0 };
    int m_niceness;
    std::atomic<bool> m_threadSet { false };
    std::atomic<bool> m_nicenessSet { false };
};

std::shared_ptr<AudioClip> click()
{
    auto clip = std::make_shared<AudioClip>();
    for (int n = 0; n < 200; ++n) {
        const float v =
            float(0.5 * std::exp(-n / 25.0) * std::cos(2 * std::numbers::pi * 1500 * n / kRate));
        clip->samples.insert(clip->samples.end(), { v, v });
    }
    return clip;
}

double processCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    int seconds = 600;
    int niceness = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--seconds") == 0)
            seconds = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--nice") == 0)
            niceness = std::atoi(argv[i + 1]);
    }
    const std::size_t blocks = std::size_t(seconds + 10) * kRate / kBlock;
    auto owned = std::make_unique<TimedDevice>(blocks, niceness);
    TimedDevice& device = *owned;
    AudioEngine engine(std::move(owned));

    const SoundFontSource fonts = sharedSoundFont();
    auto midi = makeMidiOut(engine, fonts);
    MidiHandle handle = 0;
    if (midi->open(handle, kMidiMapper) != MidiResult::NoError) {
        std::fprintf(stderr, "no SoundFont\n");
        return 1;
    }
    midi->shortMsg(handle, midiMessage(0xC0, 19));
    for (int note = 48; note < 64; ++note)
        midi->shortMsg(handle, midiMessage(0x90, note, 100));

    const auto clip = click();
    const double cpuStart = processCpuSeconds();
    device.startPaced();
    const auto wallStart = std::chrono::steady_clock::now();
    const auto wallEnd = wallStart + std::chrono::seconds(seconds);
    std::int64_t nextClick = engine.now() + kRate / 10;
    while (std::chrono::steady_clock::now() < wallEnd) {
        // Clicks are placed half a second ahead, as the step engine places its steps.
        while (nextClick < engine.now() + kRate / 2) {
            engine.playClip(clip, nextClick);
            nextClick += kRate / 2;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    device.stopPaced();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const double processCpu = processCpuSeconds() - cpuStart;
    midi->close(handle);

    const std::vector<TimedDevice::Run> runs = device.runs();
    if (runs.size() < 2) {
        std::fprintf(stderr, "nothing rendered\n");
        return 1;
    }
    const double period = 1e9 * kBlock / double(kRate); // ns
    const std::int64_t first = runs.front().begin;
    double cpu = 0, busy = 0, longest = 0, worstSlack = period, worstWake = 0;
    std::size_t late = 0;
    std::size_t lateByRun = 0;
    std::vector<double> lengths;
    lengths.reserve(runs.size());
    for (std::size_t n = 0; n < runs.size(); ++n) {
        const TimedDevice::Run& run = runs[n];
        const double length = double(run.end - run.begin);
        const double due = double(first) + double(n) * period;
        // Needed once the block before has played: one period after this one was asked for.
        const double slack = due + period - double(run.end);
        cpu += double(run.cpu);
        busy += length;
        longest = std::max(longest, length);
        worstSlack = std::min(worstSlack, slack);
        worstWake = std::max(worstWake, double(run.begin) - due);
        late += slack < 0;
        lateByRun += slack < 0 && length > period;
        if (slack < 0 && late <= 10)
            std::printf("late: block %zu at %.3f s, done %.3f ms after it was needed, started %.3f "
                        "ms after its due time, ran %.3f ms (%.3f ms of CPU)\n",
                n, double(n) * period / 1e9, -slack / 1e6, (double(run.begin) - due) / 1e6,
                length / 1e6, double(run.cpu) / 1e6);
        lengths.push_back(length);
    }
    std::sort(lengths.begin(), lengths.end());
    const double p999 = lengths[std::min(lengths.size() - 1, lengths.size() * 999 / 1000)];
    std::printf("%zu blocks of %d frames (%.3f ms) in %.1f s, 16 organ notes held, a click a beat "
                "at 120; the audio thread at niceness %d%s\n",
        runs.size(), kBlock, period / 1e6, wall, niceness,
        device.nicenessSet() ? "" : " (not granted: at 0)");
    std::printf("callback CPU: %.2f %% of one core (the whole process: %.2f %%)\n",
        100.0 * cpu / (wall * 1e9), 100.0 * processCpu / wall);
    std::printf("callback run: mean %.3f ms, 99.9th percentile %.3f ms, longest %.3f ms = %.2f of "
                "the period\n",
        busy / double(runs.size()) / 1e6, p999 / 1e6, longest / 1e6, longest / period);
    std::printf("latest start after its due time: %.3f ms\n", worstWake / 1e6);
    std::printf("late blocks: %zu, %zu of them by a run longer than the period (the others started "
                "late); the closest one was done %.3f ms before it was needed\n",
        late, lateByRun, worstSlack / 1e6);
    return late == 0 ? 0 : 2;
}
