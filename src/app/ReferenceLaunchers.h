#pragma once

#include <QString>

class ClickSounds;
class Metronome;
class MetronomeView;
class OtherWindows;
class PlayerWindow;

// The main window's Pitch and Poly menus: the reference notes, the 440 Hz tone, the tone
// generator, the polyrhythm examples and their stops. Each launcher stops what sounds, puts the
// dial back to 0 (whose change stops the beat and, from "PITCH" or "POLY", the player, and
// sets "MM"), writes what it starts into the tempo texts and hands the file to the MIDI-file
// player; Picka and Primeri then set the mode word. A file that does not open is reported once,
// by the player, and the launcher still runs to its end. UI thread only.
class ReferenceLaunchers
{
public:
    ReferenceLaunchers(const QString& programFolder,
        Metronome& metronome,
        ClickSounds& sounds,
        PlayerWindow& player,
        OtherWindows& windows,
        MetronomeView& view);

    // Index 0 the 440 Hz tone, 1 the tone generator (modal; the mode word stays as its dial
    // reset left it), 2 to 10 the notes D3 to E5, 12 the tuner's stop; then "PITCH".
    void Picka(int Index);
    // A running beat stops first, for every index; 2 to 6 the examples, then "POLY"; 8 their
    // stop, then "MM".
    void Primeri(int Index);

private:
    void PlayA440Wav();
    void OpenToneGenerator();
    void StopPolyExample();
    // Steps up to the blanking of Text2, then the name into lblTempo.
    void stopAndReset();
    void launchMidi(const QString& name, const QString& file);

    QString m_programFolder;
    Metronome& m_metronome;
    ClickSounds& m_sounds;
    PlayerWindow& m_player;
    OtherWindows& m_windows;
    MetronomeView& m_view;
};
