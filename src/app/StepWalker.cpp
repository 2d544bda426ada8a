#include "app/StepWalker.h"

#include "platform/audio/AudioClip.h"

#include <algorithm>
#include <limits>

namespace {

// The timers' design interval of 1 ms, in whole samples.
constexpr std::int64_t kDesignIntervalSamples = 44;

} // namespace

StepWalker::StepWalker()
    : m_voice(&StepWalker::releaseNothing, nullptr)
{}

StepWalker::~StepWalker()
{
    // The owner has taken the walker off the audio engine: nothing renders it any more.
    releaseRetired();
    m_commands.takeAll([](const Command& command) {
        delete command.pattern;
    });
    delete m_pattern;
}

void StepWalker::setPattern(std::unique_ptr<const Pattern> pattern, std::int16_t position)
{
    Command command;
    command.kind = Command::Kind::SetPattern;
    command.pattern = pattern.release();
    command.position = position;
    send(command);
}

void StepWalker::setSteps(std::unique_ptr<const Pattern> steps)
{
    Command command;
    command.kind = Command::Kind::SetSteps;
    command.pattern = steps.release();
    send(command);
}

void StepWalker::setInterval(const ExactInterval& interval)
{
    Command command;
    command.kind = Command::Kind::SetInterval;
    command.interval = interval;
    send(command);
}

void StepWalker::setEnabled(Player player, bool enabled, std::int64_t at)
{
    Command command;
    command.kind = enabled ? Command::Kind::Enable : Command::Kind::Disable;
    command.player = player;
    command.at = at;
    send(command);
}

void StepWalker::purge()
{
    send(Command {});
}

std::optional<StepWalker::Lit> StepWalker::takeLit()
{
    return m_lit.pop();
}

std::optional<std::int64_t> StepWalker::nextMetronomeStep() const
{
    // The count first: the step stored before it belongs to a block that applied every command.
    if (m_applied.load(std::memory_order_acquire) != m_sent)
        return std::nullopt;
    return m_metronomeNext.load(std::memory_order_acquire);
}

void StepWalker::send(const Command& command)
{
    releaseRetired();
    ++m_sent;
    m_commands.send(command);
}

void StepWalker::releaseRetired()
{
    m_retired.release();
}

void StepWalker::render(float* mix, int frames, std::int64_t firstSample)
{
    m_retired.flushStash();
    while (auto command = m_commands.pop()) {
        apply(*command);
        ++m_appliedCount;
    }
    // Ticks in time order, each clip started on its own sample: mix up to it, start, go on.
    const std::int64_t end = firstSample + frames;
    int cursor = 0;
    while (Timer* timer = nextDue(end)) {
        // A tick due before the block (a switch that came late, a clock that jumped over a
        // stalled device) plays at once; the ticks it missed beyond that one never come, as a
        // timer's ticks held up in a message queue come as one.
        const std::int64_t due = std::max(timer->next, firstSample);
        const int offset = static_cast<int>(due - firstSample);
        m_voice.mix(mix, cursor, offset);
        cursor = offset;
        tick(*timer, due);
        while (timer->next < firstSample)
            timer->next = timer->anchor + timer->stretch->offsetOfStep(++timer->count);
    }
    m_voice.mix(mix, cursor, frames);
    const Timer& metronome = m_timers[static_cast<std::size_t>(Player::Metronome)];
    m_metronomeNext.store(
        metronome.enabled && StepInterval ? metronome.next : kNoStep, std::memory_order_release);
    m_applied.store(m_appliedCount, std::memory_order_release);
}

void StepWalker::apply(const Command& command)
{
    switch (command.kind) {
    case Command::Kind::SetPattern:
        StepPosition = command.position;
        [[fallthrough]];
    case Command::Kind::SetSteps:
        m_retired.retire(m_pattern);
        m_pattern = command.pattern;
        break;
    case Command::Kind::SetInterval:
        StepInterval = command.interval;
        // A run still waiting for its first step never waits longer than its new rate's interval.
        for (Timer& timer : m_timers) {
            if (timer.enabled && !timer.stretch)
                timer.next = std::min(timer.next, firstTick(timer));
        }
        break;
    case Command::Kind::Enable: {
        Timer& timer = m_timers[static_cast<std::size_t>(command.player)];
        if (timer.enabled)
            break;
        timer.enabled = true;
        timer.enabledAt = command.at;
        timer.stretch.reset();
        timer.next = firstTick(timer);
        if (command.player == Player::Metronome)
            ++m_metronomeRuns;
        break;
    }
    case Command::Kind::Disable:
        m_timers[static_cast<std::size_t>(command.player)].enabled = false;
        break;
    case Command::Kind::Purge:
        m_voice.cut();
        break;
    }
}

std::int64_t StepWalker::firstTick(const Timer& timer) const
{
    std::int64_t wait = timer.interval ? timer.interval->offsetOfStep(1) : kDesignIntervalSamples;
    // The interval of the last tick may belong to a far slower rate (a dial drag passes tempo 3,
    // 20 s a step): the beat the user now sees must not wait for it.
    if (StepInterval)
        wait = std::min(wait, StepInterval->offsetOfStep(1));
    return timer.enabledAt + std::max(wait, kStartSamples);
}

StepWalker::Timer* StepWalker::nextDue(std::int64_t before)
{
    // No tick runs before there is a step interval to set. On the same sample the pattern
    // player ticks first.
    Timer* earliest = nullptr;
    for (Timer& timer : m_timers) {
        if (timer.enabled && StepInterval && timer.next < before
            && (!earliest || timer.next < earliest->next))
            earliest = &timer;
    }
    return earliest;
}

void StepWalker::tick(Timer& timer, std::int64_t due)
{
    timer.interval = StepInterval;
    const bool metronome = &timer == &m_timers[static_cast<std::size_t>(Player::Metronome)];
    const std::vector<Step>* steps = nullptr;
    if (m_pattern)
        steps = metronome ? &m_pattern->metronome : &m_pattern->pattern;
    const auto length = static_cast<std::int64_t>(steps ? steps->size() : 0);
    // A position outside the pattern is a silent step.
    if (StepPosition >= 1 && StepPosition <= length) {
        const Step& step = (*steps)[static_cast<std::size_t>(StepPosition - 1)];
        if (step.clip && step.clip->frames() > 0)
            m_voice.start(*step.clip, const_cast<AudioClip*>(step.clip));
        if (metronome && step.light != Light::None)
            m_lit.push(Lit { due, step.light, m_metronomeRuns });
    }
    // Past the end too (a start beyond a shorter pattern, an empty pattern): the next step is
    // the first, so the position never overflows.
    if (StepPosition >= length || StepPosition == std::numeric_limits<std::int16_t>::max())
        StepPosition = 0;
    ++StepPosition;

    if (timer.stretch && *timer.stretch == *StepInterval) {
        ++timer.count;
    } else {
        timer.stretch = StepInterval;
        timer.anchor = due;
        timer.count = 1;
    }
    timer.next = timer.anchor + timer.stretch->offsetOfStep(timer.count);
}
