// The metronome and the piano through a real sound server: a private PulseAudio daemon, or a
// private PipeWire with its pulse server (--server pipewire), each with a null sink, the real
// audio engine on the program's own output to the server (PulseAudioDevice; SDL's pulseaudio
// driver with --sdl 1, as before), and the sink's monitor recorded in this process. The null
// sink consumes sound on the monotonic clock as a sound card would, so a block the engine
// delivers late makes the server play silence, after which every later click comes late by the
// same amount: a jump in the recorded clicks against their exact grid.
//
//   server_timing [--server pulseaudio|pipewire] [--seconds S] [--tempo T] [--mult M] [--load N]
//                 [--quiet-after Q] [--presses P] [--down-ms D] [--sdl 1] [--reference MS]
//                 [--session]
//
// plays the metronome (its real step engine, clips with a sharp attack) for S seconds (600) at
// tempo T (400) in 1/M notes (1: quarters) with N busy loops per core beside it (0), and Q seconds
// more without them (0), after which it prints the stream's queue as the server reports it, then
// sends P
// Note Ons (20) to the built-in synth as a piano key does, 0.6 to 0.9 s apart, each held 0.3 s,
// and last kills the server while the metronome plays and starts it again D ms later (2500; 0:
// not). It prints the wake-ups a second and the CPU of the output's own thread while the metronome
// played (each request of the server wakes it, and on a virtual machine the wake-up costs more
// than the render), the clicks, every jump with its size and moment, the largest distance of a
// click from the grid between jumps, the block the engine uses at the end with the queue's growths
// and steps back and the late blocks it saw, the underruns the server logged, the key-to-sound
// times (median and range), and how soon after the server's return the clicks are heard again.
//
// --reference MS plays another program's stream beside the engine's (pacat with MS ms of
// latency, a click every quarter of a second on the right channel only) and prints its clicks
// apart, with the moments the engine's stream ran dry: a jump of the engine's clicks that the
// reference does not share is the engine's stream's own, not the server's.
//
// --session is a practice session instead: for S seconds the metronome plays and the piano's
// key is pressed throughout (as above), with a burst of load (two busy loops per core, or N
// with --load N) in the last minute of every three (2:00 to 3:00, 5:00 to 6:00, ...). The clicks
// sound on the left channel only and the piano on the right only, so each is found without the
// other. It prints the clicks as above, then the key-to-sound times of all presses, of those in
// quiet and of those under load: each the median and the share over 15 ms.
//
// A jump's size is as the monitor shows it: the null sink renders ahead of playing and renders
// again what a late stream sends after all, and what it rendered first (silence) has already
// reached the monitor, so the monitor may show up to one sink latency more silence than was
// heard. Underruns between two clicks show as one jump.
//
// The monitor is recorded at the sink's own rate (PipeWire's graph runs at 48000 Hz), so that
// nothing is resampled on the way from the sink to the recording.
//
// Key to sound: from the moment the Note On is sent (the steady clock just before the call; the
// piano's own handling of the key, which piano_bench times, is not counted) to the moment the
// sink plays the first frame of the note's sound louder than -60 dB, the synth's own run-in
// included, as a player hears it. The frame is found in the monitor recording; the moment the
// sink plays it comes from the server's timing reports on the recording stream (MonitorCapture:
// where the stream stands against the sink's play position, at the server's time stamp). Every
// report gives the moment of the recording's frame 0; the median of those around the press is
// used. Their spread is printed: the largest, and that of the middle 80 % (under a
// millisecond on this machine when quiet), which bounds the error of the median.

#include "../tests/support/ClickGrid.h"
#include "../tests/support/SoundServer.h"
#include "ClickBench.h"
#include "MonitorCapture.h"
#include "app/BeatLights.h"
#include "app/ClickSounds.h"
#include "app/SoundOutputNotice.h"
#include "app/frmFlam.h"
#include "platform/Platform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OutputDevice.h"
#include "platform/audio/PulseAudioDevice.h"
#include "platform/audio/SdlAudioDevice.h"
#include "platform/audio/SdlAudioSubsystem.h"
#include "platform/basic/Conversions.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/midi/BuiltInSynthPort.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kRate = AudioEngine::kSampleRate;
// The bench clips start at 12000 and more of 32767.
constexpr std::int16_t kClickThreshold = 1600;
// -60 dB.
constexpr std::int16_t kSoundThreshold = 33;

