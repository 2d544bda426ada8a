#pragma once

#include "piano/BeatAccompaniment.h"
#include "piano/KeyRepeatFilter.h"
#include "piano/PianoCore.h"
#include "piano/PianoMediaPlayer.h"
#include "windows/PianoCommands.h"
#include "windows/SingleInstance.h"

#include <array>
#include <functional>
#include <memory>

#include <QPointer>
#include <QWidget>

class BeatAccompaniment;
class ChordScalePanels;
class GGCommand;
class Knob;
class PianoKey;
class PopupMenus;
class QTimer;
class RateStripLabel;
class SliderPic;
class QFrame;
class QLabel;
class clsMusic;
class frmDrums;
struct Platform;

// The MIDI piano window: a borderless 750 x 300 window with rounded corners, 37 keys and the
// sustain key, the device, channel, base and instrument labels, the velocity knob, the twelve
// drum-pad labels and the Instrument, Options and close buttons. The window itself is the
// background that keeps the keyboard focus (it takes Tab too); its controls never take it. It
// draws and forwards: PianoCore holds the playing state.
//
// Made by AppWindows at each opening; unloading (the close button, Esc, the window manager's
// close, or the program's end) releases what is held, closes the MIDI device and stops the
// media player, then hands the window to `closed`, which destroys it later, outside its own
// event. UI thread only.
class frmMidiPiano : public QWidget, public PianoCommands, public SingleInstance<frmMidiPiano>
{
    Q_OBJECT

public:
    // `closed(byEscape)` runs once, at unload.
    frmMidiPiano(Platform& platform, PopupMenus& menus, std::function<void(bool byEscape)> closed);
    ~frmMidiPiano() override;

    void Pianino(int Inst) override { m_core.Pianino(Inst); }

    void Baza() override { m_core.Baza(); }

    void Kanal(int Ch) override { m_core.Kanal(Ch); }

    void Uredjaj(int Dev) override { m_core.Uredjaj(Dev); }

    void mnDrum(int Index) override { m_core.mnDrum(Index); }

    void mnBeat(int Index) override;

    void setCombo1Text(const QString& text) override;

    void setPratnjaAvailable(bool available) override;

    // Also makes the piano the active window, so that the next key plays: this is what a choice
    // in another window or a menu calls; while a box is open the piano takes the keys once it
    // has closed. Keys pressed by the program only set the focus inside the window
    // (PianoView::focusBackground), never taking the keyboard from another window.
    void focusPicPozadina() override;

    void setLblInstCaption(const QString& caption) override;

    void setLabel10Caption(const QString& caption) override;

    void showFrmDrums() override;

    void Form_Unload();

    bool unloaded() const { return m_unloaded; }

    PianoCore& core() { return m_core; }

    ChordScalePanels& panels() { return *m_panels; }

    BeatAccompaniment& beat() { return *m_beat; }

    PianoMediaPlayer& mediaPlayer() { return *m_player; }

    // The open-file dialog of the media player: a file name, or empty after Cancel.
    std::function<QString()> chooseMediaFile;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void placeControls();
    void placeBeatControls();
    BeatView beatView();
    RateStrip rateStrip() const;
    void placeMediaControls();
    MediaView mediaView();
    QLabel* label(const QRect& place, const QString& text, int points);
    PianoView view();
    void unloadWindow(bool byEscape);
    // Stops the beat, the panels, the notes, the refresh timer and the player; false when they
    // were stopped already.
    bool stopOnce();

    Platform& m_platform;
    PopupMenus& m_menus;
    std::function<void(bool)> m_closed;
    PianoCore m_core;
    KeyRepeatFilter m_keyFilter;
    std::unique_ptr<ChordScalePanels> m_panels;
    std::unique_ptr<clsMusic> m_mediaPlayer;
    std::unique_ptr<BeatAccompaniment> m_beat;
    std::unique_ptr<MusicPlayer> m_music;
    std::unique_ptr<PianoMediaPlayer> m_player;
    std::array<PianoKey*, PianoCore::kKeyCount + 1> m_keys {}; // the last one is key 100
    QLabel* m_label3 = nullptr;
    QLabel* m_label9 = nullptr;
    QLabel* m_lblInst = nullptr;
    QLabel* m_label14 = nullptr;
    Knob* m_knob2 = nullptr;
    GGCommand* m_instrument = nullptr;
    GGCommand* m_options = nullptr;
    GGCommand* m_close = nullptr;
    GGCommand* m_rhythm = nullptr; // GGCommand4
    GGCommand* m_stopRhythm = nullptr; // GGCommand6
    QLabel* m_label10 = nullptr;
    RateStripLabel* m_lblRate = nullptr;
    QLabel* m_lblRatePtr = nullptr;
    QFrame* m_line1 = nullptr;
    GGCommand* m_openMedia = nullptr; // GGCommand3
    GGCommand* m_toggle = nullptr; // GGCommand15
    GGCommand* m_stopMedia = nullptr; // GGCommand14
    SliderPic* m_slider1 = nullptr;
    Knob* m_knob1 = nullptr;
    QLabel* m_label4 = nullptr;
    QLabel* m_label15 = nullptr;
    QTimer* m_tmrTimer = nullptr;
    QPointer<frmDrums> m_drums;
    bool m_unloaded = false;
    bool m_focusPending = false; // the keys come back once a box has closed
};
