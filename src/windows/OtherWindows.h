#pragma once

// The windows the main window opens, each behind one call, so that a window plugs in without
// the openers knowing it. The caller has already stopped what had to stop. A modal call returns
// when its window has closed; a modeless one once the window shows. Every call creates the
// window's single instance on first use. UI thread only.
class OtherWindows
{
public:
    virtual ~OtherWindows() = default;

    virtual void showPiano() = 0; // the MIDI piano, modeless, no owner
    virtual void showRecorder() = 0; // the sound recorder, modeless, no owner
    virtual void showMp3Modal() = 0; // the WAV-to-MP3 encoder
    virtual void showFrmpolyModal() = 0; // the grouped-rhythm dialog
    virtual void showFrmPaternModal() = 0; // the pattern-rhythm dialog
    virtual void showFrmMSoundModal() = 0; // the click-sound dialog
    virtual void showFrmfrekvencijeModal() = 0; // the tone generator
    // The help file "metro.html" of the program folder at its top, in the program's help
    // window; nothing when it is missing.
    virtual void showHelp() = 0;
    virtual void showAboutModal() = 0; // the about box

    // Before the program ends: asks each window that may refuse to close (the recorder with a
    // take not saved) once, and closes it when it agrees. False when one stays: the program then
    // goes on as if its end had not been asked.
    virtual bool queryQuit() = 0;
};
