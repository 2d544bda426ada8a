#pragma once

#include <cstdint>
#include <optional>

// The piano's keys as the chord modes, the chord dictionary and the timed scales play them:
// key indices 0..36 from the base note (-1 plays nothing). Pressing a key that is down does
// nothing; releasing one sends its Note Off whatever its state. A key's note is sent at once, or
// placed at sample `at` of the sound engine's clock (a timed scale's step). The overrides give
// `at` the same default. UI thread only.
class KeyPlayer
{
public:
    virtual ~KeyPlayer() = default;

    virtual void PressKey(int k, std::optional<std::int64_t> at = std::nullopt) = 0;
    virtual void ReleaseKey(int k, std::optional<std::int64_t> at = std::nullopt) = 0;
    // Releases all 37 keys at once.
    virtual void DigniGa() = 0;
};
