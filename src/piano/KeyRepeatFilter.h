#pragma once

#include <bitset>
#include <cstdint>
#include <functional>
#include <optional>

#include <QTimer>

// The computer keyboard as the piano hears it: each key pressed once and released once, however
// long it is held. A held key repeats as a release and a press of the same key with the same time
// stamp; Qt flags the pair as a repeat only when the press is already in its queue as the release
// is handled, and the unflagged pair would end the note and strike it again. So an unflagged
// release is held back for kHoldMs: a press of the same key that comes meanwhile, stamped within
// kRepeatGapMs of it, makes the pair a repeat and the release is dropped. Any other key first
// lets the held-back release go, so the order of effects stays the user's. An unstamped release
// (a synthetic event, time 0) goes at once: nothing could tell its repeat.
//
// A release whose press did not reach the piano (it went to a box of the window) is not the
// piano's and goes nowhere. Key codes are the piano's (0..255); times are the events' stamps in
// milliseconds. UI thread only.
class KeyRepeatFilter
{
public:
    static constexpr int kHoldMs = 20;
    static constexpr int kRepeatGapMs = 10;

    KeyRepeatFilter(std::function<void(int code)> pressed, std::function<void(int code)> released);

    // A press, the repeats of a held key included (they press nothing new).
    void press(int code, bool flaggedRepeat, std::uint64_t time);
    void release(int code, bool flaggedRepeat, std::uint64_t time);
    // Lets a held-back release go now.
    void flush();
    // Forgets every key: the piano is closing.
    void clear();

private:
    struct Held
    {
        int code;
        std::uint64_t time;
    };

    std::function<void(int)> m_pressed;
    std::function<void(int)> m_released;
    std::bitset<256> m_down;
    std::optional<Held> m_held;
    QTimer m_timer;
};
