// From the user's choice to the first sample of sound, for the two tones of the Pitch menu.
//   a440_entry_to_sound: the "440 Hz" entry (Picka 0) on the main window with the committed
//     440.wav beside the program, on the fake platform's offline device.
//   tone_generator_play_to_sound: the tone generator's Play at 440 Hz for 0.5 s, which checks
//     the fields, writes test.wav through the atomic writer, reads it back and places it.
// The time counted is the UI thread's work from the choice until the tone is placed, plus the
// sound time from there to the first sample that is not silent, plus one whole block period for
// the device's next callback (the worst case). Goal: under 50 ms.
#include "SoundDelay.h"
#include "app/AppWindows.h"
#include "app/frmMtroNew.h"
#include "app/frmfrekvencije.h"
#include "platform/FakePlatform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/audio/SdlAudioDevice.h"

#include <chrono>
#include <cmath>
#include <optional>

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {

constexpr int kBlock = SdlAudioDevice::kRequestedBlockFrames;
using Clock = std::chrono::steady_clock;

void a440_entry_to_sound(benchmark::State& state)
{
    FakePlatform fake;
    if (!QFile::copy(QStringLiteral(KADENTOR_REFERENCE_DIR "/440.wav"),
            QDir(fake.platform.programFolder).filePath(QStringLiteral("440.wav")))) {
        state.SkipWithError("no 440.wav");
        return;
    }
    AppWindows windows(fake.platform);
    frmMtroNew* window = windows.loadMainWindow();
    OfflineAudioDevice& device = fake.audioDevice();
    Totals totals;
    for (auto _ : state) {
        device.takeCaptured();
        const auto start = Clock::now();
        window->Picka(0);
        const auto ui = Clock::now() - start;
        const auto frame = firstSound(device, kBlock);
        if (!frame) {
            state.SkipWithError("the tone made no sound");
            return;
        }
        totals.add(state, ui, *frame, kBlock);
    }
    totals.report(state);
}

BENCHMARK(a440_entry_to_sound)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

void tone_generator_play_to_sound(benchmark::State& state)
{
    FakePlatform fake;
    OfflineAudioDevice& device = fake.audioDevice();
    frmfrekvencije& dialog = frmfrekvencije::load(fake.platform);
    dialog.show();
    Totals totals;
    for (auto _ : state) {
        device.takeCaptured();
        // The first turn of Play's wait comes once the tone is placed: measure there, then let
        // the wait end.
        std::optional<Clock::duration> ui;
        std::optional<std::int64_t> frame;
        Clock::time_point start;
        QTimer::singleShot(0, [&] {
            ui = Clock::now() - start;
            frame = firstSound(device, kBlock);
            fake.platform.audio->purge();
            device.renderFrames(kBlock);
        });
        start = Clock::now();
        QTest::mouseClick(dialog.Command3, Qt::LeftButton);
        if (!ui || !frame) {
            state.SkipWithError("the tone made no sound");
            return;
        }
        totals.add(state, *ui, *frame, kBlock);
    }
    totals.report(state);
    frmfrekvencije::unload();
}

BENCHMARK(tone_generator_play_to_sound)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

} // namespace
