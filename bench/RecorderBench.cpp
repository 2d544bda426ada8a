// A long take through the real engine: SDL's disk driver reads a known 44100 Hz 16-bit stereo
// signal at its own real-time pace while the recorder window polls every 200 ms; then Stop and a
// save. Checks that the saved file holds the input sample for sample with no overrun, and prints
// the CPU used while recording and the time the save takes.
//
// recorder_bench [--seconds S]   (default 600)

#include "platform/Platform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/WaveCapture.h"
#include "platform/mci/MciCommandInterpreter.h"
#include "platform/settings/SettingsStore.h"
#include "recorder/frmRec.h"
#include "recorder/frmSettings.h"
#include "recorder/modrec.h"
#include "windows/Mp3Window.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

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

// Each frame differs from its neighbours in both channels, so a drop, repeat or gap shows.
QByteArray knownSignal(int seconds)
{
    const qsizetype frames = qsizetype(seconds + 30) * 44100; // more than the take needs
    QByteArray bytes(frames * 4, Qt::Uninitialized);
    auto* samples = reinterpret_cast<qint16*>(bytes.data());
    for (qsizetype i = 0; i < frames; ++i) {
        samples[i * 2] = qint16(int(8000 * std::sin(i * 0.0627)) + int(i % 97));
        samples[i * 2 + 1] = qint16(int(i % 65521) - 32760);
    }
    return bytes;
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
    const QByteArray signal = knownSignal(seconds);
    {
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly) || file.write(signal) != signal.size())
            return 2;
    }
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILEIN", input.toLocal8Bit());
    qputenv("SDL_DISKAUDIOFILE", "/dev/null");
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
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
    wait(seconds * 1000);
    const double cpuUsed = cpuSeconds() - cpuBefore;
    const double wallUsed = wall.elapsed() / 1000.0;
    window.cmdStop->click();

    const QString path = dir.path() + "/long take.wav";
    QElapsedTimer saving;
    saving.start();
    const bool saved = rec.SaveWave(path);
    const double saveSeconds = saving.elapsed() / 1000.0;

    QFile file(path);
    const QByteArray wav = saved && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    const QByteArray data = wav.mid(44);
    const bool same = !data.isEmpty() && data.size() <= signal.size()
        && std::equal(data.begin(), data.end(), signal.begin());
    const std::uint64_t overruns = platform->audio->capture().overruns();
    std::printf("recorded %.1f s of audio in %.1f s: %lld bytes, %s the input, %llu overruns\n",
        data.size() / 176400.0, wallUsed, static_cast<long long>(data.size()),
        same ? "sample for sample" : "NOT", static_cast<unsigned long long>(overruns));
    std::printf("CPU while recording: %.2f %% of one core (goal: under 1 %%)\n",
        100.0 * cpuUsed / wallUsed);
    std::printf("save: %.3f s (goal: under 2 s)\n", saveSeconds);
    frmRec::unload();
    frmSettings::unload(); // loaded hidden by Stop
    return same && overruns == 0 ? 0 : 1;
}
