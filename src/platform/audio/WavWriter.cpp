#include "platform/audio/WavWriter.h"

#include "platform/files/FileStore.h"

#include <algorithm>

#include <QtEndian>

namespace {

constexpr quint32 kHeaderBytes = 44;

constexpr qsizetype kSavePieceBytes = 1 << 20;

void put16(QByteArray& out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void put32(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

} // namespace

QByteArray wavHeader(int channels, int sampleRate, int bitsPerSample, quint32 dataBytes)
{
    if ((channels != 1 && channels != 2) || (bitsPerSample != 8 && bitsPerSample != 16)
        || sampleRate < 1)
        return {};
    const quint32 blockAlign = static_cast<quint32>(channels * bitsPerSample / 8);
    const quint64 byteRate = quint64(sampleRate) * blockAlign;
    const quint64 riffSize = quint64(kHeaderBytes) - 8 + dataBytes + (dataBytes & 1);
    if (byteRate > 0xFFFFFFFFu || riffSize > 0xFFFFFFFFu || dataBytes % blockAlign != 0)
        return {};

    QByteArray out;
    out.reserve(kHeaderBytes);
    out.append("RIFF", 4);
    put32(out, static_cast<quint32>(riffSize));
    out.append("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1); // integer PCM
    put16(out, static_cast<quint16>(channels));
    put32(out, static_cast<quint32>(sampleRate));
    put32(out, static_cast<quint32>(byteRate));
    put16(out, static_cast<quint16>(blockAlign));
    put16(out, static_cast<quint16>(bitsPerSample));
    out.append("data", 4);
    put32(out, dataBytes);
    return out;
}

QByteArray wavFileBytes(int channels, int sampleRate, int bitsPerSample, const QByteArray& pcm)
{
    if (quint64(pcm.size()) > 0xFFFFFFFFu)
        return {};
    QByteArray out =
        wavHeader(channels, sampleRate, bitsPerSample, static_cast<quint32>(pcm.size()));
    if (out.isEmpty())
        return {};
    out.reserve(out.size() + pcm.size() + 1);
    out.append(pcm);
    if (pcm.size() % 2 == 1)
        out.append('\0');
    return out;
}

bool writeWaveFile(FileStore& files,
    const QString& path,
    const CaptureFormat& format,
    std::int64_t dataBytes,
    const SampleReader& read,
    QString* error)
{
    if (dataBytes < 0 || dataBytes > std::int64_t { 0xFFFFFFFF })
        return false;
    const QByteArray header =
        wavHeader(format.channels, format.sampleRate, format.bitsPerSample, quint32(dataBytes));
    if (header.isEmpty())
        return false;
    const auto produce = [&](const FileStore::Sink& sink) {
        if (!sink(header.constData(), header.size()))
            return false;
        QByteArray piece(std::min<std::int64_t>(kSavePieceBytes, dataBytes), Qt::Uninitialized);
        for (std::int64_t at = 0; at < dataBytes; at += piece.size()) {
            const std::int64_t count = std::min<std::int64_t>(piece.size(), dataBytes - at);
            if (!read(at, piece.data(), count) || !sink(piece.constData(), count))
                return false;
        }
        // An odd data chunk ends in its pad byte.
        return dataBytes % 2 == 0 || sink("", 1);
    };
    // The store refuses an empty name like any other it cannot write.
    return files.writeStreamed(path, produce, error);
}
