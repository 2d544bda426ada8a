#pragma once

#include "piano/TimedStepper.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>

#include <QString>
#include <QStringList>

class KeyPlayer;
class MidiOut;
class ScaleTempo;
class WakeTimer;

// A scale one octave up from key 0 and down again: the keys pressed on the way up (the last is
// 12) and on the way down (the first after the turn, which strikes 12 again), the counter value
// past which its run ends, and the note names it shows.
struct Scale
{
    std::initializer_list<int> up;
    std::initializer_list<int> down;
    int limit;
    const char* structure;
};

// The 25 scales, and the 27 entries of the scale list with the scale each plays (two pairs of
// entries name the same scale).
std::span<const Scale> scales();
QStringList scaleListNames();
const Scale* scaleOfListEntry(int index);

// Appends the 39 chord names to the chord list and the 27 scale names to the scale list.
void Boxovi(QStringList& chordList, QStringList& scaleList);

// What the window shows of a running scale.
struct ScaleView
{
    std::function<void(const QString&)> setLabel6; // the step counter's text
    std::function<void(bool)> setTempoEnabled; // the "Scale Tempo" button
};

// The timed scales without their widgets. One step a note interval: the counter (`pb1`) goes
// 10, 20, ... and each value plays its step of the scale; the run ends at the first step that
// finds the counter past the scale's limit, releasing keys 0..17. Every note goes through the
// piano's keys, placed at its step's due sample. UI thread only.
class ScalePlayer
{
public:
    ScalePlayer(KeyPlayer& keys,
        const ScaleTempo& tempo,
        MidiOut& midi,
        std::function<std::int64_t()> now,
        std::unique_ptr<WakeTimer> wake,
        ScaleView view);

    // A scale list entry chosen, or the play button (-1: none chosen). Any scale still running
    // stops and the counter goes back to 10, so the new scale starts on its first note; the
    // tempo button is off while a scale runs, and only then.
    void C2_Click(int index);
    // The window closes: no step sounds after it.
    void stop();

    const QString& rts() const { return m_rts; }

    int pb1() const { return m_counter; }

    bool tempoEnabled() const { return m_tempoEnabled; }

    bool running() const { return m_stepper.running(); }

private:
    void step(std::size_t index, std::int64_t due);
    void perform(const Scale& scale, std::int64_t due);
    void releaseScaleKeys(std::optional<std::int64_t> at);
    void setTempoEnabled(bool enabled);

    KeyPlayer& m_keys;
    const ScaleTempo& m_tempo;
    std::function<std::int64_t()> m_now;
    ScaleView m_view;
    TimedStepper m_stepper;
    const Scale* m_scale = nullptr;
    std::size_t m_lastStep = 0;
    int m_counter = 10;
    bool m_tempoEnabled = true;
    QString m_rts;
};
