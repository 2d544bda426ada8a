#pragma once

#include "app/ClickRate.h"
#include "app/FlamMenus.h"
#include "app/StepTimer.h"
#include "app/StepWalker.h"
#include "platform/basic/WakeTimer.h"
#include "windows/SingleInstance.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>

#include <QObject>
#include <QString>

class BeatLights;
class ClickSounds;
struct Platform;

// The hidden engine form: two step players that walk a pattern of letters, one letter per step,
// and sound a click for each on its exact sample. `Timer2` drives the metronome player, which
// also moves the main window's beat lights; `Timer1` drives the pattern player, which knows the
// letters "F" and "P" too and moves no light. `Timer3` has no steps; the main window's stop
// disables it with the others.
//
// Letters (case-sensitive; any other character is a silent step):
//   letter  pattern player           metronome player  lights (metronome player)
//   "F"     FirstBeatSound           silent            unchanged
//   "U"     UpBeatSound              UpBeatSound       Image5 shown, imz and Image4 hidden
//   "D"     DownBeatSound            DownBeatSound     Image5 hidden, then zeleno
//   "A"     AccentBeatSound          AccentBeatSound   as "U"
//   "P"     the pause clip (116)     silent            unchanged
//
// The main window writes the click rate into Label3 and the pattern player's inputs into txtRit
// and txtBB, hands over the pattern with Flamenko or SvirajNormal and enables the timers. The
// players step on the audio side (StepWalker: the ticks, the wrap, each click on its exact
// sample); this form hands it the pattern as Play and PlayNormal sound it, the step interval and
// the timers' switches, and lights the beats of the metronome player's steps when their samples
// leave the speakers, on a UI wake-up set for the next step due (the audio side says when that
// is): a slow beat wakes the UI thread about once a step, a fast one about once a display frame.
// The clip choices are read when a pattern is handed over, and again when they change
// (ClickSounds::choicesChanged), which hands the players the new clips without moving them on the
// pattern.
//
// The form owns the click sounds with the step walker they hold. The composition root builds it
// before the main window, hands both to the window, and gives it the window's beat lights once
// the window is built; the form goes with the window. UI thread only.
class frmFlam : public QObject, public SingleInstance<frmFlam>
{
    Q_OBJECT

public:
    frmFlam(Platform& platform,
        std::unique_ptr<ClickSounds> sounds,
        const WakeTimerFactory& timers = makeQtWakeTimer,
        QObject* parent = nullptr);
    ~frmFlam() override;

    StepTimer Timer1;
    StepTimer Timer2;
    StepTimer Timer3;

    // The click rate in steps per minute as text (Val reads it). A change of text sets the step
    // interval; a rate the engine cannot time (0, not a number, outside kMinClickRate to
    // kMaxClickRate) keeps the previous one. Writing the same text again does nothing.
    const QString& Label3() const { return m_Label3; }

    void setLabel3(const QString& caption);

    // The pattern player's pattern: a new text disables Timer1 until Flamenko starts it again.
    const QString& txtRit() const { return m_txtRit; }

    void setTxtRit(const QString& text);

    // The pattern player's start position as text: a new text is clamped, once, to 1 up to the
    // length of txtRit (1 when txtRit is empty).
    const QString& txtBB() const { return m_txtBB; }

    void setTxtBB(const QString& text);

    // Starts the pattern player on `Pattern` from the position in txtBB.
    void Flamenko(const QString& Pattern);
    // Hands `Pattern` to the metronome player from its first step; the caller enables Timer2.
    // Either one, while a player runs, makes its next step the pattern's start.
    void SvirajNormal(const QString& Pattern);

    // Every menu of the application; the windows that use them show them as popups.
    FlamMenus& menus() { return m_menus; }

    // The clips, the four click choices and the step walker the players step on.
    ClickSounds& sounds() { return *m_sounds; }

    // The lights the metronome player moves; with none (null) its steps still sound. They change
    // at most once a frame of a display that shows `refreshRate` frames a second (60 when it is
    // no rate between 20 and 1000): steps that come faster show the latest one's state.
    void setLights(BeatLights* lights, double refreshRate = 60);

private:
    Platform& m_platform;
    std::unique_ptr<ClickSounds> m_sounds;
    BeatLights* m_lights = nullptr;

    QString m_Label3;
    QString m_txtRit;
    QString m_txtBB;
    bool m_clampingTxtBB = false;

    // The pattern handed over last, its start position, and the distance between steps (empty
    // until a timeable rate first arrives). The position of the next step lives on the audio
    // side, which moves it on.
    QString StepPattern;
    std::int16_t StepPosition = 1;
    std::optional<ExactInterval> StepInterval;

    void Label3_Change();
    void txtRit_Change();
    void txtBB_Change();

    // What a letter's step sounds and lights: Play for the pattern player, PlayNormal for the
    // metronome player.
    StepWalker::Step Play(QChar letter);
    StepWalker::Step PlayNormal(QChar letter);
    std::unique_ptr<StepWalker::Pattern> stepsOf(const QString& Pattern);
    void handOver();
    void handOverClips();

    void metronomeSwitched(bool enabled);
    void showDueLights();
    void showLightsDueAt(std::int64_t sounding);
    void wakeForNextLight(std::optional<std::int64_t> next, std::int64_t sounding);

    std::uint32_t m_metronomeRun = 0;
    std::deque<StepWalker::Lit> m_pendingLights;
    // The least distance between two changes of the lights (a display frame less a wake-up's
    // slack), and the sounding sample at their last change (long ago at first).
    std::int64_t m_lightChangeGapSamples = 647;
    std::int64_t m_lastLightChange = -(std::int64_t { 1 } << 62);
    std::unique_ptr<WakeTimer> m_lightWake;
    FlamMenus m_menus;
};
