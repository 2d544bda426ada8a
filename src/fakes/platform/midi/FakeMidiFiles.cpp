#include "platform/midi/FakeMidiFiles.h"

#include <algorithm>

#include <QFileInfo>

class FakeMidiFiles::Player : public MidiFilePlayer
{
public:
    explicit Player(std::shared_ptr<State> state)
        : m_state(std::move(state))
    {}

    MidiFileError open(const QString& path) override
    {
        close();
        const QString name = QFileInfo(path).fileName();
        m_state->log << QStringLiteral("open ") + name;
        const auto error = m_state->errors.find(name);
        if (error != m_state->errors.end())
            return error->second;
        const auto length = m_state->lengths.find(name);
        if (length == m_state->lengths.end())
            return MidiFileError::NotFound;
        m_length = length->second;
        m_open = true;
        return MidiFileError::None;
    }

    void close() override
    {
        if (!m_open)
            return;
        m_state->log << QStringLiteral("close");
        m_open = false;
        m_playing = false;
    }

    bool isOpen() const override { return m_open; }

    bool play() override
    {
        if (!m_open)
            return false;
        m_state->log << QStringLiteral("play");
        m_playing = true;
        return true;
    }

    void pause() override
    {
        if (!m_open)
            return;
        m_state->log << QStringLiteral("pause");
        m_playing = false;
    }

    void seek(std::int64_t ms) override
    {
        if (m_open)
            m_state->log << QStringLiteral("seek ") + QString::number(ms);
    }

    void setLevel(int volume, int balance) override
    {
        m_state->volume = volume;
        m_state->balance = balance;
    }

    void setSpeed(double speed) override { m_state->speed = speed; }

    bool isPlaying() const override { return m_playing; }

    std::int64_t lengthMs() const override { return m_open ? m_length : 0; }

    std::int64_t positionMs() const override
    {
        return m_open ? std::clamp<std::int64_t>(m_state->position, 0, m_length) : 0;
    }

private:
    std::shared_ptr<State> m_state;
    bool m_open = false;
    bool m_playing = false;
    std::int64_t m_length = 0;
};

FakeMidiFiles::FakeMidiFiles()
    : m_state(std::make_shared<State>())
{}

void FakeMidiFiles::addFile(const QString& fileName, std::int64_t lengthMs)
{
    m_state->lengths[fileName] = lengthMs;
}

void FakeMidiFiles::failFile(const QString& fileName, MidiFileError error)
{
    m_state->errors[fileName] = error;
}

void FakeMidiFiles::setPositionMs(std::int64_t ms)
{
    m_state->position = ms;
}

std::unique_ptr<MidiFilePlayer> FakeMidiFiles::newPlayer()
{
    return std::make_unique<Player>(m_state);
}
