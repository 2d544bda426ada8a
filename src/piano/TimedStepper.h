#pragma once

#include "platform/midi/MidiOut.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class WakeTimer;

// Plays a run of steps on an even grid of the sound engine's clock. Step k of a stretch of equal
// intervals is due exactly at the stretch's first step plus k intervals, counted in whole samples
// from the start (never a sum of rounded intervals); a new interval starts a new stretch at the
// step last placed. A wake-up comes a little ahead of each due step and places it: first
// `onStep` runs, then the step's messages are placed at the due sample through MidiOut's timed
// send, so a late wake-up cannot make a note late.
//
// Units: samples of AudioEngine's clock; intervals in whole milliseconds, as a timer takes them.
// Thread: UI only.
class TimedStepper
{
public:
    struct Step
    {
        std::vector<std::uint32_t> messages;
    };

    // How far ahead of its due sample a step is placed: 50 ms, room for a late wake-up.
    static constexpr std::int64_t kLeadSamples = 2205;

    // `now` reads the sound engine's clock (the next sample it renders).
    TimedStepper(MidiOut& midi, std::function<std::int64_t()> now, std::unique_ptr<WakeTimer> wake);
    ~TimedStepper();
    TimedStepper(const TimedStepper&) = delete;
    TimedStepper& operator=(const TimedStepper&) = delete;

    // Starts a run (ending any run before it): step 0 is due kLeadSamples from now, and each
    // further step one interval after the one before. Messages go out on `handle`.
    void start(MidiHandle handle, std::vector<Step> steps, int intervalMs);
    // Starts a run without steps of its own (ending any run before it): it goes on until stop(),
    // and what each step plays is placed by onStep at the step's due sample.
    void startEndless(int intervalMs);
    // From the step last placed on; the same interval changes nothing. Below 1 ms counts as 1.
    void setIntervalMs(int ms);
    // Ends the run; returns the due sample of the last step placed (messages placed for it may
    // not have sounded yet), or nothing when no run was going.
    std::optional<std::int64_t> stop();

    bool running() const { return m_running; }

    int intervalMs() const { return m_intervalMs; }

    // Runs as step `index` is placed, ahead of `due`; it may call setIntervalMs, stop or start.
    std::function<void(std::size_t index, std::int64_t due)> onStep;

private:
    std::int64_t dueOf(std::size_t index) const;
    void begin(int intervalMs);

    bool hasStep(std::size_t index) const { return m_endless || index < m_steps.size(); }

    void placeDue();

    MidiOut& m_midi;
    std::function<std::int64_t()> m_now;
    std::unique_ptr<WakeTimer> m_wake;

    MidiHandle m_handle = 0;
    std::vector<Step> m_steps;
    bool m_running = false;
    bool m_endless = false;
    // Bumped by every start and stop, so that a placement loop knows when onStep ended its run.
    std::uint64_t m_run = 0;
    int m_intervalMs = 1;
    std::int64_t m_anchorDue = 0; // the due sample of the stretch's first step
    std::size_t m_anchorIndex = 0;
    std::size_t m_next = 0; // the next step to place
};
