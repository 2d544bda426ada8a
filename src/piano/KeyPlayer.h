#pragma once

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
};
