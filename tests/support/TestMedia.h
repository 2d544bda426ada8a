#pragma once

#include <cstdint>
#include <vector>

#include <QString>

// Media files made on the spot for the engine tests, so that no test depends on a file it did
// not write. Each writer returns false when the file could not be written.

// A 16-bit PCM WAV of a sine tone; with two channels both carry the same tone.
bool writeToneWav(const QString& path,
    double seconds,
    int sampleRate = 44100,
    int channels = 2,
    double frequency = 440.0,
    double amplitude = 0.25);

// An MP3 of the same tone (stereo, 128 kbit/s), encoded with LAME.
bool writeToneMp3(const QString& path, double seconds, int sampleRate = 44100);

// Raw YUV 4:2:0 video frames (the YUV4MPEG2 container) whose brightness changes per frame.
bool writeY4m(const QString& path, int width, int height, int frames, int framesPerSecond);

// Interleaved 16-bit stereo samples as written by a raw PCM capture.
std::vector<std::int16_t> readStereo16(const QString& path);

// The root mean square of one channel (0 left, 1 right) of interleaved stereo samples.
double channelRms(const std::vector<std::int16_t>& stereo, int channel);
