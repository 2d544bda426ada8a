#pragma once

#include <QString>

// What the menu handlers call on the MIDI piano window, and the few of its controls they set.
// The piano window implements this; calls come on the UI thread, from a menu choice.
class PianoCommands
{
public:
    virtual ~PianoCommands() = default;

    // Makes Inst (0 to 127) the current instrument and sends it on MIDI channel 1.
    virtual void Pianino(int Inst) = 0;
    // Asks for a new base note; may show an input box and a message box.
    virtual void Baza() = 0;
    // Makes Ch (0 to 15) the current channel; moves the check mark of the channel entries itself.
    virtual void Kanal(int Ch) = 0;
    // Opens MIDI output Dev of the device menu (0 = the default output); moves the check mark of
    // the device entries itself and reports a failure to open.
    virtual void Uredjaj(int Dev) = 0;
    // Sets the drum note of the selected drum pad to Index + 35.
    virtual void mnDrum(int Index) = 0;
    // Starts accompaniment style Index with its intro.
    virtual void mnBeat(int Index) = 0;

    virtual void setCombo1Text(const QString& text) = 0; // the piano mode box
    virtual void setPratnjaAvailable(bool available) = 0; // the "Left Hand only" check box
    virtual void focusPicPozadina() = 0; // the box that takes the computer-keyboard input
    virtual void setLblInstCaption(const QString& caption) = 0; // the instrument label
    virtual void setLabel10Caption(const QString& caption) = 0; // the accompaniment style label

    // Shows the drum-pad window modeless, owned by the piano window.
    virtual void showFrmDrums() = 0;
};
