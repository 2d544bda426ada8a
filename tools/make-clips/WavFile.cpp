#include "WavFile.h"

#include "platform/audio/WavWriter.h"
#include "platform/files/FileStore.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include <QString>

bool writeWav16(const std::string& path, const Clip& clip)
{
    QByteArray pcm;
    pcm.reserve(static_cast<qsizetype>(clip.frames() * clip.channels.size() * 2));
    for (std::size_t i = 0; i < clip.frames(); ++i) {
        for (const Channel& c : clip.channels) {
            const long v = std::clamp(std::lround(c[i] * 32767.0), -32767L, 32767L);
            const auto u = static_cast<std::uint16_t>(static_cast<std::int16_t>(v));
            pcm.append(static_cast<char>(u & 0xff));
            pcm.append(static_cast<char>(u >> 8));
        }
    }
    const QByteArray file = wavFileBytes(static_cast<int>(clip.channels.size()), kRate, 16, pcm);
    DiskFileStore files;
    return !file.isEmpty() && files.writeAtomically(QString::fromStdString(path), file, nullptr);
}
