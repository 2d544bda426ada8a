// The built-in synthesizer's cost and the MIDI-file player's start-up time.
//   synth_16_notes: 16 notes held on the General MIDI SoundFont, rendered in the blocks the sound
//     device asks for; rt_share is the CPU time per second of sound (goal: under 0.05 of one
//     core).
//   callback_share: the engine's whole callback, block by block, with the built-in synth open
//     (as the program keeps it once a note has played) and a MIDI file loaded and paused;
//     notes:0 is the idle program, notes:16 the synth holding 16 notes. rt_share as above,
//     counted as the CPU time of the whole process (worker threads of the synth included).
//   svirajmidi_to_sound: the player opening and playing a file on the real sequencer and engine
//     (offline device); the time counted is the UI thread's open and play, plus the sound time
//     from the play to the first sample that is not silent, plus one whole block period for the
//     device's next callback (the worst case). Goal: under 50 ms. first:0 is a later file of a
//     run; first:1 the first file, with the SoundFont loaded since start-up but the synth still
//     to make; first:2 a file played before the SoundFont's load at start-up has finished.
#include "SmfWriter.h"
#include "platform/FakePlatform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/audio/SdlAudioDevice.h"
#include "platform/midi/BuiltInSynthPort.h"
#include "platform/midi/FluidSynthCore.h"
#include "platform/midi/MidiFilePlayer.h"
#include "platform/midi/MidiOut.h"
#include "platform/midi/SoundFontBank.h"
#include "players/FakeTempoLabels.h"
#include "players/frmCD.h"

#include <chrono>
#include <cmath>
#include <vector>

#include <benchmark/benchmark.h>

namespace {

constexpr int kBlock = SdlAudioDevice::kRequestedBlockFrames;

void synth_16_notes(benchmark::State& state)
{
    auto core = FluidSynthCore::create(SoundFontBank::load(SoundFontBank::choose()), kBlock);
    if (!core) {
        state.SkipWithError("no SoundFont");
        return;
    }
    // An organ holds its notes without decay, so all 16 keep sounding.
    core->send(midiMessage(0xC0, 19));
    for (int note = 48; note < 64; ++note)
        core->send(midiMessage(0x90, note, 100));
    std::vector<float> mix(2 * kBlock);
    std::int64_t frames = 0;
    for (auto _ : state) {
        core->renderAdd(mix.data(), kBlock);
        benchmark::DoNotOptimize(mix.data());
        frames += kBlock;
    }
    state.counters["voices"] = core->activeVoices();
    state.counters["rt_share"] = benchmark::Counter(double(frames) / AudioEngine::kSampleRate,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(synth_16_notes)->Unit(benchmark::kMicrosecond);

void callback_share(benchmark::State& state)
{
    const int notes = static_cast<int>(state.range(0));
    FakePlatform fake;
    OfflineAudioDevice& device = fake.audioDevice();
    device.setCapture(false);
    const SoundFontSource fonts = sharedSoundFont();
    auto midi = makeMidiOut(*fake.platform.audio, fonts);
    MidiHandle synth = 0;
    if (midi->open(synth, 0) != MidiResult::NoError) {
        state.SkipWithError("no SoundFont");
        return;
    }
    SynthMidiFiles files(*fake.platform.audio, fonts);
    auto player = files.newPlayer();
    SmfWriter song(0, 480);
    song.track().noteOn(0, 0, 60).noteOff(960, 0, 60).end();
    song.save(fake.dir.filePath(QStringLiteral("A4.mid")));
    if (player->open(fake.dir.filePath(QStringLiteral("A4.mid"))) != MidiFileError::None) {
        state.SkipWithError("the file did not open");
        return;
    }
    midi->shortMsg(synth, midiMessage(0xC0, 19));
    for (int note = 48; note < 48 + notes; ++note)
        midi->shortMsg(synth, midiMessage(0x90, note, 100));
    // Let the first attack and the open's set-up pass.
    device.renderFrames(44100);
    std::int64_t frames = 0;
    for (auto _ : state) {
        device.renderFrames(kBlock);
        frames += kBlock;
    }
    state.counters["rt_share"] = benchmark::Counter(double(frames) / AudioEngine::kSampleRate,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(callback_share)
    ->Arg(0)
    ->Arg(16)
    ->ArgName("notes")
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMicrosecond);

void svirajmidi_to_sound(benchmark::State& state)
{
    const int first = static_cast<int>(state.range(0));
    double uiMs = 0;
    double soundMs = 0;
    for (auto _ : state) {
        FakePlatform fake;
        OfflineAudioDevice& device = fake.audioDevice();
        const SoundFontSource fonts = sharedSoundFont();
        if (first < 2)
            fonts();
        fake.platform.midiFiles = std::make_unique<SynthMidiFiles>(*fake.platform.audio, fonts);
        SmfWriter song(0, 480);
        song.track().noteOn(0, 0, 60).noteOff(960, 0, 60).end();
        song.save(fake.dir.filePath(QStringLiteral("A4.mid")));
        FakeTempoLabels labels;
        frmCD player(fake.platform, labels);
        player.setTxtmidi(QStringLiteral("A4.mid"));
        if (first == 0) {
            player.svirajmidi();
            player.stani2();
            player.setTxtmidi(QStringLiteral("A4.mid"));
        }
        device.takeCaptured();

        const auto start = std::chrono::steady_clock::now();
        player.svirajmidi();
        player.sviraj();
        const auto ui = std::chrono::steady_clock::now() - start;
        // Output captured from the play on: the first loud frame's index is its distance.
        std::int64_t loud = -1;
        for (int block = 0; block < 100 && loud < 0; ++block) {
            device.renderFrames(kBlock);
            const auto& out = device.captured();
            for (std::size_t i = 0; i < out.size(); ++i) {
                if (std::fabs(out[i]) > 1e-6f) {
                    loud = std::int64_t(i / 2);
                    break;
                }
            }
        }
        if (loud < 0) {
            state.SkipWithError("the file made no sound");
            return;
        }
        const double ms = std::chrono::duration<double, std::milli>(ui).count();
        const double sound = 1000.0 * double(loud + kBlock) / AudioEngine::kSampleRate;
        uiMs += ms;
        soundMs += sound;
        state.SetIterationTime((ms + sound) / 1000.0);
    }
    state.counters["ui_ms"] = uiMs / double(state.iterations());
    state.counters["sound_ms"] = soundMs / double(state.iterations());
}

BENCHMARK(svirajmidi_to_sound)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("first")
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

} // namespace
