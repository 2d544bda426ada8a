#pragma once

#include <QString>

// The two labels of the main metronome window that the MIDI-file player writes into: the tempo
// label `lblTempo` (it shows the file's length) and `Text2` (the running time). The main window
// implements this and hands it to the player. UI thread only.
class TempoLabels
{
public:
    virtual ~TempoLabels() = default;

    virtual QString lblTempo() const = 0;
    virtual void setLblTempo(const QString& caption) = 0;
    virtual void setText2(const QString& caption) = 0;
};