using Clock = std::chrono::steady_clock;

std::int64_t steadyNanos()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

double framesToMs(std::int64_t frames, int rate = kRate)
{
    return static_cast<double>(frames) * 1000.0 / rate;
}

class NoLights : public BeatLights
{
public:
    void setImage5Visible(bool) override {}

    void setImzVisible(bool visible) override { m_imz = visible; }

    void setImage4Visible(bool) override {}

    bool imzVisible() const override { return m_imz; }

private:
    bool m_imz = false;
};

// What the output's own thread ("kadentor-sound") has used so far: its CPU time and the times it
// went to sleep by itself (each a wake-up by the server), from /proc.
struct ThreadUse
{
    double cpuSeconds = 0;
    long long sleeps = 0;

    static ThreadUse ofSoundThread()
    {
        ThreadUse use;
        for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
            std::ifstream comm(task.path() / "comm");
            std::string name;
            if (!std::getline(comm, name) || name != "kadentor-sound")
                continue;
            std::ifstream stat(task.path() / "stat");
            std::string text((std::istreambuf_iterator<char>(stat)), {});
            std::istringstream fields(text.substr(text.rfind(')') + 2));
            std::string field;
            long long ticks = 0;
            // utime and stime are fields 14 and 15; the text after the name starts at field 3.
            for (int i = 3; i <= 15 && fields >> field; ++i)
                ticks += i >= 14 ? std::atoll(field.c_str()) : 0;
            use.cpuSeconds = static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
            std::ifstream status(task.path() / "status");
            for (std::string line; std::getline(status, line);) {
                if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
                    use.sleeps = std::atoll(line.c_str() + line.find(':') + 1);
            }
        }
        return use;
    }
};

void printSoundThreadUse(const ThreadUse& before, std::chrono::duration<double> span)
{
    const ThreadUse after = ThreadUse::ofSoundThread();
    std::printf("the sound thread while the metronome played: %.0f wake-ups a second, %.2f %% "
                "of a core\n",
        static_cast<double>(after.sleeps - before.sleeps) / span.count(),
        100.0 * (after.cpuSeconds - before.cpuSeconds) / span.count());
}

// Busy loops in child processes, as other programs load the machine; ended by their pids.
class BusyLoops
{
public:
    explicit BusyLoops(int count)
    {
        for (int i = 0; i < count; ++i) {
            const pid_t pid = fork();
            if (pid == 0) {
                prctl(PR_SET_PDEATHSIG, SIGKILL);
                std::atomic<std::uint64_t> spin { 0 };
                for (;;)
                    spin.fetch_add(1, std::memory_order_relaxed);
            }
            if (pid > 0)
                m_pids.push_back(pid);
        }
    }

    ~BusyLoops()
    {
        for (pid_t pid : m_pids)
            kill(pid, SIGKILL);
        for (pid_t pid : m_pids)
            waitpid(pid, nullptr, 0);
    }

    BusyLoops(const BusyLoops&) = delete;
    BusyLoops& operator=(const BusyLoops&) = delete;

private:
    std::vector<pid_t> m_pids;
};

// Another program's stream beside the engine's: pacat, with its own latency, playing a click
// every quarter of a second at the sink's rate on the right channel only. The right channel less
// the left is that stream alone, so a move of its clicks is the whole server's, and a move of the
// engine's clicks that it does not share is the engine's stream's own.
class ReferenceTrain
{
public:
    static constexpr std::int64_t kStepsPerMinute = 240;

    ReferenceTrain(SoundServer& server, int rate, int latencyMs)
        : m_server(server)
        , m_rate(rate)
        , m_pipe(server.folder() + "/reference.pipe")
    {
        // The pipe breaks when pacat is stopped, which must end the feed, not this process.
        signal(SIGPIPE, SIG_IGN);
        if (mkfifo(m_pipe.c_str(), 0600) != 0 || !server.startPlaying(m_pipe, rate, latencyMs)) {
            std::printf("the reference could not be played\n");
            return;
        }
        m_feeder = std::thread([this] {
            feed();
        });
    }

    ~ReferenceTrain()
    {
        m_stopping = true;
        m_server.stopPlaying();
        if (m_feeder.joinable())
            m_feeder.join();
        std::remove(m_pipe.c_str());
    }

