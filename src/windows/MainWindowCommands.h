#pragma once

// The main window's public procedures that the menu handlers call. The main window implements
// this; every call comes on the UI thread, from a menu choice, and may open a modal window
// before it returns.
class MainWindowCommands
{
public:
    virtual ~MainWindowCommands() = default;

    // Reference notes and the tuner: Index is the Pitch menu's index (0 to 12).
    virtual void Picka(int Index) = 0;
    // Beats per bar (Index 0 to 5) or the click-sound dialog (7).
    virtual void Bitovi(int Index) = 0;
    // Polyrhythm examples: Index is the Poly menu's index (2 to 8), passed unchanged.
    virtual void Primeri(int Index) = 0;

    virtual void raz1() = 0; // MIDI piano
    virtual void raz2() = 0; // recorder
    virtual void raz3() = 0; // MP3 encoder
    virtual void raz4() = 0; // grouped-rhythm dialog
    virtual void raz5() = 0; // pattern-rhythm dialog
    virtual void raz6() = 0; // custom tempo prompt
    virtual void raz7() = 0; // start/stop toggle
    virtual void raz8() = 0; // click-sound dialog
    virtual void raz10() = 0; // help
    virtual void raz11() = 0; // close the main window
    virtual void fla1() = 0; // grouped-rhythm dialog, from the Flam menu
    virtual void fla2() = 0; // pattern-rhythm dialog, from the Flam menu
};
