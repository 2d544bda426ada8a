// A long take through the real engine: SDL's disk driver reads a known 44100 Hz 16-bit stereo
// signal at its own real-time pace while the recorder window polls every 200 ms; then Stop and a
// save. Checks that the saved file holds the input sample for sample with no overrun and that the
// take's file in the cache folder went with the save, and prints the CPU used while recording,
// the resident memory sampled each second over the take (goal: flat within 2 MB once recording)
// and the time the save takes.
//
// recorder_bench [--seconds S]   (default 600; 1800 for the half-hour figure)

#include "platform/Platform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/WaveCapture.h"
#include "platform/mci/MciCommandInterpreter.h"
#include "platform/settings/SettingsStore.h"
#include "recorder/frmRec.h"
#include "recorder/frmSettings.h"
#include "recorder/modrec.h"
#include "windows/Mp3Window.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

namespace {

struct NoEncoder : Mp3Window
{
    void ubaciW(const QString&, const QString&) override {}

    void show() override {}
};

double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) {
        return double(t.tv_sec) + double(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Frames [first, first + frames) of the input. Each frame differs from its neighbours in both
// channels, so a drop, repeat or gap shows. Made a second at a time, so that the bench holds no
// more of it than the program does.
QByteArray knownSignal(qint64 first, qint64 frames)
{
    QByteArray bytes(frames * 4, Qt::Uninitialized);
    auto* samples = reinterpret_cast<qint16*>(bytes.data());
    for (qint64 n = 0; n < frames; ++n) {
        const qint64 i = first + n;
        samples[n * 2] = qint16(int(8000 * std::sin(double(i) * 0.0627)) + int(i % 97));
        samples[n * 2 + 1] = qint16(int(i % 65521) - 32760);
    }
    return bytes;
}

double residentMegabytes()
{
    std::ifstream statm("/proc/self/statm");
    long long size = 0;
    long long resident = 0;
    statm >> size >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1 << 20);
}

// The first byte of the file's data where it differs from the input, or -1 when it holds the
// input's first `bytes` bytes exactly.
qint64 firstDifference(const QString& path, qint64 bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(44))
        return 0;
    for (qint64 at = 0; at < bytes;) {
        const QByteArray piece = file.read(std::min<qint64>(bytes - at, 44100 * 4));
        if (piece.isEmpty() || piece != knownSignal(at / 4, piece.size() / 4))
            return at;
        at += piece.size();
    }
    return -1;
}

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char** argv)
{
    int seconds = 600;
    for (int i = 1; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == "--seconds")
            seconds = std::atoi(argv[i + 1]);

    QTemporaryDir dir;
    const QString input = dir.path() + "/input.raw";
    {
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly))
            return 2;
        // More than the take needs.
        for (qint64 second = 0; second < seconds + 30; ++second) {
            const QByteArray piece = knownSignal(second * 44100, 44100);
            if (file.write(piece) != piece.size())
                return 2;
        }
    }
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILEIN", input.toLocal8Bit());
    qputenv("SDL_DISKAUDIOFILE", "/dev/null");
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (dir.path() + "/cache").toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    std::unique_ptr<Platform> platform = makeRealPlatform();
    platform->settings->SaveRegValue(
        "Taktovia", "Gitara", "Channels", "2", SettingsStore::kCurrentUser, "Software");
    modrec rec(*platform->mci, *platform->boxes);
    NoEncoder encoder;
    frmRec& window = frmRec::load(*platform, rec, encoder);

    window.cmdRecord->click();
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    // Sampled on the UI thread like the poll; the sampling itself holds nothing that grows.
    std::vector<double> resident;
    resident.reserve(std::size_t(seconds) + 2);
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&resident] {
        resident.push_back(residentMegabytes());
    });
    sampler.start(1000);
    wait(seconds * 1000);
    sampler.stop();
    const double cpuUsed = cpuSeconds() - cpuBefore;
    const double wallUsed = wall.elapsed() / 1000.0;
    window.cmdStop->click();
    const QStringList takeFiles = QDir(dir.path() + "/cache/kadentor").entryList(QDir::Files);

    const QString path = dir.path() + "/long take.wav";
    QElapsedTimer saving;
    saving.start();
    const bool saved = rec.SaveWave(path);
    const double saveSeconds = saving.elapsed() / 1000.0;

    const qint64 dataBytes = saved ? QFileInfo(path).size() - 44 : 0;
    const bool same = dataBytes > 0 && firstDifference(path, dataBytes) < 0;
    const bool takeGone = QDir(dir.path() + "/cache/kadentor").entryList(QDir::Files).isEmpty();
    const std::uint64_t overruns = platform->audio->capture().overruns();
    std::printf("recorded %.1f s of audio in %.1f s: %lld bytes, %s the input, %llu overruns\n",
        double(dataBytes) / 176400.0, wallUsed, static_cast<long long>(dataBytes),
        same ? "sample for sample" : "NOT", static_cast<unsigned long long>(overruns));
    std::printf("take file while recording: %s; after the save: %s\n",
        takeFiles.size() == 1 ? qPrintable(takeFiles[0]) : "NOT ONE FILE",
        takeGone ? "gone" : "STILL THERE");
    std::printf("CPU while recording: %.2f %% of one core (goal: under 1 %%)\n",
        100.0 * cpuUsed / wallUsed);
    // The first ten seconds settle the threads, the ring and the allocator.
    bool flat = resident.size() > 11;
    if (flat) {
        const double settled = resident[9];
        const auto [least, most] = std::minmax_element(resident.begin() + 9, resident.end());
        flat = *most - settled <= 2.0;
        std::printf("resident memory over the take: %.1f MB after 1 s, %.1f MB after 10 s, "
                    "%.1f to %.1f MB after, %.1f MB at the end: %+.2f MB (goal: flat within "
                    "2 MB)\n",
            resident.front(), settled, *least, *most, resident.back(), *most - settled);
    }
    std::printf("save: %.3f s (goal: under 2 s)\n", saveSeconds);
    frmRec::unload();
    frmSettings::unload(); // loaded hidden by Stop
    return same && overruns == 0 && takeGone && flat ? 0 : 1;
}
