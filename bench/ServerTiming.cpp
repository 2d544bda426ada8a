// The metronome and the piano through a real sound server: a private PulseAudio daemon with a
// null sink, the real audio engine on the program's own output to the server (PulseAudioDevice;
// SDL's pulseaudio driver with --sdl 1, as before), and the sink's monitor recorded in this
// process. The null sink consumes sound on the monotonic clock as a sound card would, so a
// block the engine delivers late makes the server play silence, after which every later click
// comes late by the same amount: a jump in the recorded clicks against their exact grid.
//
//   server_timing [--seconds S] [--tempo T] [--mult M] [--load N] [--presses P] [--down-ms D]
//                 [--sdl 1]
//
// plays the metronome (its real step engine, clips with a sharp attack) for S seconds (600) at
// tempo T (400) in 1/M notes (1: quarters) with N busy loops per core beside it (0), then sends P
// Note Ons (20) to the built-in synth as a piano key does, 0.6 to 0.9 s apart, each held 0.3 s,
// and last kills the daemon while the metronome plays and starts it again D ms later (2500; 0:
// not). It prints the clicks, every jump with its size and moment, the largest distance of a
// click from the grid between jumps, the block the engine uses at the end with its growths and
// the late blocks it saw, the underruns the server logged, the key-to-sound times (median and
// range), and how soon after the daemon's return the clicks are heard again.
//
// A jump's size is as the monitor shows it: the null sink renders ahead of playing and renders
// again what a late stream sends after all, and what it rendered first (silence) has already
// reached the monitor, so the monitor may show up to one sink latency more silence than was
// heard. Underruns between two clicks show as one jump.
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
#include "../tests/support/PulseServer.h"
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
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <signal.h>
#include <sys/prctl.h>
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

double framesToMs(std::int64_t frames)
{
    return static_cast<double>(frames) * 1000.0 / kRate;
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

struct Options
{
    int seconds = 600;
    int tempo = 400;
    int mult = 1;
    int load = 0;
    int presses = 20;
    int downMs = 2500;
    bool sdl = false;
};

Options parse(int argc, char** argv)
{
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
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
    }
    return options;
}

void printClicks(const std::vector<std::int16_t>& recorded, const Options& options)
{
    const auto onsets = findClickOnsets(recorded, kClickThreshold, clickbench::kMinGap);
    const GridFit fit = fitToGrid(onsets,
        StepGrid::forRate(std::int64_t { options.tempo } * options.mult), 0, JumpsGo::Later);
    std::printf(
        "clicks: %zu, missing steps: %lld\n", fit.clicks, static_cast<long long>(fit.missingSteps));
    std::printf("jumps: %zu, the grid %lld samples (%.1f ms) late at the end\n", fit.jumps.size(),
        static_cast<long long>(fit.lateness()), framesToMs(fit.lateness()));
    for (const GridJump& jump : fit.jumps)
        std::printf("  at %7.2f s (click %zu): %+lld samples (%+.2f ms)\n",
            static_cast<double>(jump.at - onsets.front()) / kRate, jump.click,
            static_cast<long long>(jump.frames), framesToMs(jump.frames));
    std::printf("largest distance from the grid between jumps: %lld samples\n",
        static_cast<long long>(fit.largestOffGrid));
}

