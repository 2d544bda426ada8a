#pragma once

#include <cstdint>
#include <optional>

// The piano's keys as the chord modes, the chord dictionary and the timed scales play them:
// key indices 0..36 from the base note (-1 plays nothing). Pressing a key that is down does
// nothing; releasing one sends its Note Off whatever its state. UI thread only.
class KeyPlayer
{
public:
    virtual ~KeyPlayer() = default;

    virtual void PressKey(int k) = 0;
    virtual void ReleaseKey(int k) = 0;
    // Releases all 37 keys.
    virtual void DigniGa() = 0;
    // The notes of the calls that follow sound at sample `at` of the sound engine's clock;
    // nullopt sends them at once again.
    virtual void placeNotesAt(std::optional<std::int64_t> at) = 0;
};
