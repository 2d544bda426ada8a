// The timed scales' grid, end to end: the "Major" scale at tempo 500 and at tempo 50 on the
// built-in synthesizer, the device paced by the wall clock and the steps placed by real wake-ups
// of the event loop. Two sets of figures for each tempo:
//
// Placed: for every Note On, the sample it was placed on and the engine's clock at that moment.
// The largest distance of a note from the grid drawn from the first note at the scale's interval
// (goal: 0), the drift (goal: 0) and the least time a note was placed ahead of its sample (below 0
// it would have sounded late).
//
// Heard: the onsets in the sound the paced device really rendered. A piano note's sample starts
// with a short run-in of its own (up to some hundreds of samples, different for every key), which
// would hide the timing, so each note's own latency is learnt first: the note alone on a fresh
// synth (same program), placed on a sample at the start of one of the synth's 64-sample blocks,
// its onset the first sample whose level passes kThreshold. The scale holds its earlier notes
// while it strikes the next, so a step's onset cannot be read off the run's level; instead the
// run is replayed offline on a fresh synth with every message sent before the step's Note On and
// without it and anything later: the synth is deterministic and mixes voices by adding them, so
// the run's sound minus that replay is the newly struck note alone, and its onset is the first
// sample where the difference passes kThreshold. A step's error is that onset minus (its grid
// sample + its note's own latency). The largest distance (goal: within one 64-sample synth
// block, where the synth takes messages in) and the drift (the slope of a least-squares line
// through the errors, over the run; goal: 0) are printed, with the largest difference between
// the run's sound and a replay of the whole run (0 shows the replays are faithful). The synth
// takes a message in at the next start of its own block, so the errors step through a sawtooth
// of 0 to 63 samples as the grid's samples fall on different places of a block, and a line fit
// through a sawtooth slopes a little even with nothing drifting: the errors less that rounding
// (to the next multiple of 64 of the engine's clock, where the synth's blocks start while it
// plays) are printed too, with their largest distance and drift (goal: 0 for both).
// Run by hand: scale_timing.
#include "PacedPiano.h"
#include "PlacingPort.h"
#include "SoundOnsets.h"
#include "piano/PianoCore.h"
#include "piano/ScalePlayer.h"
#include "piano/ScaleTempo.h"
#include "platform/FakePlatform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/basic/FakeMessageBoxService.h"
#include "platform/basic/WakeTimer.h"
#include "platform/midi/BuiltInSynthPort.h"
#include "platform/settings/SettingsStore.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

#include <QApplication>
#include <QTimer>

namespace {

// Room for the longest run (tempo 50: 18 steps of 1.2 s) and the start.
constexpr std::int64_t kHeardFrames = 40 * AudioEngine::kSampleRate;

int run(const char* tempoText)
{
    HeardSound recording(kHeardFrames);
    PlacingPort* port = nullptr;
    PacedPiano paced(
        [&port](AudioEngine& engine) {
            return makePlacingMidiOut(engine, port);
        },
        recording.sink());
    FakePlatform& fake = paced.fake;
    fake.platform.settings->SaveRegValue(QStringLiteral("Taktovia"), QStringLiteral("Gitara"),
        QStringLiteral("Speed"), QString::fromLatin1(tempoText));
    PianoCore& piano = *paced.piano;
    ScaleTempo tempo(*fake.platform.settings, fake.boxes());
    tempo.load();
    ScalePlayer scales(piano, tempo, *fake.platform.midiOut, paced.now(), makeQtWakeTimer(), {});
    scales.C2_Click(0);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!scales.running()) {
            poll.stop();
            // A second more for the last notes' onsets to be rendered.
            QTimer::singleShot(1000, [] {
                QCoreApplication::quit();
            });
        }
    });
    poll.start(20);
    QCoreApplication::exec();
    fake.audioDevice().stopPaced();
    const std::vector<float> heard = recording.take();

    std::vector<std::size_t> strikes;
    for (std::size_t i = 0; i < port->sent.size(); ++i) {
        if (port->sent[i].at && isNoteOn(port->sent[i].message))
            strikes.push_back(i);
    }
    if (strikes.size() != 16) {
        std::fprintf(stderr, "tempo %s: %zu notes, not 16\n", tempoText, strikes.size());
        return 1;
    }
    const std::int64_t intervalMs = tempo.intervalMs();
    const std::int64_t first = *port->sent[strikes.front()].at;
    const auto grid = [&](std::size_t k) {
        return first + std::int64_t(k) * intervalMs * AudioEngine::kSampleRate / 1000;
    };

    std::vector<std::int64_t> placedErrors, heardErrors, beyondBlock;
    std::int64_t leastAhead = std::numeric_limits<std::int64_t>::max();
    std::int64_t minLatency = std::numeric_limits<std::int64_t>::max(), maxLatency = 0;
    const std::int64_t searchBack = intervalMs * AudioEngine::kSampleRate / 2000;
    for (std::size_t k = 0; k < strikes.size(); ++k) {
        const PlacingPort::Sent& strike = port->sent[strikes[k]];
        placedErrors.push_back(*strike.at - grid(k));
        leastAhead = std::min(leastAhead, *strike.at - strike.sentWhen);

        // The note's own latency: alone, after the messages sent before the run (the program).
        const std::optional<std::int64_t> latency =
            ownLatency(port->sent, strikes.front(), { strike });
        // The run without this step's note and the rest: the difference is the new note.
        const std::optional<std::int64_t> onset = heardOnset(heard, port->sent, strikes[k],
            grid(k) - searchBack, grid(k) + AudioEngine::kSampleRate);
        if (!latency || !onset) {
            std::fprintf(
                stderr, "tempo %s: step %zu: no onset found (no SoundFont?)\n", tempoText, k + 1);
            return 1;
        }
        minLatency = std::min(minLatency, *latency);
        maxLatency = std::max(maxLatency, *latency);
        heardErrors.push_back(*onset - (grid(k) + *latency));
        beyondBlock.push_back(
            heardErrors.back() - (*strike.at - grid(k)) - blockRounding(*strike.at));
    }
    const float mismatch = replayMismatch(heard, port->sent);

    const GridFigures placedFigures = gridFigures(placedErrors);
    const GridFigures heardFigures = gridFigures(heardErrors);
    const GridFigures beyondFigures = gridFigures(beyondBlock);
    std::printf("tempo %-4s (%4lld ms, 16 notes)\n", tempoText, static_cast<long long>(intervalMs));
    std::printf("  placed: largest distance from the grid %lld samples, drift %.1f samples, least "
                "time ahead %lld samples\n",
        static_cast<long long>(placedFigures.largest), placedFigures.drift,
        static_cast<long long>(leastAhead));
    std::printf("  heard:  largest distance from the grid %lld samples (goal 64), drift %.1f "
                "samples (goal 0); notes' own latencies %lld to %lld samples; errors:",
        static_cast<long long>(heardFigures.largest), heardFigures.drift,
        static_cast<long long>(minLatency), static_cast<long long>(maxLatency));
    for (const std::int64_t e : heardErrors)
        std::printf(" %lld", static_cast<long long>(e));
    std::printf("\n  heard less the rounding to the synth's block: largest distance %lld samples, "
                "drift %.1f samples (goal 0 for both)",
        static_cast<long long>(beyondFigures.largest), beyondFigures.drift);
    std::printf("\n  run's sound against its whole replay: largest difference %g (onsets at %g)\n",
        double(mismatch), double(kThreshold));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return run("500") | run("50");
}
