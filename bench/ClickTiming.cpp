// Measures the metronome's timing end to end: the real step engine with its Qt timers, the audio
// engine on a device that renders in real time in the blocks the sound device asks for (the SDL
// device itself with --sdl), and the clicks found again in the rendered sound (never from the
// engine's own bookkeeping). Per case it prints the clicks heard, the largest distance of an onset
// from the exact grid, the tempo measured from the first to the last onset, the CPU time per minute
// of playing and the lights' largest lag behind their click.
//
// The second table plays on a busy desktop: two busy loops per core run beside the cases, and
// each case holds its UI thread up for 2 s at random moments, as a slow file dialog or a
// synchronous media open would. Clicks must still sound on their exact samples.
//
//   click_timing [--seconds S] [--load-seconds L] [--jobs J]
//                                      every case for S seconds, then the busy cases for L
//                                      seconds (0: none), J at a time in child processes
//   click_timing --case TEMPO MULT S [--block-ui]
//                                      one case on the paced capture device
//   click_timing --sdl TEMPO MULT S    one case on the SDL device; with SDL_AUDIODRIVER=disk
//                                      the file SDL_DISKAUDIOFILE (default sdlaudio.raw) is read
//                                      back and measured

#include "../tests/support/ClickGrid.h"
#include "ClickBench.h"
#include "app/BeatLights.h"
#include "app/ClickSounds.h"
#include "app/frmFlam.h"
#include "platform/Platform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/audio/SdlAudioDevice.h"
#include "platform/basic/Conversions.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <sys/resource.h>