    ReferenceTrain(const ReferenceTrain&) = delete;
    ReferenceTrain& operator=(const ReferenceTrain&) = delete;

private:
    // pacat reads as the server asks, so the pipe being full is what paces this.
    void feed()
    {
        // Opened once pacat has its end open; without waiting, so that a pacat that never got
        // that far leaves nothing blocked.
        int out = -1;
        while (out < 0 && !m_stopping) {
            out = open(m_pipe.c_str(), O_WRONLY | O_NONBLOCK);
            if (out < 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (out < 0)
            return;
        fcntl(out, F_SETFL, 0);
        const auto frames = static_cast<std::size_t>(m_rate * 60 / kStepsPerMinute);
        std::vector<std::int16_t> step(2 * frames, 0);
        for (std::size_t n = 0; n < 48; ++n)
            step[2 * n + 1] = 20000;
        const auto* bytes = reinterpret_cast<const char*>(step.data());
        const std::size_t size = step.size() * sizeof(std::int16_t);
        for (bool open = true; open;) {
            for (std::size_t done = 0; open && done < size;) {
                const ssize_t wrote = write(out, bytes + done, size - done);
                open = wrote > 0;
                done += open ? static_cast<std::size_t>(wrote) : 0;
            }
        }
        close(out);
    }

    SoundServer& m_server;
    int m_rate;
    std::string m_pipe;
    std::atomic<bool> m_stopping { false };
    std::thread m_feeder;
};

// The moments the engine's stream ran dry, as the output counts them, watched on the event loop.
class UnderrunMoments
{
public:
    explicit UnderrunMoments(const AudioEngine& engine)
        : m_engine(engine)
        , m_seen(engine.lateBlocks())
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const std::int64_t now = m_engine.lateBlocks();
            for (; m_seen < now; ++m_seen)
                m_moments.push_back(steadyNanos());
        });
        m_timer.start(5);
    }

    // Each moment as seconds into the recording, by the sink's play clock around it.
    void print(const MonitorCapture& capture) const
    {
        std::printf("underruns of the engine's stream: %zu", m_moments.size());
        for (const std::int64_t moment : m_moments) {
            const auto clock = capture.playClockNear(moment - 500'000'000, moment + 500'000'000);
            if (clock)
                std::printf(", %.2f s", static_cast<double>(clock->frameAt(moment)) / clock->rate);
            else
                std::printf(", (not placed)");
        }
        std::printf(" into the recording\n");
    }

private:
    const AudioEngine& m_engine;
    std::int64_t m_seen;
    std::vector<std::int64_t> m_moments;
    QTimer m_timer;
};

struct Options
{
    int seconds = 600;
    int tempo = 400;
    int mult = 1;
    int load = 0;
    int presses = 20;
    int downMs = 2500;
    bool sdl = false;
    int quietAfter = 0;
    int referenceMs = 0;
    bool session = false;
    SoundServer::Kind server = SoundServer::Kind::PulseAudio;
    bool valid = true;
};

Options parse(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--session") {
            options.session = true;
            --i;
            continue;
        }
        if (i + 1 == argc) {
            options.valid = false;
            break;
        }
        if (name == "--server") {
            const auto kind = SoundServer::named(argv[i + 1]);
            options.valid = options.valid && kind.has_value();
            options.server = kind.value_or(options.server);
            continue;
        }
        const int value = std::atoi(argv[i + 1]);
        if (name == "--seconds")
            options.seconds = value;
        else if (name == "--tempo")
            options.tempo = value;
        else if (name == "--mult")
            options.mult = std::max(1, value);
        else if (name == "--load")
            options.load = value;
        else if (name == "--presses")
            options.presses = value;
        else if (name == "--down-ms")
            options.downMs = value;
        else if (name == "--sdl")
            options.sdl = value != 0;
        else if (name == "--quiet-after")
            options.quietAfter = value;
        else if (name == "--reference")
            options.referenceMs = value;
    }
    return options;
}