// Sends Note Ons as a piano key does and returns the moment of each (steady nanoseconds).
std::vector<std::int64_t> pressKeys(AudioEngine& engine, int presses)
{
    std::vector<std::int64_t> pressed;
    BuiltInSynthPort synth(engine, sharedSoundFont());
    if (synth.open() != MidiResult::NoError) {
        std::printf("the built-in synth did not open (no SoundFont?)\n");
        return pressed;
    }
    std::mt19937 random(std::random_device {}());
    std::uniform_int_distribution<int> gapMs(600, 900);
    constexpr std::uint32_t kNoteOn = 0x90 | (60 << 8) | (100 << 16);
    constexpr std::uint32_t kNoteOff = 0x80 | (60 << 8);
    // The synth made and its first note played, before anything is timed.
    synth.send(kNoteOn, std::nullopt, 0);
    synth.send(kNoteOff, std::nullopt, 0);
    for (int i = 0; i < presses; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(gapMs(random)));
        engine.releaseFinishedClips();
        pressed.push_back(steadyNanos());
        synth.send(kNoteOn, std::nullopt, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        synth.send(kNoteOff, std::nullopt, 0);
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    return pressed;
}

void printKeyToSound(const std::vector<std::int16_t>& recorded,
    const std::vector<std::int64_t>& pressed,
    const MonitorCapture& capture)
{
    const auto frames = static_cast<std::int64_t>(recorded.size() / 2);
    auto loud = [&](std::int64_t frame) {
        const std::int16_t left = recorded[static_cast<std::size_t>(2 * frame)];
        return left >= kSoundThreshold || -left >= kSoundThreshold;
    };
    std::vector<double> delays;
    std::int64_t spread = 0;
    std::int64_t middleSpread = 0;
    int unheard = 0;
    for (const std::int64_t press : pressed) {
        const auto clock = capture.playClockNear(press - 100'000'000, press + 300'000'000);
        if (!clock) {
            ++unheard;
            continue;
        }
        spread = std::max(spread, clock->spreadNanos);
        middleSpread = std::max(middleSpread, clock->middleSpreadNanos);
        const std::int64_t from = std::max<std::int64_t>(clock->frameAt(press) - kRate / 100, 0);
        const std::int64_t to = std::min(frames, from + kRate / 5);
        std::int64_t onset = from;
        while (onset < to && !loud(onset))
            ++onset;
        // Sound at the very start of the window is the note before, still ringing.
        if (onset == from || onset == to) {
            ++unheard;
            continue;
        }
        delays.push_back(static_cast<double>(clock->nanosOf(onset) - press) / 1e6);
    }
    if (delays.empty()) {
        std::printf("key to sound: not measured (%d presses)\n", unheard);
        return;
    }
    std::sort(delays.begin(), delays.end());
    std::printf("key to sound over %zu presses: median %.2f ms, %.2f to %.2f ms (the server's "
                "readings of its clock within %.2f ms, 80 %% of them within %.2f ms)",
        delays.size(), delays[delays.size() / 2], delays.front(), delays.back(),
        static_cast<double>(spread) / 1e6, static_cast<double>(middleSpread) / 1e6);
    if (unheard > 0)
        std::printf(", %d presses not measured", unheard);
    std::printf("\n");
}

// The underruns of the engine's stream that the daemon has logged so far.
int countUnderruns(const PulseServer& server)
{
    std::ifstream log(server.folder() + "/daemon.log");
    int underruns = 0;
    for (std::string line; std::getline(log, line);)
        if (line.find("underrun of '") != std::string::npos)
            ++underruns;
    return underruns;
}

// Runs the event loop for `ms` milliseconds, as the program's own would.
void runEvents(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Kills the daemon while the metronome plays and starts it again at the same address after
// `downMs`: the time from the restart to the first click in the new daemon's monitor, with
// nothing done meanwhile but the program's own event loop.
void printSoundBack(PulseServer& server, const Platform& platform, frmFlam& flam, int downMs)
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
    MonitorCapture capture(server.address());
    if (!capture.start()) {
        std::printf("the new daemon's monitor could not be recorded\n");
        return;
    }
    while (Clock::now() - restarted < std::chrono::seconds(20)) {
        runEvents(20);
        if (!findClickOnsets(capture.samples(), kClickThreshold, clickbench::kMinGap).empty()) {
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

} // namespace

int main(int argc, char** argv)
{
    const Options options = parse(argc, argv);
    if (!PulseServer::installed()) {
        std::printf("PulseAudio is not installed (scripts/install-deps)\n");
        return 1;
    }
    PulseServer server;
    server.setLogLevel("debug");
    if (!server.start()) {
        std::printf(
            "the private daemon did not start (see %s/daemon.log)\n", server.folder().c_str());
        return 1;
    }
    server.useInThisProcess();
    setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // Recorded from before the output opens: a monitor that starts while a stream plays makes
    // the server run that stream dry once, which would grow its queue before the run begins.
    MonitorCapture capture(server.address());
    if (!capture.start()) {
        std::printf("the monitor could not be recorded\n");
        return 1;
    }
    // A null sink renders its first 2 s at once, when the daemon starts: nothing reaches the
    // monitor before then.
    while (capture.samples().empty())
        runEvents(20);

    QTemporaryDir dir;
    clickbench::writeClips(dir.path());
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
    std::printf("%d s at %d in 1/%d notes, %d busy loops (%d per core), block %d frames at the "
                "start\n",
        options.seconds, options.tempo, 4 * options.mult, options.load * cores, options.load,
        platform.audio->blockFrames());
    std::fflush(stdout);

    std::vector<std::int16_t> clicks;
    std::vector<std::int64_t> pressed;
    {
        // The program's watch of the sound output.
        SoundOutputNotice notice(platform);
        notice.start();
        BusyLoops load(options.load * cores);
        auto sounds = std::make_unique<ClickSounds>(platform, dir.path());
        sounds->LoadClickSoundIds();
        NoLights lights;
        frmFlam flam(platform, std::move(sounds));
        flam.setLights(&lights);
        flam.setLabel3(NumText(options.tempo * options.mult));
        flam.SvirajNormal(QStringLiteral("UDDD"));
        const int underrunsBefore = countUnderruns(server);
        flam.Timer2.setEnabled(true);
        runEvents(options.seconds * 1000);
        flam.Timer2.setEnabled(false);
        // The last clicks through the server before the recording is taken.
        runEvents(200);
        clicks = capture.samples();
        const int underruns = countUnderruns(server) - underrunsBefore;
        std::printf("block in use at the end: %d frames (%d queued), after %d growths; late "
                    "blocks the engine saw: %lld; output latency %.1f ms\n",
            platform.audio->blockFrames(), platform.audio->device().queueFrames(),
            platform.audio->blockGrowths(), static_cast<long long>(platform.audio->lateBlocks()),
            framesToMs(platform.audio->outputLatency()));
        std::printf("underruns the server logged while the metronome played: %d\n", underruns);
        pressed = pressKeys(*platform.audio, options.presses);
        capture.stop();
        printClicks(clicks, options);
        printKeyToSound(capture.samples(), pressed, capture);
        if (options.downMs > 0)
            printSoundBack(server, platform, flam, options.downMs);
    }
    return 0;
}
