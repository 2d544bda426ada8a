#pragma once

#include "platform/midi/BuiltInSynthPort.h"
#include "platform/midi/MidiFile.h"

#include <cstdint>
#include <memory>

#include <QString>

class AudioEngine;
class MidiFileSequencer;

// One MIDI file at a time, played on a built-in synth of its own (its programs and controllers
// never touch the piano's device). Times are milliseconds from the start of the file.
//
// States: closed; open (stopped or paused at a position); playing. open() closes first; at the
// end of the file playing stops by itself with the position at the length. Calls on a closed
// player do nothing (play() then returns false). UI thread only.
class MidiFilePlayer
{
public:
    virtual ~MidiFilePlayer() = default;

    virtual MidiFileError open(const QString& path) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    virtual bool play() = 0;
    virtual void pause() = 0;
    virtual void seek(std::int64_t ms) = 0;

    // Hold for the files opened later too. Hundredths of a decibel, as the media players take
    // them; the speed 1 is the file's own pace.
    virtual void setLevel(int volume, int balance) = 0;
    virtual void setSpeed(double speed) = 0;

    virtual bool isPlaying() const = 0;
    virtual std::int64_t lengthMs() const = 0;
    virtual std::int64_t positionMs() const = 0;
};

// Makes the players (the MIDI-file device of each user).
class MidiFiles
{
public:
    virtual ~MidiFiles() = default;
    virtual std::unique_ptr<MidiFilePlayer> newPlayer() = 0;
};

// Players mixed into `engine`, on the SoundFont `fonts` gives.
class SynthMidiFiles : public MidiFiles
{
public:
    SynthMidiFiles(AudioEngine& engine, SoundFontSource fonts);
    std::unique_ptr<MidiFilePlayer> newPlayer() override;

private:
    AudioEngine& m_engine;
    SoundFontSource m_fonts;
};

class SynthMidiFilePlayer : public MidiFilePlayer
{
public:
    SynthMidiFilePlayer(AudioEngine& engine, SoundFontSource fonts);
    ~SynthMidiFilePlayer() override;

    MidiFileError open(const QString& path) override;
    void close() override;

    bool isOpen() const override { return m_open; }

    bool play() override;
    void pause() override;
    void seek(std::int64_t ms) override;
    void setLevel(int volume, int balance) override;
    void setSpeed(double speed) override;
    bool isPlaying() const override;
    std::int64_t lengthMs() const override;
    std::int64_t positionMs() const override;

private:
    AudioEngine& m_engine;
    SoundFontSource m_fonts;
    // Made at the first open and kept: its synth's setup costs more than a file's.
    std::unique_ptr<MidiFileSequencer> m_sequencer;
    bool m_open = false;
    int m_volume = 0;
    int m_balance = 0;
    double m_speed = 1.0;
};
