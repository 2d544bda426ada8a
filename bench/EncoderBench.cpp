// The encoder library against the `lame` command on the same 5-minute 44100 Hz stereo WAV with
// the same settings (no ReplayGain analysis in either): prints each time and lame's time over
// ours, which should be 0.95 or more (processor time is the steadier measure on a busy machine).
// Run by hand: encoder_bench [--runs N] (best of N, default 3).
#include "FileBytes.h"
#include "WavBytes.h"
#include "recorder/EncoderLibrary.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/resource.h>

namespace {

constexpr int kRate = 44100;
constexpr int kSeconds = 300;

// Chords that change every two seconds over a little noise, so the encoder has music-like work.
QByteArray musicWav()
{
    wavbytes::Bytes data;
    data.reserve(static_cast<std::size_t>(kRate) * kSeconds * 4);
    std::uint32_t seed = 7;
    const double roots[] = { 220.0, 246.94, 261.63, 293.66, 329.63, 196.0 };
    for (long i = 0; i < static_cast<long>(kRate) * kSeconds; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double root = roots[(i / (2 * kRate)) % 6];
        seed = seed * 1664525u + 1013904223u;
        const double noise = (static_cast<double>(seed >> 8) / 16777216.0 - 0.5) * 0.02;
        const double l = 0.2 * std::sin(2 * M_PI * root * t)
            + 0.15 * std::sin(2 * M_PI * root * 1.25 * t)
            + 0.1 * std::sin(2 * M_PI * root * 1.5 * t) + noise;
        const double r = 0.2 * std::sin(2 * M_PI * root * 2 * t)
            + 0.1 * std::sin(2 * M_PI * root * 1.5 * t) - noise;
        wavbytes::put16(data, static_cast<std::uint16_t>(std::lround(l * 32767)));
        wavbytes::put16(data, static_cast<std::uint16_t>(std::lround(r * 32767)));
    }
    const wavbytes::Bytes file = wavbytes::wavFile(2, kRate, 16, data);
    return QByteArray(
        reinterpret_cast<const char*>(file.data()), static_cast<qsizetype>(file.size()));
}

// Processor seconds (user and system) of this process and of its finished children: the other
// work on a shared machine moves wall-clock times far more than it moves these.
double cpuSeconds()
{
    double total = 0;
    for (const int who : { RUSAGE_SELF, RUSAGE_CHILDREN }) {
        rusage usage {};
        getrusage(who, &usage);
        total += usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
            + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    return total;
}

struct Timing
{
    double cpu = 1e9;
    double wall = 1e9;
};

// The best of `runs` times, or nullopt when `job` failed.
std::optional<Timing> bestOf(int runs, const std::function<bool()>& job)
{
    Timing best;
    for (int i = 0; i < runs; ++i) {
        const double cpuStart = cpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        if (!job())
            return std::nullopt;
        best.wall = std::min(best.wall,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        best.cpu = std::min(best.cpu, cpuSeconds() - cpuStart);
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    int runs = 3;
    const QStringList args = application.arguments();
    if (const qsizetype at = args.indexOf("--runs"); at >= 0 && at + 1 < args.size())
        runs = std::max(1, args[at + 1].toInt());

    const QString lame = QStandardPaths::findExecutable("lame");
    if (lame.isEmpty()) {
        std::fprintf(stderr, "the lame command is not installed (scripts/install-deps)\n");
        return 2;
    }
    QTemporaryDir folder;
    const QString in = folder.filePath("music.wav");
    if (!folder.isValid() || !writeFileBytes(in, musicWav()))
        return 2;

    EncoderLibrary library(QStringLiteral(WAVPRESS_FOLDER));

    struct Setting
    {
        const char* name;
        bool vbr;
        QStringList lameArgs;
    };

    const Setting settings[] = {
        { "constant 256 kbit/s stereo", false,
            { "-b", "256", "--cbr", "-m", "s", "--resample", "44.1" } },
        { "VBR quality 7, at most 128 kbit/s", true,
            { "-V", "7", "-B", "128", "-m", "s", "--resample", "44.1" } },
    };
    int status = 0;
    for (const Setting& s : settings) {
        const std::optional<Timing> ours = bestOf(runs, [&] {
            if (s.vbr && library.SetVBR(1, 7, 0, 128) != 0)
                return false;
            return library.EncodeMp3(
                       in, folder.filePath("ours.mp3"), s.vbr ? 128 : 256, kRate, 0, nullptr)
                == 0;
        });
        const std::optional<Timing> theirs = bestOf(runs, [&] {
            return QProcess::execute(lame,
                       QStringList { "--quiet", "--noreplaygain" } + s.lameArgs
                           + QStringList { in, folder.filePath("lame.mp3") })
                == 0;
        });
        if (!ours || !theirs) {
            std::fprintf(stderr, "%s: encoding failed (%s)\n", s.name, qPrintable(library.error()));
            status = 1;
            continue;
        }
        std::printf("%s\n  library: %.3f s processor, %.3f s wall, %lld bytes\n"
                    "  lame:    %.3f s processor, %.3f s wall, %lld bytes\n"
                    "  ratio (lame over library): %.3f processor, %.3f wall\n",
            s.name, ours->cpu, ours->wall,
            static_cast<long long>(QFile(folder.filePath("ours.mp3")).size()), theirs->cpu,
            theirs->wall, static_cast<long long>(QFile(folder.filePath("lame.mp3")).size()),
            theirs->cpu / ours->cpu, theirs->wall / ours->wall);
    }
    return status;
}
