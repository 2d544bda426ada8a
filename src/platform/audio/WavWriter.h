#pragma once

#include "platform/audio/CaptureDevice.h"

#include <cstdint>
#include <functional>

#include <QByteArray>
#include <QString>

class FileStore;

// Lays out RIFF WAVE files of PCM samples as every reader expects them: the canonical 44-byte
// header ("RIFF", "WAVE", a 16-byte "fmt " chunk, "data") and the samples, little-endian, 8-bit
// unsigned or 16-bit signed, mono or stereo, any rate. An odd-sized data chunk is followed by one
// pad byte, counted in the RIFF size and not in the data size.
//
// Both give an empty array for what they cannot lay out: channels other than 1 or 2, bits other
// than 8 or 16, a rate below 1 or a byte rate past 32 bits, data that is not whole frames, or a
// file past 4 GiB. Any thread.

// The header alone, for writers that stream the samples after it.
QByteArray wavHeader(int channels, int sampleRate, int bitsPerSample, quint32 dataBytes);

// A whole file.
QByteArray wavFileBytes(int channels, int sampleRate, int bitsPerSample, const QByteArray& pcm);

// Fills `into` with `count` bytes of samples from byte `at`; false when they cannot be read.
using SampleReader = std::function<bool(std::int64_t at, char* into, std::int64_t count)>;

// Replaces `path` with a WAV file of `dataBytes` bytes of samples in `format`, read through
// `read` a piece at a time (hours of them never sit in memory), through the store's streamed
// writer: the old file stays unless the new one is complete. False, with `*error` set when the
// store says why, when it cannot be laid out, read or written. UI thread, as the store is.
bool writeWaveFile(FileStore& files,
    const QString& path,
    const CaptureFormat& format,
    std::int64_t dataBytes,
    const SampleReader& read,
    QString* error);
