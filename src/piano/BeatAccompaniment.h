#pragma once

#include "piano/TimedStepper.h"
#include "piano/basMidi1.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include <QString>

class PianoCore;
class WakeTimer;

// The tempo strip lblRate and its pointer, in the window's units (y grows downwards).
struct RateStrip
{
    int top = 0;
    int height = 0;
    int pointerHeight = 0;
};

// What the piano window shows of the accompaniment.
struct BeatView
{
    std::function<void(const QString&)> setLabel10; // the name of the style playing
    std::function<void(bool)> setStopEnabled; // GGCommand6
    // lblRatePtr's Top; Line1 runs from the pointer's lower edge to the strip's bottom.
    std::function<void(int)> setPointerTop;
    std::function<RateStrip()> rateStrip; // where the strip lies now
};

// The drum accompaniment without its widgets: a style's intro, then its main section looped
// until a stop, which ends the section being played. Each step is one tmrBeat interval and sends
// its notes on the piano's output, placed at the step's due sample by a TimedStepper (so a late
// UI thread never makes a beat late); the interval 0 pauses at the step reached. UI thread only.
class BeatAccompaniment
{
public:
    static constexpr int kDesignIntervalMs = 150;
    static constexpr int kSlowestMs = 300; // the strip's bottom
    static constexpr int kSilent = -1;
    static constexpr int kNoRequest = -2;

    BeatAccompaniment(PianoCore& piano,
        MidiOut& midi,
        std::function<std::int64_t()> now,
        std::unique_ptr<WakeTimer> wake,
        BeatView view,
        std::array<basMidi1::BeatStyle, 4> styles = basMidi1::InitBeatStyles());

    const std::array<basMidi1::BeatStyle, 4>& BeatStyles() const { return m_styles; }

    // Starts style Index (0..3) from its intro at once, at its own interval, with the pointer
    // where that interval lies on the strip. A stop still pending from the style before is
    // dropped, so the new style plays until it is stopped.
    void mnBeat(int Index);
    // One step: its notes placed at sample `at` (nullopt: sent at once), then the section rules
    // at the section's end. Nothing while silent.
    void tmrBeat_Timer(std::optional<std::int64_t> at = std::nullopt);
    // Stop: the section being played finishes, then the accompaniment falls silent.
    void GGCommand6_Click();
    // The window closes: no step sounds after it.
    void stop();

    // The tempo drag on the strip; Y in the strip's coordinates.
    void lblRate_MouseDown(int Y, const RateStrip& strip);
    void lblRate_MouseMove(int Y, const RateStrip& strip);

    void lblRate_MouseUp() { m_dragging = false; }

    // The pointer's Top for a step interval: the drag's rule read backwards, the interval / 300 of
    // the strip's travel down from its top.
    static int pointerTopFor(int intervalMs, const RateStrip& strip);

    // tmrBeat's interval in milliseconds; 0 stands still.
    int interval() const { return m_interval; }

    bool running() const { return m_stepper.running(); }

    int BeatStyleIndex() const { return m_styleIndex; }

    int BeatStep() const { return m_step; }

    int BeatSection() const { return m_section; }

    int BeatNextSection() const { return m_nextSection; }

private:
    void setInterval(int ms);
    void placeStep(std::int64_t due);

    PianoCore& m_piano;
    BeatView m_view;
    TimedStepper m_stepper;
    const std::array<basMidi1::BeatStyle, 4> m_styles; // the menu's entries, in order
    int m_interval = kDesignIntervalMs;
    int m_styleIndex = 0;
    int m_step = 0;
    int m_section = kSilent;
    int m_nextSection = kNoRequest;
    bool m_dragging = false;
};