// Clicks laid on their grid: the counts, each jump with its moment (from the first click and
// into the recording), and the largest distance from the grid between jumps; `which` names them.
void printFit(
    const char* which, const std::vector<std::int64_t>& onsets, const GridFit& fit, int rate)
{
    std::printf("%sclicks: %zu, missing steps: %lld, extra clicks: %lld\n", which, fit.clicks,
        static_cast<long long>(fit.missingSteps), static_cast<long long>(fit.extraClicks));
    std::printf("%sjumps: %zu, the grid %lld samples (%.1f ms) late at the end\n", which,
        fit.jumps.size(), static_cast<long long>(fit.lateness()), framesToMs(fit.lateness(), rate));
    for (const GridJump& jump : fit.jumps)
        std::printf(
            "  at %7.2f s (click %zu, %.2f s into the recording): %+lld samples (%+.2f ms)\n",
            static_cast<double>(jump.at - onsets.front()) / rate, jump.click,
            static_cast<double>(jump.at) / rate, static_cast<long long>(jump.frames),
            framesToMs(jump.frames, rate));
    std::printf("%slargest distance from the grid between jumps: %lld samples\n", which,
        static_cast<long long>(fit.largestOffGrid));
}

// A recording at another rate than the engine's places a step that falls between two of its
// frames (2000 in sixteenths: 330.75 frames at 44100 Hz) on the nearer one: a click one frame off
// that grid is on it.
void printClicks(const std::vector<std::int16_t>& recorded, int rate, const Options& options)
{
    const auto onsets = findResampledClickOnsets(recorded, kClickThreshold, clickbench::kMinGap);
    printFit("", onsets,
        fitToGrid(onsets, StepGrid::forRate(std::int64_t { options.tempo } * options.mult, rate),
            rate == kRate ? 0 : 1, JumpsGo::Later),
        rate);
}

// The reference's clicks (the right channel less the left) against their own grid. It plays at
// the sink's rate, so nothing is resampled, and each jump is read as the smaller move.
void printReference(const std::vector<std::int16_t>& recorded, int rate)
{
    std::vector<std::int16_t> alone(recorded.size(), 0);
    for (std::size_t n = 0; n + 1 < recorded.size(); n += 2)
        alone[n] =
            static_cast<std::int16_t>(std::clamp(recorded[n + 1] - recorded[n], -32768, 32767));
    const auto onsets = findClickOnsets(alone, kClickThreshold, clickbench::kMinGap);
    printFit("the reference's ", onsets,
        fitToGrid(onsets, StepGrid::forRate(ReferenceTrain::kStepsPerMinute, rate)), rate);
}

