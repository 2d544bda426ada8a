#include "app/ToneWave.h"

#include "platform/audio/WavWriter.h"
#include "platform/basic/Conversions.h"

#include <cmath>

#include <QtEndian>

namespace tonewave {

std::int32_t samplesPerPeriod(std::int16_t Frequency)
{
    if (Frequency <= 0)
        return 0;
    return static_cast<std::int32_t>(roundHalfEven(double(kSampleRate) / Frequency));
}

QByteArray fileBytes(double Duration, std::int16_t Frequency)
{
    const std::int32_t spc = samplesPerPeriod(Frequency);
    if (spc <= 0 || !(Duration > 0) || Duration * kSampleRate > 1e9)
        return {};
    const auto requested = static_cast<std::int64_t>(std::floor(Duration * kSampleRate));
    const std::int64_t periods = requested / spc;
    if (periods == 0)
        return {};

    QByteArray period(spc, '\0');
    for (std::int32_t j = 1; j <= spc; ++j) {
        const double k = roundHalfEven(double(j * 360) / spc);
        const double sample = roundHalfEven((std::sin(3.14 / 180 * k) + 1) * 127);
        period[j - 1] = static_cast<char>(static_cast<std::uint8_t>(sample));
    }
    QByteArray pcm;
    pcm.reserve(static_cast<qsizetype>(periods * spc));
    for (std::int64_t p = 0; p < periods; ++p)
        pcm.append(period);
    // The format has no pad byte after an odd data chunk, and its RIFF size counts none: the
    // chunk ends the file, where every reader stops anyway.
    QByteArray file = wavHeader(1, kSampleRate, 8, static_cast<quint32>(pcm.size()));
    qToLittleEndian(static_cast<quint32>(pcm.size() + 36), file.data() + 4);
    file.append(pcm);
    return file;
}

} // namespace tonewave
