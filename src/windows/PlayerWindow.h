#pragma once

#include <cstdint>

#include <QString>

// What the main window asks of the hidden MIDI-file player: play a file, stop and forget the file
// it plays, and set the master volume. Touching the player loads it when it is not loaded. UI
// thread only.
class PlayerWindow
{
public:
    virtual ~PlayerWindow() = default;

    // Stops and closes whatever plays.
    virtual void stani2() = 0;
    // stani2, then back to the player's idle CD mode.
    virtual void stani() = 0;
    // The MIDI file's name relative to the program folder; "" forgets it.
    virtual void setTxtmidi(const QString& fileName) = 0;
    // Opens the file named by setTxtmidi and shows its length (an empty name opens nothing and
    // shows nothing; a file that does not open is reported to the user), then plays it.
    virtual void svirajmidi() = 0;
    virtual void sviraj() = 0;
    // Level: the volume slider's position, 0 to 100.
    virtual void DajJako(std::int32_t Level) = 0;
};
