#pragma once

#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <optional>

#include <benchmark/benchmark.h>

// Renders block after block of `block` frames until a sample is not silent; its frame counted
// from the capture's start, or nullopt after about a second of silence.
inline std::optional<std::int64_t> firstSound(OfflineAudioDevice& device, int block)
{
    for (int rendered = 0; rendered < 44100; rendered += block) {
        device.renderFrames(block);
        const auto& out = device.captured();
        for (std::size_t i = 0; i < out.size(); ++i) {
            if (std::fabs(out[i]) > 1e-6f)
                return std::int64_t(i / 2);
        }
    }
    return std::nullopt;
}

// The UI thread's time and the sound time of each iteration, the sound time counting one whole
// block for the device's next callback (the worst case), as ui_ms and sound_ms.
struct Totals
{
    double uiMs = 0;
    double soundMs = 0;

    void add(benchmark::State& state,
        std::chrono::steady_clock::duration ui,
        std::int64_t frame,
        int block)
    {
        const double ms = std::chrono::duration<double, std::milli>(ui).count();
        const double sound = 1000.0 * double(frame + block) / AudioEngine::kSampleRate;
        uiMs += ms;
        soundMs += sound;
        state.SetIterationTime((ms + sound) / 1000.0);
    }

    void report(benchmark::State& state) const
    {
        state.counters["ui_ms"] = uiMs / double(state.iterations());
        state.counters["sound_ms"] = soundMs / double(state.iterations());
    }
};
