// The drum accompaniment's grid, end to end: "Rock" for a minute on the built-in synthesizer,
// the device paced by the wall clock and the steps placed by real wake-ups of the event loop.
//
// Placed: for every drum note, the sample it was placed on and the engine's clock at that
// moment: the largest distance of a step from the grid drawn from the first step at the style's
// interval (goal: 0), the drift of the last step (goal: 0) and the least time a step was placed
// ahead of its sample (below 0 it would have sounded late).
//
// Heard: the onsets in the sound the paced device really rendered, found as SoundOnsets.h tells:
// a step's notes are struck together, so the run-in of the step's set of notes alone is learnt
// (once for each set), and the step's onset is the first sample where the run's sound differs
// from a replay of everything sent before the step. A step's error is its onset minus (its grid
// sample + its set's run-in); the largest distance (goal: within one 64-sample synth block) and
// the drift (a least-squares line through the errors, over the run; goal: 0), then the same
// with the synth's rounding to its next block start taken off (goal: 0 for both), and the largest
// difference between the run's sound and a replay of the whole run (0: the replays are faithful).
//
// CPU: the time the UI thread spent (wake-ups and placing; the synthesizer renders on the
// device's thread). Run by hand: groove_timing [--seconds S]; each step replays the run up to it,
// so the heard figures take some minutes for the full minute.
#include "PacedPiano.h"
#include "PlacingPort.h"
#include "SoundOnsets.h"
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
#include <map>
#include <optional>
#include <vector>

#include <QApplication>
#include <QTimer>

namespace {

constexpr int kDrumChannel = 9;

double threadCpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// The drum notes placed on one sample: where the first was sent, and the notes.
struct Step
{
    std::int64_t at = 0;
    std::size_t firstSent = 0;
    std::vector<PlacingPort::Sent> notes;
};

std::vector<Step> drumSteps(const std::vector<PlacingPort::Sent>& sent)
{
    std::vector<Step> steps;
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const PlacingPort::Sent& message = sent[i];
        if (!message.at || !isNoteOn(message.message) || (message.message & 0x0F) != kDrumChannel)
            continue;
        if (steps.empty() || steps.back().at != *message.at)
            steps.push_back({ *message.at, i, {} });
        steps.back().notes.push_back(message);
    }
    return steps;
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

    HeardSound recording((std::int64_t(seconds) + 5) * AudioEngine::kSampleRate);
    PlacingPort* port = nullptr;
    PacedPiano paced(
        [&port](AudioEngine& engine) {
            return makePlacingMidiOut(engine, port);
        },
        recording.sink());
    BeatAccompaniment beats(
        *paced.piano, *paced.fake.platform.midiOut, paced.now(), makeQtWakeTimer(), {});
    port->placed.clear();

    const double cpuBefore = threadCpuSeconds();
    double cpu = 0;
    beats.mnBeat(0);
    QTimer::singleShot(seconds * 1000, [&] {
        cpu = threadCpuSeconds() - cpuBefore;
        beats.stop();
        // A second more for the last steps' onsets to be rendered.
        QTimer::singleShot(1000, [] {
            QCoreApplication::quit();
        });
    });
    QCoreApplication::exec();
    paced.fake.audioDevice().stopPaced();
    const std::vector<float> heard = recording.take();

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
    std::fflush(stdout);

    const std::int64_t stepFrames = intervalMs * AudioEngine::kSampleRate / 1000;
    const std::vector<Step> struck = drumSteps(port->sent);
    std::map<std::vector<std::uint32_t>, std::int64_t> latencies;
    std::vector<std::int64_t> heardErrors, beyondBlock;
    for (const Step& step : struck) {
        const std::int64_t grid =
            first + std::llround(double(step.at - first) / double(stepFrames)) * stepFrames;
        const std::int64_t end = grid + stepFrames;
        if (end > std::int64_t(heard.size() / 2))
            break;
        std::vector<std::uint32_t> set;
        for (const PlacingPort::Sent& note : step.notes)
            set.push_back(note.message);
        std::sort(set.begin(), set.end());
        if (!latencies.contains(set)) {
            // The set alone, after the messages sent before the run (the programs).
            const std::optional<std::int64_t> latency =
                ownLatency(port->sent, struck.front().firstSent, step.notes);
            if (!latency) {
                std::fprintf(stderr, "a step's notes alone are silent (no SoundFont?)\n");
                return 1;
            }
            latencies[set] = *latency;
        }
        const std::int64_t latency = latencies[set];
        const std::optional<std::int64_t> onset =
            heardOnset(heard, port->sent, step.firstSent, grid - stepFrames / 2, end);
        if (!onset) {
            std::fprintf(
                stderr, "the step at sample %lld is not heard\n", static_cast<long long>(step.at));
            return 1;
        }
        heardErrors.push_back(*onset - (grid + latency));
        beyondBlock.push_back(heardErrors.back() - (step.at - grid) - blockRounding(step.at));
    }
    std::int64_t minLatency = std::numeric_limits<std::int64_t>::max(), maxLatency = 0;
    for (const auto& [set, latency] : latencies) {
        minLatency = std::min(minLatency, latency);
        maxLatency = std::max(maxLatency, latency);
    }
    const GridFigures heardFigures = gridFigures(heardErrors);
    const GridFigures beyondFigures = gridFigures(beyondBlock);
    std::printf("heard: %zu struck steps; largest distance from the grid %lld samples (goal 64), "
                "drift %.1f samples (goal 0); %zu note sets' own latencies %lld to %lld samples\n",
        heardErrors.size(), static_cast<long long>(heardFigures.largest), heardFigures.drift,
        latencies.size(), static_cast<long long>(minLatency), static_cast<long long>(maxLatency));
    std::printf("heard less the rounding to the synth's block: largest distance %lld samples, "
                "drift %.1f samples (goal 0 for both)\n",
        static_cast<long long>(beyondFigures.largest), beyondFigures.drift);
    std::printf("run's sound against its whole replay: largest difference %g (onsets at %g)\n",
        double(replayMismatch(heard, port->sent)), double(kThreshold));
    return 0;
}
