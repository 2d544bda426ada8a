#include "TestMedia.h"

#include "FileBytes.h"
#include "WavBytes.h"

#include <cmath>
#include <numbers>

#include <QFile>

#include <lame/lame.h>

namespace {

std::vector<std::int16_t> tone(
    double seconds, int sampleRate, int channels, double frequency, double amplitude)
{
    const auto frames = static_cast<std::size_t>(std::lround(seconds * sampleRate));
    std::vector<std::int16_t> samples;
    samples.reserve(frames * channels);
    for (std::size_t i = 0; i < frames; ++i) {
        const double phase =
            2.0 * std::numbers::pi * frequency * static_cast<double>(i) / sampleRate;
        const auto value =
            static_cast<std::int16_t>(std::lround(amplitude * 32767.0 * std::sin(phase)));
        for (int c = 0; c < channels; ++c)
            samples.push_back(value);
    }
    return samples;
}

} // namespace

bool writeToneWav(const QString& path,
    double seconds,
    int sampleRate,
    int channels,
    double frequency,
    double amplitude)
{
    using namespace wavbytes;
    Bytes pcm;
    for (const std::int16_t sample : tone(seconds, sampleRate, channels, frequency, amplitude))
        put16(pcm, static_cast<std::uint16_t>(sample));
    return writeFileBytes(path, wavFile(channels, sampleRate, 16, pcm));
}

bool writeToneMp3(const QString& path, double seconds, int sampleRate)
{
    auto samples = tone(seconds, sampleRate, 2, 440.0, 0.25);
    lame_t lame = lame_init();
    if (!lame)
        return false;
    lame_set_in_samplerate(lame, sampleRate);
    lame_set_num_channels(lame, 2);
    lame_set_brate(lame, 128);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        return false;
    }
    const int frames = static_cast<int>(samples.size() / 2);
    QByteArray out(static_cast<int>(1.25 * frames + 7200 + 7200), '\0');
    int size = lame_encode_buffer_interleaved(lame, samples.data(), frames,
        reinterpret_cast<unsigned char*>(out.data()), static_cast<int>(out.size()));
    if (size >= 0) {
        const int tail =
            lame_encode_flush(lame, reinterpret_cast<unsigned char*>(out.data()) + size,
                static_cast<int>(out.size()) - size);
        size = tail >= 0 ? size + tail : -1;
    }
    lame_close(lame);
    return size > 0 && writeFileBytes(path, out.left(size));
}

bool writeY4m(const QString& path, int width, int height, int frames, int framesPerSecond)
{
    QByteArray bytes = QByteArrayLiteral("YUV4MPEG2 W") + QByteArray::number(width) + " H"
        + QByteArray::number(height) + " F" + QByteArray::number(framesPerSecond)
        + ":1 Ip A1:1 C420jpeg\n";
    const int luma = width * height;
    const int chroma = (width / 2) * (height / 2);
    for (int i = 0; i < frames; ++i) {
        bytes.append("FRAME\n");
        bytes.append(QByteArray(luma, static_cast<char>((16 + 10 * i) % 236)));
        bytes.append(QByteArray(2 * chroma, static_cast<char>(128)));
    }
    return writeFileBytes(path, bytes);
}

std::vector<std::int16_t> readStereo16(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    std::vector<std::int16_t> samples(static_cast<std::size_t>(bytes.size()) / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto low = static_cast<std::uint8_t>(bytes[static_cast<qsizetype>(2 * i)]);
        const auto high = static_cast<std::uint8_t>(bytes[static_cast<qsizetype>(2 * i + 1)]);
        samples[i] = static_cast<std::int16_t>(low | (high << 8));
    }
    return samples;
}

double channelRms(const std::vector<std::int16_t>& stereo, int channel)
{
    double sum = 0.0;
    std::size_t count = 0;
    for (std::size_t i = static_cast<std::size_t>(channel); i < stereo.size(); i += 2, ++count)
        sum += static_cast<double>(stereo[i]) * stereo[i];
    return count ? std::sqrt(sum / static_cast<double>(count)) : 0.0;
}
