// The encoding run in the encoder window, offscreen, with the real library on a 10-minute 44100 Hz
// stereo WAV: the longest gap between two event-processing calls (goal: 50 ms), the time from
// Stop to the end of the run (goal: 100 ms), and the run's time over a bare EncodeMp3 call
// without progress reports (goal: under 2 % more). Run by hand: encoding_run_bench [--runs N]
// (best of N, default 1).
#include "platform/FakePlatform.h"
#include "platform/audio/WavWriter.h"
#include "recorder/EncoderLibrary.h"
#include "recorder/EncoderSession.h"
#include "recorder/frmMp3.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point from)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

QByteArray tenMinutes()
{
    constexpr int kRate = 44100;
    QByteArray pcm(static_cast<qsizetype>(kRate) * 600 * 4, Qt::Uninitialized);
    auto* out = reinterpret_cast<std::int16_t*>(pcm.data());
    std::uint32_t seed = 11;
    for (long i = 0; i < static_cast<long>(kRate) * 600; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double t = static_cast<double>(i) / kRate;
        const double noise = (static_cast<double>(seed >> 8) / 16777216.0 - 0.5) * 0.02;
        const double tone = 0.3 * std::sin(2 * M_PI * (220 + 20 * (i / (3 * kRate) % 7)) * t);
        out[2 * i] = static_cast<std::int16_t>(std::lround((tone + noise) * 32767));
        out[2 * i + 1] = static_cast<std::int16_t>(std::lround((tone - noise) * 32767));
    }
    return wavFileBytes(2, kRate, 16, pcm);
}

// The encoder window noting when it lets events run, and pressing Stop once `stopAfterMs` has
// passed.
class TimedWindow : public frmMp3
{
public:
    using frmMp3::frmMp3;

    void processEvents() override
    {
        const Clock::time_point now = Clock::now();
        if (last)
            longestGapMs = std::max(
                longestGapMs, std::chrono::duration<double, std::milli>(now - *last).count());
        last = now;
        if (stopAfterMs > 0 && !stoppedAt && msSince(started) > stopAfterMs) {
            stoppedAt = Clock::now();
            cmdCancel->click();
        }
        frmMp3::processEvents();
    }

    Clock::time_point started;
    std::optional<Clock::time_point> last;
    std::optional<Clock::time_point> stoppedAt;
    double longestGapMs = 0;
    double stopAfterMs = 0;
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int runs = 1;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));

    FakePlatform fake;
    const QString input = QDir(fake.dir.path()).filePath(QStringLiteral("take.wav"));
    QFile file(input);
    if (!file.open(QIODevice::WriteOnly) || file.write(tenMinutes()) < 0)
        return 1;
    file.close();
    EncoderLibrary library(QStringLiteral(WAVPRESS_FOLDER));
    EncoderSession session;

    double bareMs = 1e300;
    double runMs = 1e300;
    double gapMs = 1e300;
    for (int run = 0; run < runs; ++run) {
        const Clock::time_point bare = Clock::now();
        const auto result = library.EncodeMp3(input,
            QDir(fake.dir.path()).filePath(QStringLiteral("bare.mp3")), 128, 44100, 0, nullptr);
        if (result != 0) {
            std::fprintf(stderr, "bare encoding failed: %s\n", qPrintable(library.error()));
            return 1;
        }
        bareMs = std::min(bareMs, msSince(bare));

        TimedWindow window(fake.platform, functionsOf(library), session);
        window.txtOutdir->setText(fake.dir.path());
        window.ubaciW(input, QStringLiteral("take.wav"));
        window.cmbBitrate->setCurrentText(QStringLiteral("128"));
        window.started = Clock::now();
        window.cmbEncode->click();
        runMs = std::min(runMs, msSince(window.started));
        gapMs = std::min(gapMs, window.longestGapMs);
    }

    TimedWindow stopped(fake.platform, functionsOf(library), session);
    stopped.txtOutdir->setText(fake.dir.path());
    stopped.ubaciW(input, QStringLiteral("take.wav"));
    stopped.stopAfterMs = 1000;
    stopped.started = Clock::now();
    stopped.cmbEncode->click();
    const double stopMs = stopped.stoppedAt ? msSince(*stopped.stoppedAt) : -1;

    std::printf("bare EncodeMp3: %.0f ms; the run: %.0f ms (%+.2f %%, goal under +2 %%)\n", bareMs,
        runMs, (runMs / bareMs - 1) * 100);
    std::printf("longest gap between event processing: %.1f ms (goal 50 ms)\n", gapMs);
    std::printf("from Stop to the end of the run: %.1f ms (goal 100 ms)\n", stopMs);
    return 0;
}
