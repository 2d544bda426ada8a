#pragma once

#include <array>
#include <cstdint>

#include <QString>

namespace basMidi1 {

// A drum accompaniment style. The pattern: sections split at ";" (0 the intro, 1 the main groove
// that loops, 2 and 3 fills, 4 the ending), each a list of steps split at "|", each step a list
// of General MIDI percussion notes split at ",". Empty parts count: an empty step is a rest, a
// "|" ending a section adds a rest step, a ";" ending the pattern an empty section.
struct BeatStyle
{
    QString Name;
    std::int16_t Interval = 0; // milliseconds a step
    QString Pattern;
};

// The four built-in styles: "Rock", "16 Beat", "Disco" and "Waltz".
std::array<BeatStyle, 4> InitBeatStyles();

} // namespace basMidi1
