// The drum accompaniment's grid, end to end: "Rock" for a minute on the built-in synthesizer,
// the device paced by the wall clock and the steps placed by real wake-ups of the event loop.
// For every drum note it records the sample the note was placed on and the engine's clock at
// that moment, and prints the largest distance of a step from the grid drawn from the first
// step at the style's interval (goal: 0; the synthesizer then starts the note within its own
// 64-sample block), the drift of the last step (goal: 0), the least time a step was placed
// ahead of its sample (below 0 it would have sounded late), and the CPU time the UI thread spent
// (wake-ups and placing; the synthesizer renders on the device's thread). Run by hand:
// groove_timing [--seconds S].
#include "PacedPiano.h"
#include "PlacingPort.h"
#include "piano/BeatAccompaniment.h"
#include "piano/PianoCore.h"
#include "platform/FakePlatform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/basic/WakeTimer.h"
#include "platform/midi/BuiltInSynthPort.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>
#include <vector>

#include <QApplication>
#include <QTimer>

namespace {

double threadCpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int seconds = 60;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0)
            seconds = std::max(1, std::atoi(argv[i + 1]));
    }

    PlacingPort* port = nullptr;
    PacedPiano paced([&port](AudioEngine& engine) {
        return makePlacingMidiOut(engine, port);
    });
    BeatAccompaniment beats(
        *paced.piano, *paced.fake.platform.midiOut, paced.now(), makeQtWakeTimer(), {});
    port->placed.clear();

    const double cpuBefore = threadCpuSeconds();
    beats.mnBeat(0);
    QTimer::singleShot(seconds * 1000, [] {
        QCoreApplication::quit();
    });
    QCoreApplication::exec();
    const double cpu = threadCpuSeconds() - cpuBefore;
    beats.stop();

    if (port->placed.empty()) {
        std::fprintf(stderr, "no step was placed\n");
        return 1;
    }
    const std::int64_t intervalMs = beats.BeatStyles()[0].Interval;
    const std::int64_t first = port->placed.front().at;
    std::int64_t worst = 0, drift = 0, steps = 0;
    std::int64_t leastAhead = std::numeric_limits<std::int64_t>::max();
    for (const PlacingPort::Placed& p : port->placed) {
        // Rests place nothing: the step is the grid point nearest to the note.
        steps = std::llround(
            double(p.at - first) * 1000.0 / double(intervalMs * AudioEngine::kSampleRate));
        drift = p.at - (first + steps * intervalMs * AudioEngine::kSampleRate / 1000);
        worst = std::max(worst, std::abs(drift));
        leastAhead = std::min(leastAhead, p.at - p.placedWhen);
    }
    std::printf("Rock for %d s: %zu notes over %lld steps; largest distance from the grid %lld "
                "samples, drift at the last step %lld samples, least time ahead %lld samples; "
                "UI thread CPU %.3f s (%.3f %% of one core)\n",
        seconds, port->placed.size(), static_cast<long long>(steps + 1),
        static_cast<long long>(worst), static_cast<long long>(drift),
        static_cast<long long>(leastAhead), cpu, 100.0 * cpu / seconds);
    return 0;
}