namespace {

constexpr int kRate = AudioEngine::kSampleRate;
constexpr float kOnsetThreshold = 0.05f;
// The engine form changes a light once its click is due within this many samples.
constexpr std::int64_t kLightEarlySamples = 44;

// The whole process (the device's thread included), or only the calling thread.
double cpuSeconds(int who = RUSAGE_SELF)
{
    rusage usage {};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Records the sample leaving the speakers at each change of the lights (the engine form sets the
// accent light at every change, to the state of the latest step due).
class StampingLights : public BeatLights
{
public:
    explicit StampingLights(const AudioEngine& engine)
        : m_engine(engine)
    {}

    void setImage5Visible(bool) override { stamps.push_back(m_engine.soundingSample()); }

    void setImzVisible(bool visible) override { m_imz = visible; }

    void setImage4Visible(bool) override {}

    bool imzVisible() const override { return m_imz; }

    std::vector<std::int64_t> stamps;

private:
    const AudioEngine& m_engine;
    bool m_imz = false;
};

struct Result
{
    int clicks = 0;
    std::int64_t maxDeviation = 0; // from the exact grid, in samples
    std::int64_t missing = 0; // grid steps between the first and last onset with no onset
    double tempo = 0;
    double cpuPercent = 0; // of one core, while playing
    double uiCpuPercent = 0; // the UI thread's share: timers, steps, lights
    double lightLagMs = 0; // largest lag of a light behind its click (negative: ahead)
    double meanLightLagMs = 0;
};

Result measure(const std::vector<float>& stereo,
    int tempo,
    int mult,
    double cpu,
    double wallSeconds,
    const std::vector<std::int64_t>& lightStamps)
{
    Result result;
    const auto onsets = findClickOnsets(stereo, kOnsetThreshold, clickbench::kMinGap);
    result.clicks = static_cast<int>(onsets.size());
    result.cpuPercent = 100.0 * cpu / wallSeconds;
    if (onsets.size() < 2)
        return result;
    const std::int64_t rate = std::int64_t { tempo } * mult;
    const std::int64_t first = onsets.front();
    std::int64_t expectedStep = 0;
    for (std::int64_t onset : onsets) {
        // The nearest grid step, then the distance from its exact sample.
        const std::int64_t k = ((onset - first) * rate + kRate * 30) / (kRate * 60);
        const std::int64_t grid = first + k * kRate * 60 / rate;
        result.maxDeviation = std::max<std::int64_t>(result.maxDeviation, std::llabs(onset - grid));
        result.missing += k - expectedStep;
        expectedStep = k + 1;
    }
    const double minutes = static_cast<double>(onsets.back() - first) / kRate / 60.0;
    result.tempo = static_cast<double>(onsets.size() - 1) / minutes / mult;
    // A click's lag: to the first change of the lights that shows it (or, when steps come faster
    // than the display shows, a later step: the change it was coalesced into), which may come up
    // to a millisecond before the click.
    std::size_t stamp = 0;
    std::size_t lit = 0;
    for (std::int64_t onset : onsets) {
        while (stamp < lightStamps.size() && lightStamps[stamp] < onset - kLightEarlySamples)
            ++stamp;
        if (stamp == lightStamps.size())
            break;
        const double lag = static_cast<double>(lightStamps[stamp] - onset) * 1000.0 / kRate;
        if (lit == 0 || std::fabs(lag) > std::fabs(result.lightLagMs))
            result.lightLagMs = lag;
        result.meanLightLagMs += lag;
        ++lit;
    }
    if (lit > 0)
        result.meanLightLagMs /= static_cast<double>(lit);
    return result;
}

std::vector<float> readRawFloats(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    std::vector<float> out(static_cast<std::size_t>(bytes.size()) / sizeof(float));
    std::memcpy(out.data(), bytes.constData(), out.size() * sizeof(float));
    return out;
}

// Holds the UI thread up for 2 s at random moments, 3 to 10 s apart, until the case ends.
void blockUiAtRandom(std::mt19937& random, int& blocks)
{
    std::uniform_int_distribution<int> gapMs(3000, 10000);
    QTimer::singleShot(gapMs(random), QCoreApplication::instance(), [&random, &blocks] {
        std::this_thread::sleep_for(std::chrono::seconds(2));
        ++blocks;
        blockUiAtRandom(random, blocks);
    });
}

int runCase(int tempo, int mult, int seconds, bool sdl, bool blockUi)
{
    QTemporaryDir dir;
    clickbench::writeClips(dir.path());
    Platform platform;
    clickbench::giveFilesAndSettings(platform, dir.path());

    std::vector<float> captured;
    OfflineAudioDevice* offline = nullptr;
    if (sdl) {
        platform.audio = std::make_unique<AudioEngine>(std::make_unique<SdlAudioDevice>());
    } else {
        captured.reserve(static_cast<std::size_t>(seconds + 2) * kRate * 2);
        auto device = std::make_unique<OfflineAudioDevice>(SdlAudioDevice::kRequestedBlockFrames);
        offline = device.get();
        device->setSink([&captured](const float* block, int frames, std::int64_t) {
            captured.insert(captured.end(), block, block + 2 * frames);
        });
        platform.audio = std::make_unique<AudioEngine>(std::move(device));
        offline->startPaced();
    }

    Result result;
    int blocks = 0;
    {
        auto sounds = std::make_unique<ClickSounds>(platform, dir.path());
        sounds->LoadClickSoundIds();
        StampingLights lights(*platform.audio);
        auto flam = std::make_unique<frmFlam>(platform, std::move(sounds));
        flam->setLights(&lights);
        flam->setLabel3(NumText(tempo * mult));
        flam->SvirajNormal(QStringLiteral("UDDD"));

        std::mt19937 random(std::random_device {}());
        if (blockUi)
            blockUiAtRandom(random, blocks);
        const double cpuStart = cpuSeconds();
        const double uiCpuStart = cpuSeconds(RUSAGE_THREAD);
        const auto wallStart = std::chrono::steady_clock::now();
        flam->Timer2.setEnabled(true);
        QTimer::singleShot(seconds * 1000, QCoreApplication::instance(), &QCoreApplication::quit);
        QCoreApplication::exec();
        flam->Timer2.setEnabled(false);
        const double cpu = cpuSeconds() - cpuStart;
        const double uiCpu = cpuSeconds(RUSAGE_THREAD) - uiCpuStart;
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();

        flam.reset(); // with its click sounds
        if (offline)
            offline->stopPaced();
        else
            platform.audio.reset(); // closes the device, so the disk driver's file is complete
        if (sdl) {
            const QByteArray name = qgetenv("SDL_DISKAUDIOFILE");
            captured = readRawFloats(
                name.isEmpty() ? QStringLiteral("sdlaudio.raw") : QString::fromLocal8Bit(name));
        }
        result = measure(captured, tempo, mult, cpu, wall, lights.stamps);
        result.uiCpuPercent = 100.0 * uiCpu / wall;
    }
    std::printf("RESULT %d %d %d %lld %lld %.4f %.3f %.3f %.1f %.1f %lld %d\n", tempo, mult,
        result.clicks, static_cast<long long>(result.maxDeviation),
        static_cast<long long>(result.missing), result.tempo, result.cpuPercent,
        result.uiCpuPercent, result.meanLightLagMs, result.lightLagMs,
        static_cast<long long>(captured.size() / 2), blocks);
    return 0;
}

struct Case
{
    int tempo;
    int mult;
};

void runCases(const std::vector<Case>& cases, int seconds, int jobs, bool blockUi)
{
    std::printf("%-7s %-5s %6s %7s %11s %8s %14s %16s %22s %9s\n", "tempo", "note", "rate",
        "clicks", "max dev", "missing", "tempo heard", "CPU %: all / UI", "light lag ms mean/max",
        "UI blocks");
    std::size_t next = 0;
    while (next < cases.size()) {
        std::vector<std::unique_ptr<QProcess>> running;
        for (int j = 0; j < jobs && next < cases.size(); ++j, ++next) {
            auto process = std::make_unique<QProcess>();
            QStringList args { QStringLiteral("--case"), QString::number(cases[next].tempo),
                QString::number(cases[next].mult), QString::number(seconds) };
            if (blockUi)
                args << QStringLiteral("--block-ui");
            process->start(QCoreApplication::applicationFilePath(), args);
            running.push_back(std::move(process));
        }
        for (auto& process : running) {
            process->waitForFinished(-1);
            int tempo = 0, mult = 0, clicks = 0, blocks = 0;
            long long deviation = 0, missing = 0, frames = 0;
            double heard = 0, cpu = 0, uiCpu = 0, meanLag = 0, lag = 0;
            const QByteArray out = process->readAllStandardOutput();
            if (std::sscanf(out.constData(),
                    "RESULT %d %d %d %lld %lld %lf %lf %lf %lf %lf %lld %d", &tempo, &mult, &clicks,
                    &deviation, &missing, &heard, &cpu, &uiCpu, &meanLag, &lag, &frames, &blocks)
                != 12) {
                std::printf("a case failed (exit %d): %s\n", process->exitCode(),
                    process->readAllStandardError().constData());
                continue;
            }
            const char* note = mult == 1 ? "1/4" : mult == 2 ? "1/8" : "1/16";
            std::printf(
                "%-7d %-5s %6d %7d %7lld smp %8lld %14.4f %8.3f / %5.3f %12.1f /%7.1f %9d\n", tempo,
                note, tempo * mult, clicks, deviation, missing, heard, cpu, uiCpu, meanLag, lag,
                blocks);
            std::fflush(stdout);
        }
    }
}

int runAll(int seconds, int loadSeconds, int jobs)
{
    std::vector<Case> cases;
    for (int tempo : { 40, 120, 351 })
        for (int mult : { 1, 2, 4 })
            cases.push_back({ tempo, mult });
    // Typed tempos in sixteenths, up to the fastest the engine times.
    cases.push_back({ 600, 4 });
    cases.push_back({ 2000, 4 });
    runCases(cases, seconds, jobs, false);
    if (loadSeconds <= 0)
        return 0;

    const int loops = 2 * QThread::idealThreadCount();
    std::printf("\nUnder %d busy loops (2 per core), each case's UI thread held up for 2 s at "
                "random moments, %d s a case:\n",
        loops, loadSeconds);
    std::fflush(stdout);
    std::vector<std::unique_ptr<QProcess>> busy;
    for (int i = 0; i < loops; ++i) {
        busy.push_back(std::make_unique<QProcess>());
        busy.back()->start(QCoreApplication::applicationFilePath(), { QStringLiteral("--busy") });
    }
    runCases({ { 120, 1 }, { 351, 4 }, { 2000, 4 } }, loadSeconds, 3, true);
    for (auto& process : busy) {
        process->kill();
        process->waitForFinished(-1);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--busy") == 0) {
        std::atomic<std::uint64_t> spin { 0 };
        for (;;)
            spin.fetch_add(1, std::memory_order_relaxed);
    }
    // The engine form holds the menus, which need the widget application; no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 5 && (args[1] == "--case" || args[1] == "--sdl"))
        return runCase(args[2].toInt(), args[3].toInt(), args[4].toInt(), args[1] == "--sdl",
            args.contains(QStringLiteral("--block-ui")));
    int seconds = 20;
    int loadSeconds = 30;
    int jobs = 3;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == "--seconds")
            seconds = args[i + 1].toInt();
        else if (args[i] == "--load-seconds")
            loadSeconds = args[i + 1].toInt();
        else if (args[i] == "--jobs")
            jobs = std::max(1, args[i + 1].toInt());
    }
    return runAll(seconds, loadSeconds, jobs);
}
