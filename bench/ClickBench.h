#pragma once

#include "../tests/support/WavBytes.h"
#include "app/ClickSounds.h"
#include "platform/Platform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/files/FileStore.h"
#include "platform/settings/SettingsStore.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <numbers>

#include <QFile>
#include <QString>

// What the benches that play the metronome on the real engine share.
namespace clickbench {

constexpr int kClipFrames = 200;
// Onsets are at least this far apart (the fastest timeable step is 330.75 samples).
constexpr std::int64_t kMinGap = 250;

// The metronome's clips, written as NAME.wav into `folder`: each a 4.5 ms burst that starts at
// full level, so that its first sample is its onset, and has died away long before the next step
// even at the fastest rate. Every clip has its own level. `leftOnly`: stereo clips silent on the
// right, which leaves that channel to another sound measured beside them.
inline void writeClips(const QString& folder, bool leftOnly = false)
{
    constexpr int kRate = AudioEngine::kSampleRate;
    for (int i = 0; i < ClickSounds::kClipCount; ++i) {
        wavbytes::Bytes data;
        const double level = 12000 + 600 * i;
        for (int n = 0; n < kClipFrames; ++n) {
            const double v =
                level * std::exp(-n / 25.0) * std::cos(2 * std::numbers::pi * 1500 * n / kRate);
            wavbytes::put16(data, static_cast<std::uint16_t>(static_cast<std::int16_t>(v)));
            if (leftOnly)
                wavbytes::put16(data, 0);
        }
        const auto bytes = wavbytes::wavFile(leftOnly ? 2 : 1, kRate, 16, data);
        QFile file(folder + u'/' + QString::fromLatin1(ClickSounds::clipNames()[i]) + ".wav");
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }
}

// The file store and the settings (in `folder`) that the engine form needs.
inline void giveFilesAndSettings(Platform& platform, const QString& folder)
{
    platform.files = std::make_unique<DiskFileStore>();
    platform.settings =
        std::make_unique<SettingsStore>(folder + QStringLiteral("/s.reg"), *platform.files);
}

} // namespace clickbench
