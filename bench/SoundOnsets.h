#pragma once

#include "PlacingPort.h"
#include "platform/FakePlatform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OfflineAudioDevice.h"
#include "platform/midi/BuiltInSynthPort.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

// Onsets heard in the built-in synth's rendered sound, for the benches that time placed notes.
// The synth is deterministic and mixes voices by adding them, so a run replayed offline on a
// fresh synth with every message sent before a step, and nothing later, differs from the run's
// own sound only by what the step struck: the first sample where they differ is its onset. A
// note's sample starts with a run-in of its own, learnt by striking it alone at the start of a
// synth block on a fresh synth.

// -60 dB: an onset is the first sample louder than this.
constexpr float kThreshold = 1e-3f;
// The synth's own block, and a solo strike's sample: the start of one, a second in.
constexpr std::int64_t kSynthBlock = 64;
constexpr std::int64_t kSoloAt = kSynthBlock * 700;

inline bool isNoteOn(std::uint32_t message)
{
    return (message & 0xF0) == 0x90 && ((message >> 16) & 0x7F) != 0;
}

// The messages sent[0 .. count) replayed on a fresh synth, each at its sample (or, unplaced,
// where the engine's clock stood when it was sent), then `extra`, `frames` frames rendered
// offline.
inline std::vector<float> replay(const std::vector<PlacingPort::Sent>& sent,
    std::size_t count,
    std::int64_t frames,
    const std::vector<PlacingPort::Sent>& extra = {})
{
    FakePlatform fake;
    BuiltInSynthPort synth(*fake.platform.audio, sharedSoundFont());
    synth.open();
    for (std::size_t i = 0; i < count; ++i)
        synth.send(sent[i].message, sent[i].at.value_or(sent[i].sentWhen), 0);
    for (const PlacingPort::Sent& message : extra)
        synth.send(message.message, message.at.value_or(message.sentWhen), 0);
    fake.audioDevice().renderFrames(frames);
    return fake.audioDevice().takeCaptured();
}

// The first frame in [from, to) where a and b (interleaved stereo; b may be shorter, counting
// as silence past its end) differ by more than kThreshold.
inline std::optional<std::int64_t> firstDifference(
    const std::vector<float>& a, const std::vector<float>& b, std::int64_t from, std::int64_t to)
{
    for (std::int64_t i = std::max<std::int64_t>(from, 0) * 2;
         i < std::min<std::int64_t>(to * 2, std::int64_t(a.size())); ++i) {
        const float other = i < std::int64_t(b.size()) ? b[std::size_t(i)] : 0.0f;
        if (std::fabs(a[std::size_t(i)] - other) > kThreshold)
            return i / 2;
    }
    return std::nullopt;
}

// The run-in of `strike` (one or more Note Ons struck together) alone: after the messages
// sent[0 .. setup) (the programs), on a fresh synth, from a block's start to its onset.
inline std::optional<std::int64_t> ownLatency(const std::vector<PlacingPort::Sent>& sent,
    std::size_t setup,
    std::vector<PlacingPort::Sent> strike)
{
    for (PlacingPort::Sent& message : strike)
        message.at = kSoloAt;
    const std::int64_t end = kSoloAt + AudioEngine::kSampleRate;
    const std::optional<std::int64_t> onset =
        firstDifference(replay(sent, setup, end, strike), {}, 0, end);
    if (!onset)
        return std::nullopt;
    return *onset - kSoloAt;
}

// The step's onset in `heard`: the first difference from the replay of sent[0 .. before),
// searched in [from, to).
inline std::optional<std::int64_t> heardOnset(const std::vector<float>& heard,
    const std::vector<PlacingPort::Sent>& sent,
    std::size_t before,
    std::int64_t from,
    std::int64_t to)
{
    return firstDifference(heard, replay(sent, before, to), from, to);
}

// How far the synth moves a message placed `at` on: to the next start of its own block.
inline std::int64_t blockRounding(std::int64_t at)
{
    return (kSynthBlock - at % kSynthBlock) % kSynthBlock;
}

// The largest difference between the run's sound and a replay of every message sent (0 shows
// the replays are faithful).
inline float replayMismatch(
    const std::vector<float>& heard, const std::vector<PlacingPort::Sent>& sent)
{
    const std::vector<float> whole = replay(sent, sent.size(), std::int64_t(heard.size() / 2));
    float mismatch = 0;
    for (std::size_t i = 0; i < std::min(heard.size(), whole.size()); ++i)
        mismatch = std::max(mismatch, std::fabs(heard[i] - whole[i]));
    return mismatch;
}

// The largest |error| and the drift over the run: the least-squares slope times the steps.
struct GridFigures
{
    std::int64_t largest = 0;
    double drift = 0;
};

inline GridFigures gridFigures(const std::vector<std::int64_t>& errors)
{
    GridFigures figures;
    const double n = double(errors.size());
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (std::size_t k = 0; k < errors.size(); ++k) {
        figures.largest = std::max(figures.largest, std::abs(errors[k]));
        sx += double(k);
        sy += double(errors[k]);
        sxx += double(k) * double(k);
        sxy += double(k) * double(errors[k]);
    }
    if (errors.size() > 1)
        figures.drift = (n * sxy - sx * sy) / (n * sxx - sx * sx) * (n - 1);
    return figures;
}

// The sound a paced device rendered, up to `frames` frames: sink() goes to the device, take()
// after it stopped.
class HeardSound
{
public:
    explicit HeardSound(std::int64_t frames)
        : m_frames(frames)
        , m_samples(std::size_t(frames) * 2, 0.0f)
    {}

    OfflineAudioDevice::Sink sink()
    {
        return [this](const float* block, int frames, std::int64_t firstFrame) {
            if (firstFrame + frames > m_frames)
                return;
            std::memcpy(
                m_samples.data() + firstFrame * 2, block, sizeof(float) * 2 * std::size_t(frames));
            m_end.store(firstFrame + frames, std::memory_order_release);
        };
    }

    std::vector<float> take()
    {
        m_samples.resize(std::size_t(m_end.load(std::memory_order_acquire)) * 2);
        return std::move(m_samples);
    }

private:
    std::int64_t m_frames;
    std::vector<float> m_samples;
    std::atomic<std::int64_t> m_end { 0 };
};