// Runs the event loop for `ms` milliseconds, as the program's own would.
void runEvents(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The built-in synth played as a piano key does: middle C, each press 0.6 to 0.9 s after the last
// release, held 0.3 s, with the event loop running meanwhile.
class PianoKey
{
public:
    // `rightOnly`: the note panned hard right with no reverb or chorus, so that the left channel
    // stays the metronome's.
    PianoKey(AudioEngine& engine, bool rightOnly)
        : m_engine(engine)
        , m_synth(engine, sharedSoundFont())
    {
        m_ready = m_synth.open() == MidiResult::NoError;
        if (!m_ready) {
            std::printf("the built-in synth did not open (no SoundFont?)\n");
            return;
        }
        if (rightOnly) {
            for (const std::uint32_t controller : { 10u, 91u, 93u })
                m_synth.send(0xB0 | (controller << 8) | ((controller == 10 ? 127u : 0u) << 16),
                    std::nullopt, 0);
        }
        // The synth made and its first note played, before anything is timed.
        m_synth.send(kNoteOn, std::nullopt, 0);
        m_synth.send(kNoteOff, std::nullopt, 0);
    }

    bool ready() const { return m_ready; }

    // Waits, presses, holds and lets go; returns the moment of the press (steady nanoseconds).
    std::int64_t press()
    {
        runEvents(m_gapMs(m_random));
        m_engine.releaseFinishedClips();
        const std::int64_t pressed = steadyNanos();
        m_synth.send(kNoteOn, std::nullopt, 0);
        runEvents(300);
        m_synth.send(kNoteOff, std::nullopt, 0);
        return pressed;
    }

private:
    static constexpr std::uint32_t kNoteOn = 0x90 | (60 << 8) | (100 << 16);
    static constexpr std::uint32_t kNoteOff = 0x80 | (60 << 8);

    AudioEngine& m_engine;
    BuiltInSynthPort m_synth;
    bool m_ready = false;
    std::mt19937 m_random { std::random_device {}() };
    std::uniform_int_distribution<int> m_gapMs { 600, 900 };
};

struct KeyTimes
{
    std::vector<std::optional<double>> delaysMs; // one for each press; nullopt: not measured
    std::int64_t spreadNanos = 0;
    std::int64_t middleSpreadNanos = 0;
};

// Each press's key-to-sound time, the sound found on `channel` (0 left, 1 right).
KeyTimes keyToSound(const std::vector<std::int16_t>& recorded,
    const std::vector<std::int64_t>& pressed,
    const MonitorCapture& capture,
    int channel)
{
    const auto frames = static_cast<std::int64_t>(recorded.size() / 2);
    auto loud = [&](std::int64_t frame) {
        const std::int16_t sample = recorded[static_cast<std::size_t>(2 * frame + channel)];
        return sample >= kSoundThreshold || -sample >= kSoundThreshold;
    };
    KeyTimes times;
    for (const std::int64_t press : pressed) {
        times.delaysMs.emplace_back();
        const auto clock = capture.playClockNear(press - 100'000'000, press + 300'000'000);
        if (!clock)
            continue;
        times.spreadNanos = std::max(times.spreadNanos, clock->spreadNanos);
        times.middleSpreadNanos = std::max(times.middleSpreadNanos, clock->middleSpreadNanos);
        const std::int64_t from =
            std::max<std::int64_t>(clock->frameAt(press) - clock->rate / 100, 0);
        const std::int64_t to = std::min(frames, from + clock->rate / 5);
        std::int64_t onset = from;
        while (onset < to && !loud(onset))
            ++onset;
        // Sound at the very start of the window is the note before, still ringing.
        if (onset == from || onset == to)
            continue;
        times.delaysMs.back() = static_cast<double>(clock->nanosOf(onset) - press) / 1e6;
    }
    return times;
}

// The median, the range and the share over 15 ms of the presses `counted` picks.
template <typename Counted>
void printKeyToSound(const char* which, const KeyTimes& times, Counted counted)
{
    std::vector<double> delays;
    int unheard = 0;
    for (std::size_t i = 0; i < times.delaysMs.size(); ++i) {
        if (!counted(i))
            continue;
        if (times.delaysMs[i])
            delays.push_back(*times.delaysMs[i]);
        else
            ++unheard;
    }
    if (delays.empty()) {
        std::printf("key to sound%s: not measured (%d presses)\n", which, unheard);
        return;
    }
    std::sort(delays.begin(), delays.end());
    const auto over = std::count_if(delays.begin(), delays.end(), [](double ms) {
        return ms > 15.0;
    });
    std::printf("key to sound%s over %zu presses: median %.2f ms, %.2f to %.2f ms, %.1f %% over "
                "15 ms (the server's readings of its clock within %.2f ms, 80 %% of them within "
                "%.2f ms)",
        which, delays.size(), delays[delays.size() / 2], delays.front(), delays.back(),
        100.0 * static_cast<double>(over) / static_cast<double>(delays.size()),
        static_cast<double>(times.spreadNanos) / 1e6,
        static_cast<double>(times.middleSpreadNanos) / 1e6);
    if (unheard > 0)
        std::printf(", %d presses not measured", unheard);
    std::printf("\n");
}

void printOutputState(const Platform& platform)
{
    std::printf("block in use at the end: %d frames (%d queued), after %d growths and %d steps "
                "back; late blocks the engine saw: %lld; output latency %.1f ms\n",
        platform.audio->blockFrames(), platform.audio->device().queueFrames(),
        platform.audio->blockGrowths(), platform.audio->blockShrinks(),
        static_cast<long long>(platform.audio->lateBlocks()),
        framesToMs(platform.audio->outputLatency()));
}

// The queue of the engine's stream as the server reports it.
void printServerQueue(const SoundServer& server)
{
    std::string listing;
    if (server.runTool({ "pactl", "list", "sink-inputs" }, &listing) != 0) {
        std::printf("the server's sink inputs could not be listed\n");
        return;
    }
    auto usecAfter = [&](const char* label) {
        const std::size_t at = listing.find(label);
        return at == std::string::npos ? -1.0
                                       : std::atof(listing.c_str() + at + std::strlen(label));
    };
    const double buffer = usecAfter("Buffer Latency:");
    const double sink = usecAfter("Sink Latency:");
    std::printf("the stream's queue as the server reports it: %.2f ms in its buffer and %.2f ms "
                "in the sink, %.2f ms in all\n",
        buffer / 1000, sink / 1000, (buffer + sink) / 1000);
}

// Kills the daemon while the metronome plays and starts it again at the same address after
// `downMs`: the time from the restart to the first click in the new daemon's monitor, with
// nothing done meanwhile but the program's own event loop.
void printSoundBack(SoundServer& server, const Platform& platform, frmFlam& flam, int downMs)
{
    flam.Timer2.setEnabled(true);
    runEvents(1000);
    server.stop(SIGKILL);
    runEvents(downMs);
    const auto restarted = Clock::now();
    if (!server.start()) {
        std::printf("the daemon did not start again\n");
        return;
    }
    MonitorCapture capture(server.address(), server.sinkRate());
    if (!capture.start()) {
        std::printf("the new daemon's monitor could not be recorded\n");
        return;
    }
    while (Clock::now() - restarted < std::chrono::seconds(20)) {
        runEvents(20);
        if (!findResampledClickOnsets(capture.samples(), kClickThreshold, clickbench::kMinGap)
                 .empty()) {
            std::printf("the daemon killed and back after %.1f s: clicks again %.2f s after its "
                        "return (the output came back by itself %d times)\n",
                downMs / 1000.0, std::chrono::duration<double>(Clock::now() - restarted).count(),
                platform.audio->outputReturns());
            flam.Timer2.setEnabled(false);
            return;
        }
    }
    std::printf("the daemon killed and back after %.1f s: no click in the 20 s after its "
                "return\n",
        downMs / 1000.0);
    flam.Timer2.setEnabled(false);
}

// A practice session: the metronome and the piano together, with the load in bursts.
void runSession(const Options& options, Platform& platform, frmFlam& flam, MonitorCapture& capture)
{
    PianoKey key(*platform.audio, true);
    if (!key.ready())
        return;
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    const int perCore = options.load > 0 ? options.load : 2;
    std::vector<std::int64_t> pressed;
    std::vector<bool> underLoad;
    std::unique_ptr<BusyLoops> load;
    flam.Timer2.setEnabled(true);
    const auto start = Clock::now();
    for (;;) {
        const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start);
        if (elapsed.count() >= options.seconds)
            break;
        const bool burst = elapsed.count() % 180 >= 120;
        if (burst && !load) {
            load = std::make_unique<BusyLoops>(perCore * cores);
            std::printf("load on at %lld s (%d busy loops)\n",
                static_cast<long long>(elapsed.count()), perCore * cores);
        } else if (!burst && load) {
            load.reset();
            std::printf("load off at %lld s\n", static_cast<long long>(elapsed.count()));
        }
        std::fflush(stdout);
        pressed.push_back(key.press());
        underLoad.push_back(load != nullptr);
    }
    load.reset();
    flam.Timer2.setEnabled(false);
    runEvents(1000);
    capture.stop();
    printOutputState(platform);
    const std::vector<std::int16_t> recorded = capture.samples();
    printClicks(recorded, capture.rate(), options);
    const KeyTimes times = keyToSound(recorded, pressed, capture, 1);
    printKeyToSound("", times, [](std::size_t) {
        return true;
    });
    printKeyToSound(" in quiet", times, [&](std::size_t i) {
        return !underLoad[i];
    });
    printKeyToSound(" under load", times, [&](std::size_t i) {
        return underLoad[i];
    });
}

} // namespace

