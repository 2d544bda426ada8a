// The timed scales' grid, end to end: the "Major" scale at tempo 500 and at tempo 50 on the
// built-in synthesizer, the device paced by the wall clock and the steps placed by real wake-ups
// of the event loop. For every note struck it records the sample the note was placed on and the
// engine's clock at that moment, and prints the largest distance of a note from the grid drawn
// from the first note at the scale's interval (goal: 0, and never more than one 64-sample
// synthesizer block), the drift of the last note (goal: 0) and the least time a note was placed
// ahead of its sample (below 0 a note would have sounded late). Run by hand: scale_timing.
#include "PacedPiano.h"
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
#include <cstdio>
#include <limits>
#include <vector>

#include <QApplication>
#include <QTimer>

namespace {

// The piano's keys, noting where each press is placed and when.
struct PlacedPresses : KeyPlayer
{
    PlacedPresses(PianoCore& piano, AudioEngine& audio)
        : piano(piano)
        , audio(audio)
    {}

    void PressKey(int k) override
    {
        if (!piano.keyDownShown(k) && at)
            presses.push_back({ *at, audio.now() });
        piano.PressKey(k);
    }

    void ReleaseKey(int k) override { piano.ReleaseKey(k); }

    void DigniGa() override { piano.DigniGa(); }

    void placeNotesAt(std::optional<std::int64_t> sample) override
    {
        at = sample;
        piano.placeNotesAt(sample);
    }

    struct Press
    {
        std::int64_t at;
        std::int64_t placedWhen;
    };

    PianoCore& piano;
    AudioEngine& audio;
    std::optional<std::int64_t> at;
    std::vector<Press> presses;
};

int run(const char* tempoText)
{
    PacedPiano paced([](AudioEngine& engine) {
        return makeMidiOut(engine, sharedSoundFont());
    });
    FakePlatform& fake = paced.fake;
    fake.platform.settings->SaveRegValue(QStringLiteral("Taktovia"), QStringLiteral("Gitara"),
        QStringLiteral("Speed"), QString::fromLatin1(tempoText));
    PianoCore& piano = *paced.piano;
    AudioEngine& audio = *fake.platform.audio;
    PlacedPresses keys(piano, audio);
    ScaleTempo tempo(*fake.platform.settings, fake.boxes());
    tempo.load();
    ScalePlayer scales(keys, tempo, *fake.platform.midiOut, paced.now(), makeQtWakeTimer(), {});
    scales.C2_Click(0);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!scales.running()) {
            poll.stop();
            QCoreApplication::quit();
        }
    });
    poll.start(20);
    QCoreApplication::exec();

    if (keys.presses.size() != 16) {
        std::fprintf(stderr, "tempo %s: %zu notes, not 16\n", tempoText, keys.presses.size());
        return 1;
    }
    const std::int64_t interval = std::int64_t(tempo.intervalMs()) * AudioEngine::kSampleRate;
    const std::int64_t first = keys.presses.front().at;
    std::int64_t worst = 0, drift = 0;
    std::int64_t leastAhead = std::numeric_limits<std::int64_t>::max();
    for (std::size_t k = 0; k < keys.presses.size(); ++k) {
        const PlacedPresses::Press& p = keys.presses[k];
        drift = p.at - (first + std::int64_t(k) * interval / 1000);
        worst = std::max(worst, std::abs(drift));
        leastAhead = std::min(leastAhead, p.at - p.placedWhen);
    }
    std::printf("tempo %-4s (%4d ms): largest distance from the grid %lld samples, drift at the "
                "last note %lld samples, least time ahead %lld samples\n",
        tempoText, tempo.intervalMs(), static_cast<long long>(worst), static_cast<long long>(drift),
        static_cast<long long>(leastAhead));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return run("500") | run("50");
}
