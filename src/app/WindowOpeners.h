#pragma once

#include <memory>

#include <QString>

class ClickSounds;
class Metronome;
class MetronomeView;
class OtherWindows;
class PlayerWindow;

// What the openers read and do on the main window.
class OpenerHost
{
public:
    virtual ~OpenerHost() = default;

    // The mode word: "MM", "PITCH" (a reference note or the tuner), "POLY" (an example).
    virtual QString lblcd() const = 0;
    // The play/stop image shows the stop picture.
    virtual bool running() const = 0;
    // The play/stop toggle; while running it stops the beat.
    virtual void imstop_Click() = 0;
    // Ends every clip and the 440 Hz tone.
    virtual void StopSound() = 0;
    virtual void setText2(const QString& caption) = 0;
    virtual void setLblTempo(const QString& caption) = 0;
    // Sets the tempo dial; the main window's dial change runs before this returns.
    virtual void setDialValue(double dateTime) = 0;
};

// The main window's metronome as an OpenerHost.
std::unique_ptr<OpenerHost> makeOpenerHost(
    Metronome& metronome, ClickSounds& sounds, MetronomeView& view);

// The main window's openers of the other windows. Every window that makes sound opens only after
// what the main window plays has stopped, in an order fixed per window: the metronome, the MIDI
// file of a reference note or example (the player) and the clips and tone (StopSound). The click-
// sound dialog and the about box stop nothing. UI thread only; a modal opener returns when its
// window has closed.
class WindowOpeners
{
public:
    WindowOpeners(OpenerHost& host, PlayerWindow& player, OtherWindows& windows);

    // The MIDI piano: the player stopped completely and back in its idle mode, the tempo texts
    // blank, the metronome stopped, and a 440 Hz tone ended.
    void kkommand3();

    void raz1() { kkommand3(); }

    // The recorder (modeless) and the MP3 encoder (modal), also from the "Rec" and "MP3" buttons.
    void raz2();
    void raz3();

    void GGCommand5_Click() { raz2(); }

    void GGCommand6_Click() { raz3(); }

    // The grouped-rhythm and pattern-rhythm dialogs, modal; from a reference note or an example
    // the dial goes back to 0 first.
    void raz4();
    void raz5();

    void fla1() { raz4(); }

    void fla2() { raz5(); }

    // The click-sound dialog, modal; stops nothing.
    void raz8();
    // Help: the clips, the tone and the MIDI file stop; the metronome goes on.
    void raz10();
    // The about box from its hot spot, modal; stops nothing.
    void Image23_Click();

private:
    enum class Dialog { Frmpoly, FrmPatern };

    void recorderStopSteps();
    void dialogStopSteps(Dialog dialog);
    void forgetMidiFile();
    void forgetMidiFileAndBlankTexts();
    void stopBeatOrForgetFileThenSounds();

    OpenerHost& m_host;
    PlayerWindow& m_player;
    OtherWindows& m_windows;
};
