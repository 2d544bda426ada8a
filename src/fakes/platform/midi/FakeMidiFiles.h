#pragma once

#include "platform/midi/MidiFilePlayer.h"

#include <map>
#include <memory>

#include <QStringList>

// MIDI-file players for tests: each file's length or open error is scripted by its file name
// (a file not scripted opens as NotFound), the position is set by the test, and every call
// that reaches a player is logged in order ("open Ex1.mid", "play", "pause", "seek 0", "close").
class FakeMidiFiles : public MidiFiles
{
public:
    FakeMidiFiles();

    void addFile(const QString& fileName, std::int64_t lengthMs);
    void failFile(const QString& fileName, MidiFileError error);

    // The position of every open player (it stays within the file's length).
    void setPositionMs(std::int64_t ms);

    const QStringList& log() const { return m_state->log; }

    // What the last player was given (not logged: the media player sends them at any time).
    int volume() const { return m_state->volume; }

    int balance() const { return m_state->balance; }

    double speed() const { return m_state->speed; }

    void clearLog() { m_state->log.clear(); }

    std::unique_ptr<MidiFilePlayer> newPlayer() override;

private:
    struct State
    {
        std::map<QString, std::int64_t> lengths;
        std::map<QString, MidiFileError> errors;
        std::int64_t position = 0;
        QStringList log;
        int volume = 0;
        int balance = 0;
        double speed = 1.0;
    };
    class Player;

    std::shared_ptr<State> m_state;
};
