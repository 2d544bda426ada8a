#pragma once

#include "platform/media/MediaEngine.h"

#include <cstdint>
#include <memory>
#include <optional>

class MidiFilePlayer;

// A MIDI file as a media graph: the program's own MIDI-file player (rendered by the built-in
// synth inside the sound engine's callback) behind the media player class, so that a .mid file
// plays on the same clock as every other sound.
//
// Positions are whole milliseconds; at the end the player stops with its position at the
// length, so position() is then exactly duration(). The volume, balance and speed are the
// player's, read back as they were set.
class MidiFileGraph final : public MediaGraph
{
public:
    // `player` may be null (no MIDI-file service): the graph then renders nothing.
    explicit MidiFileGraph(std::unique_ptr<MidiFilePlayer> player);
    ~MidiFileGraph() override;

    bool renderFile(const QString& path) override;

    bool hasAudio() const override { return m_rendered; }

    bool hasVideo() const override { return false; }

    QSize videoSize() const override { return {}; }

    void showVideo(WId) override {}

    void run() override;
    void pause() override;
    void stop() override;

    State state() const override { return m_state; }

    double duration() const override;
    double position() const override;
    void seek(double seconds) override;

    double rate() const override { return m_rendered ? m_rate : 0.0; }

    void setRate(double rate) override;

    int volume() const override { return m_volume; }

    void setVolume(int hundredthsOfDb) override;

    int balance() const override { return m_balance; }

    void setBalance(int hundredthsOfDb) override;

private:
    // A seek reaches the sequencer at the start of the engine's next block; until its position
    // moves, the target is the place to report.
    struct PendingSeek
    {
        std::int64_t targetMs = 0;
        std::int64_t fromMs = 0;
    };

    std::unique_ptr<MidiFilePlayer> m_player;
    bool m_rendered = false;
    State m_state = State::Stopped;
    double m_rate = 1.0;
    int m_volume = 0;
    int m_balance = 0;
    mutable std::optional<PendingSeek> m_pendingSeek;
};