int main(int argc, char** argv)
{
    const Options options = parse(argc, argv);
    if (!options.valid) {
        std::printf("usage: server_timing [--server pulseaudio|pipewire] [--seconds S] [--tempo T] "
                    "[--mult M] [--load N] [--quiet-after Q] [--presses P] [--down-ms D] [--sdl 1] "
                    "[--reference MS] [--session]\n");
        return 2;
    }
    const char* serverName = SoundServer::name(options.server);
    if (!SoundServer::installed(options.server)) {
        std::printf("%s is not installed (scripts/install-deps)\n", serverName);
        return 1;
    }
    const std::unique_ptr<SoundServer> owned = SoundServer::make(options.server);
    SoundServer& server = *owned;
    server.setLogLevel("debug");
    if (!server.start()) {
        std::printf("the private %s did not start (see the logs in %s)\n", serverName,
            server.folder().c_str());
        return 1;
    }
    server.useInThisProcess();
    setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // Recorded from before the output opens: a monitor that starts while a stream plays makes
    // the server run that stream dry once, which would grow its queue before the run begins.
    MonitorCapture capture(server.address(), server.sinkRate());
    if (capture.rate() <= 0 || !capture.start()) {
        std::printf("the monitor could not be recorded\n");
        return 1;
    }
    // A null sink renders its first 2 s at once, when the daemon starts: nothing reaches the
    // monitor before then.
    while (capture.samples().empty())
        runEvents(20);
    std::unique_ptr<ReferenceTrain> reference;
    if (options.referenceMs > 0)
        reference = std::make_unique<ReferenceTrain>(server, capture.rate(), options.referenceMs);

    QTemporaryDir dir;
    clickbench::writeClips(dir.path(), options.session);
    Platform platform;
    clickbench::giveFilesAndSettings(platform, dir.path());
    platform.audio = std::make_unique<AudioEngine>(options.sdl
            ? std::make_unique<SdlAudioDevice>()
            : makeOutputDevice(std::make_shared<SdlAudioSubsystem>()));
    platform.boxes = std::make_unique<FakeMessageBoxService>();
    auto* sdl = dynamic_cast<SdlAudioDevice*>(&platform.audio->device());
    auto* pulse = dynamic_cast<PulseAudioDevice*>(&platform.audio->device());
    const bool opened =
        options.sdl ? sdl && std::string(sdl->driverName()) == "pulseaudio" : pulse != nullptr;
    if (platform.audio->silentFallback() || !opened) {
        std::printf("the engine did not open %s\n",
            options.sdl ? "SDL's pulseaudio driver" : "its own PulseAudio output");
        return 1;
    }
    if (pulse) {
        const AudioThreadPriority priority = pulse->threadPriority();
        std::printf("PulseAudio output: %d frames queued asked for, %d granted, its thread at %s "
                    "priority\n",
            pulse->queueFrames(), pulse->grantedQueueFrames(),
            priority == AudioThreadPriority::RealTime   ? "real-time"
                : priority == AudioThreadPriority::Nice ? "raised (nice)"
                                                        : "normal");
    }
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    std::printf("%s: %d s at %d in 1/%d notes, %s, block %d frames at the start\n", serverName,
        options.seconds, options.tempo, 4 * options.mult,
        options.session ? "a session with bursts of load"
                        : (std::to_string(options.load * cores) + " busy loops").c_str(),
        platform.audio->blockFrames());
    std::fflush(stdout);

    {
        // The program's watch of the sound output.
        SoundOutputNotice notice(platform);
        notice.start();
        auto sounds = std::make_unique<ClickSounds>(platform, dir.path());
        sounds->LoadClickSoundIds();
        NoLights lights;
        frmFlam flam(platform, std::move(sounds));
        flam.setLights(&lights);
        flam.setLabel3(NumText(options.tempo * options.mult));
        flam.SvirajNormal(QStringLiteral("UDDD"));
        const int underrunsBefore = server.underrunsLogged();
        if (options.session) {
            runSession(options, platform, flam, capture);
            std::printf(
                "underruns the server logged: %d\n", server.underrunsLogged() - underrunsBefore);
            return 0;
        }
        std::vector<std::int16_t> clicks;
        std::optional<UnderrunMoments> underruns;
        {
            auto load = std::make_unique<BusyLoops>(options.load * cores);
            underruns.emplace(*platform.audio);
            flam.Timer2.setEnabled(true);
            const ThreadUse before = ThreadUse::ofSoundThread();
            const auto playing = Clock::now();
            runEvents(options.seconds * 1000);
            printSoundThreadUse(before, Clock::now() - playing);
            if (options.quietAfter > 0) {
                load.reset();
                runEvents(options.quietAfter * 1000);
                printServerQueue(server);
            }
            flam.Timer2.setEnabled(false);
        }
        // The last clicks through the server before the recording is taken.
        runEvents(200);
        clicks = capture.samples();
        reference.reset();
        printOutputState(platform);
        std::printf("underruns the server logged while the metronome played: %d\n",
            server.underrunsLogged() - underrunsBefore);
        std::vector<std::int64_t> pressed;
        {
            PianoKey key(*platform.audio, false);
            for (int i = 0; key.ready() && i < options.presses; ++i)
                pressed.push_back(key.press());
            runEvents(1000);
        }
        capture.stop();
        printClicks(clicks, capture.rate(), options);
        underruns->print(capture);
        if (options.referenceMs > 0)
            printReference(clicks, capture.rate());
        printKeyToSound("", keyToSound(capture.samples(), pressed, capture, 0), [](std::size_t) {
            return true;
        });
        if (options.downMs > 0)
            printSoundBack(server, platform, flam, options.downMs);
    }
    return 0;
}
