#pragma once

#include "app/ClickRate.h"
#include "platform/audio/AudioSource.h"
#include "platform/audio/ClipVoice.h"
#include "platform/audio/CommandQueue.h"
#include "platform/audio/ReturnQueue.h"
#include "platform/audio/SpscQueue.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

struct AudioClip;

// The step engine's audio side. The pattern player (`Timer1`) and the metronome player
// (`Timer2`) walk the pattern inside the audio callback, one step per tick, and start each step's
// clip on its very sample, so no hold-up of the UI thread can make a click late. The engine form
// hands over what it holds (the pattern as each player sounds it, the position of the next step,
// the step interval, the timers' switches) as commands, and reads back the steps that light a
// beat.
//
// Ticks follow the engine form's timers. Each timer keeps its own interval, 1 ms until its first
// tick; a tick sets it to the step interval of that moment, and the next tick comes that long
// after. So a new step interval takes effect from the tick after the next, and a run's first
// tick comes after the interval the timer had at its last tick (the previous run's rate), but
// never later than one step interval of the rate it plays (also one set while it waits), and
// never sooner than kStartSamples after the switch, which gives the command time to reach the
// callback. A stretch of equal intervals lies on its exact grid: its tick k is due at its first
// tick plus interval.offsetOfStep(k).
//
// Each step's clip cuts off the one sounding, on the walker's own clip voice.
//
// Threads: every public call but render() is for the UI thread; render() runs in the audio
// callback and allocates, locks and waits on nothing.
class StepWalker : public AudioSource
{
public:
    enum class Player { Pattern, Metronome };
    enum class Light : std::uint8_t { None, Accent, Down };

    struct Step
    {
        const AudioClip* clip = nullptr; // none: a silent step
        Light light = Light::None;
    };

    // A pattern as each player steps it, one Step per letter. The clips must outlive the walker.
    struct Pattern
    {
        std::vector<Step> pattern;
        std::vector<Step> metronome;
    };

    // The least time from a timer's switch to its first tick: 40 ms.
    static constexpr std::int64_t kStartSamples = 1764;

    StepWalker();
    ~StepWalker() override;
    StepWalker(const StepWalker&) = delete;
    StepWalker& operator=(const StepWalker&) = delete;

    // The pattern both players step from now on, and the 1-based position of the next step.
    void setPattern(std::unique_ptr<const Pattern> pattern, std::int16_t position);
    // The steps of the pattern handed over last, with other clips (the same letters): the players
    // go on from where they are, on their grid, and the next step placed sounds the new clips.
    void setSteps(std::unique_ptr<const Pattern> steps);
    void setInterval(const ExactInterval& interval);
    // Switches a timer; `at` is the audio clock's now() at the switch.
    void setEnabled(Player player, bool enabled, std::int64_t at);
    // Fades out the clip sounding; the steps still to come play on.
    void purge();

    // A step of the metronome player that lights a beat: the sample its click starts on, and the
    // run it belongs to (the metronome player's runs are counted from 1 at each switch-on).
    struct Lit
    {
        std::int64_t due = 0;
        Light light = Light::None;
        std::uint32_t run = 0;
    };

    // The lit steps in the order they were stepped. The callback keeps up to kLitCapacity of
    // them for the UI; beyond that (a UI thread held up for several seconds at the fastest
    // rates) it drops the newest.
    std::optional<Lit> takeLit();

    static constexpr std::int64_t kNoStep = std::numeric_limits<std::int64_t>::max();

    // The sample the metronome player's next step is due on, as the last block rendered left it
    // (kNoStep while it is off or has no interval): every step due before it has been rendered
    // and, if it lights, handed to takeLit(). Empty while a command sent since has not reached
    // the callback, which may bring the next step nearer (a switch-on, a faster rate while the
    // run waits for its first step): the lights can then not know when to look again.
    std::optional<std::int64_t> nextMetronomeStep() const;

    void render(float* mix, int frames, std::int64_t firstSample) override;

private:
    struct Command
    {
        enum class Kind {
            SetPattern,
            SetSteps,
            SetInterval,
            Enable,
            Disable,
            Purge
        } kind = Kind::Purge; // default: a purge
        const Pattern* pattern = nullptr;
        std::int16_t position = 1;
        std::optional<ExactInterval> interval;
        Player player = Player::Pattern;
        std::int64_t at = 0;
    };

    struct Timer
    {
        bool enabled = false;
        // The timer's own interval, set at each tick; empty for the design value of 1 ms.
        std::optional<ExactInterval> interval;
        // The stretch of equal intervals the ticks are on: its first tick and how many came since.
        std::optional<ExactInterval> stretch;
        std::int64_t anchor = 0;
        std::int64_t count = 0;
        std::int64_t next = 0; // due sample of the next tick
        std::int64_t enabledAt = 0;
    };

    static constexpr std::size_t kCommandCapacity = 256;
    static constexpr std::size_t kLitCapacity = 1024;

    // UI thread.
    void send(const Command& command);
    void releaseRetired();

    // Audio thread.
    void apply(const Command& command);
    // When a timer that has not ticked since its switch ticks first.
    std::int64_t firstTick(const Timer& timer) const;
    Timer* nextDue(std::int64_t before);
    void tick(Timer& timer, std::int64_t due);

    static void releaseNothing(void*, void*) {}

    CommandQueue<Command, kCommandCapacity> m_commands;
    // Patterns the callback is done with, for deletion on the UI thread. Each send() releases
    // them before it hands over more, and the command queue holds half this room.
    ReturnQueue<const Pattern, 2 * kCommandCapacity, 16> m_retired { "step patterns" };
    SpscQueue<Lit, kLitCapacity> m_lit;
    // Commands sent (UI thread) and applied (published by the callback after each block), and the
    // metronome player's next step as that block left it.
    std::uint64_t m_sent = 0;
    std::atomic<std::uint64_t> m_applied { 0 };
    std::atomic<std::int64_t> m_metronomeNext { kNoStep };

    // Audio thread.
    std::uint64_t m_appliedCount = 0;
    const Pattern* m_pattern = nullptr;
    std::int16_t StepPosition = 1;
    std::optional<ExactInterval> StepInterval;
    std::array<Timer, 2> m_timers {};
    std::uint32_t m_metronomeRuns = 0;
    ClipVoice m_voice;
};
