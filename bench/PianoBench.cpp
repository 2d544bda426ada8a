// The MIDI piano's two delays a player feels.
//   key_to_sound: the computer key Z pressed on the open piano, on the built-in synthesizer of
//     the real engine (offline device, in the blocks the sound device asks for); the time counted
//     is the UI thread's handling of the key, plus the sound time from there to the first sample
//     that is not silent, plus one whole block period for the device's next callback (the worst
//     case). Goal: at most 7 ms, as a player expects of an instrument.
//   button_to_painted: from the main window's piano opener to the piano window painted, the
//     built-in synth opened, the instrument list read and the menus filled; first_ms is the
//     first opening of the run (the synth made, the pictures drawn for the first time), the
//     others reopen. Goal: under 300 ms.
#include "SoundDelay.h"
#include "app/AppWindows.h"
#include "app/FlamMenus.h"
#include "app/FlamPopupMenus.h"
#include "app/frmMtroNew.h"
#include "piano/frmMidiPiano.h"
#include "platform/FakePlatform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/audio/SdlAudioDevice.h"
#include "platform/midi/BuiltInSynthPort.h"

#include <chrono>
#include <cmath>
#include <optional>

#include <QFile>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

constexpr int kBlock = SdlAudioDevice::kRequestedBlockFrames;
using Clock = std::chrono::steady_clock;

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

void key_to_sound(benchmark::State& state)
{
    FakePlatform fake;
    fake.platform.audio =
        std::make_unique<AudioEngine>(std::make_unique<OfflineAudioDevice>(kBlock));
    OfflineAudioDevice& device = fake.audioDevice();
    const SoundFontSource fonts = sharedSoundFont();
    fonts();
    fake.platform.midiOut = makeMidiOut(*fake.platform.audio, fonts);
    FlamMenus menus;
    FlamPopupMenus popups(menus);
    frmMidiPiano piano(fake.platform, popups, {});
    piano.show();
    Totals totals;
    for (auto _ : state) {
        // Silence first: the last note released and rendered out.
        for (int block = 0; block < 200; ++block)
            device.renderFrames(kBlock);
        device.takeCaptured();
        const auto start = Clock::now();
        QTest::keyPress(&piano, Qt::Key_Z);
        const auto ui = Clock::now() - start;
        const auto frame = firstSound(device, kBlock);
        QTest::keyRelease(&piano, Qt::Key_Z);
        if (!frame) {
            state.SkipWithError("the key made no sound (no SoundFont?)");
            return;
        }
        totals.add(state, ui, *frame, kBlock);
    }
    totals.report(state);
}

BENCHMARK(key_to_sound)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

void button_to_painted(benchmark::State& state)
{
    FakePlatform fake;
    // The built-in synth as the program makes it; loaded:0 opens while its SoundFont still loads
    // (as right after the program's start), loaded:1 after the load.
    const SoundFontLoad load = loadSoundFontInBackground();
    if (state.range(0) == 1)
        load.fonts();
    fake.platform.midiOut = makeMidiOut(*fake.platform.audio, load.fonts, load.loaded);
    QFile::copy(QStringLiteral(KADENTOR_PIANO_DIR "/Inslst.dat"),
        fake.platform.programFolder + QStringLiteral("/Inslst.dat"));
    AppWindows windows(fake.platform);
    if (!windows.loadMainWindow()) {
        state.SkipWithError("the main window did not load");
        return;
    }
    double firstMs = -1;
    for (auto _ : state) {
        const auto start = Clock::now();
        windows.showPiano();
        frmMidiPiano::instance().repaint();
        const double took = ms(Clock::now() - start);
        if (firstMs < 0)
            firstMs = took;
        state.SetIterationTime(took / 1000.0);
        frmMidiPiano::instance().Form_Unload();
        frmMidiPiano::unload();
    }
    state.counters["first_ms"] = firstMs;
}

BENCHMARK(button_to_painted)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("loaded")
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

} // namespace
