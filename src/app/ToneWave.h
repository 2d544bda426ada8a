#pragma once

#include <cstdint>

#include <QByteArray>

// The tone generator's file: an 8-bit mono WAV at 11025 samples a second holding whole periods
// of a sine. Its bytes are a fixed format, kept exactly, quirks included: the sine is computed
// with 3.14 for pi, on whole degrees, from the first step of a period (so each period ends on
// 360 degrees), and the samples per period are rounded, so a high tone sounds off its
// frequency (4200 Hz has 3 samples a period and plays as 3675 Hz).
namespace tonewave {

inline constexpr int kSampleRate = 11025;

// Samples per period: 11025 / Frequency to the nearest whole number, halves to even; 0 when the
// frequency is 0 or below.
std::int32_t samplesPerPeriod(std::int16_t Frequency);

// The file's bytes for Duration seconds (whole periods only, never more than Duration x 11025
// samples); empty when no file can be made (no whole period fits, or the frequency gives no
// period).
QByteArray fileBytes(double Duration, std::int16_t Frequency);

} // namespace tonewave
