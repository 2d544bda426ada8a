#pragma once

#include "piano/KeyPlayer.h"

#include <vector>

// Records key presses and releases in order: a press as its key, a release as -1 - key, and
// DigniGa as -100.
struct KeyLog : KeyPlayer
{
    static constexpr int kAllUp = -100;

    static constexpr int released(int k) { return -1 - k; }

    void PressKey(int k, std::optional<std::int64_t> at = std::nullopt) override
    {
        log.push_back(k);
        placedAt = at;
    }

    void ReleaseKey(int k, std::optional<std::int64_t> at = std::nullopt) override
    {
        log.push_back(released(k));
        placedAt = at;
    }

    void DigniGa() override { log.push_back(kAllUp); }

    std::vector<int> log;
    std::optional<std::int64_t> placedAt; // of the last press or release
};
