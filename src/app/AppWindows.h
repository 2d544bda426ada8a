#pragma once

#include "windows/OtherWindows.h"

#include <functional>
#include <memory>

#include <QString>

class FlamPopupMenus;
class EncoderLibrary;
class EncoderSession;
class Mp3Window;
class PlayerWindow;
class TempoLabels;
class frmMtroNew;
class modrec;
class QWidget;
struct Platform;

// The one place that creates the program's windows and hands each what it needs: the hidden
// MIDI-file player, the main window with its engine form, and the windows the main window opens
// (OtherWindows). A window this version does not have yet is answered with an information box
// that says so, in place of silence, so that a menu choice never seems to be ignored. Every
// window it loaded is gone when it is destroyed. UI thread only.
class AppWindows : public OtherWindows
{
public:
    explicit AppWindows(Platform& platform);
    ~AppWindows() override;

    // The hidden MIDI-file player, then the main window with the player and these windows;
    // null when the main window's load ended the program (the user has been told). Once the
    // main window is up, offers the takes that a crash left (offerLeftTakes).
    frmMtroNew* loadMainWindow();

    // Offers each take left in the take folder by a program that did not close (LeftTakeOffer),
    // over the main window.
    void offerLeftTakes();

    // Ends the program as closing the main window does, but asks nothing: whoever ends it (a
    // shutdown, a logout, Ctrl+C) waits for no answer, and no one may be there to give one. A
    // take being recorded is stopped with every byte in its file and left there for the next
    // start to offer; the windows store their settings as they close. Once only.
    void endWithoutAsking();

    // The save dialog of the left takes' offer; tests stand in their own.
    std::function<QString(QWidget* parent)> askLeftTakePath;

    // The main window and its engine form wired to `player` and `windows`, and its load run;
    // null, with neither loaded, when that load ended the program. The program's windows and
    // the tests' recording stand-ins go through this one wiring.
    static frmMtroNew* loadMainWindow(
        Platform& platform, PlayerWindow& player, OtherWindows& windows);

    void showPiano() override;
    void showRecorder() override;
    void showMp3Modal() override;
    void showFrmpolyModal() override;
    void showFrmPaternModal() override;
    void showFrmMSoundModal() override;
    void showFrmfrekvencijeModal() override;
    void showHelp() override;
    void showAboutModal() override;
    bool queryQuit() override;

    // The encoder as the recorder hands it a take.
    Mp3Window& mp3Window();

private:
    Platform& m_platform;
    // The player and the main window reach each other through these, each looked up when called:
    // each is made before the other exists.
    std::unique_ptr<PlayerWindow> m_player;
    std::unique_ptr<TempoLabels> m_tempoLabels;
    // The engine form's menus as the piano window fills and shows them.
    std::unique_ptr<FlamPopupMenus> m_pianoMenus;
    // Loaded on the first encoding, kept for the program's life, as the session is.
    std::unique_ptr<EncoderLibrary> m_encoder;
    std::unique_ptr<EncoderSession> m_encoderSession;
    std::unique_ptr<Mp3Window> m_mp3Window;
    // The recorder's engine, made with the recorder's first showing; its format outlives the
    // recorder window, as the settings dialog does.
    std::unique_ptr<modrec> m_modrec;
    bool m_ending = false;
};
