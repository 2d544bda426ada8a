#include "platform/media/MidiFileGraph.h"

#include "platform/midi/MidiFilePlayer.h"
#include "platform/midi/MidiFileSequencer.h"

#include <algorithm>
#include <cmath>

MidiFileGraph::MidiFileGraph(std::unique_ptr<MidiFilePlayer> player)
    : m_player(std::move(player))
{}

MidiFileGraph::~MidiFileGraph()
{
    // Takes the sequencer out of the sound engine's mix before the player goes.
    if (m_rendered)
        m_player->close();
}

bool MidiFileGraph::renderFile(const QString& path)
{
    if (!m_player || m_rendered || path.isEmpty())
        return false;
    m_rendered = m_player->open(path) == MidiFileError::None;
    return m_rendered;
}

void MidiFileGraph::run()
{
    if (m_rendered && m_player->play())
        m_state = State::Running;
}

void MidiFileGraph::pause()
{
    if (!m_rendered)
        return;
    m_player->pause();
    m_state = State::Paused;
}

void MidiFileGraph::stop()
{
    if (!m_rendered)
        return;
    m_player->pause();
    m_state = State::Stopped;
}

double MidiFileGraph::duration() const
{
    return m_rendered ? static_cast<double>(m_player->lengthMs()) / 1000.0 : 0.0;
}

double MidiFileGraph::position() const
{
    if (!m_rendered)
        return 0.0;
    const std::int64_t now = m_player->positionMs();
    if (m_pendingSeek) {
        if (now == m_pendingSeek->fromMs)
            return static_cast<double>(m_pendingSeek->targetMs) / 1000.0;
        m_pendingSeek.reset();
    }
    return static_cast<double>(now) / 1000.0;
}

void MidiFileGraph::seek(double seconds)
{
    if (!m_rendered)
        return;
    const std::int64_t target = seconds > 0.0
        ? std::min<std::int64_t>(std::llround(seconds * 1000.0), m_player->lengthMs())
        : 0;
    const std::int64_t from = m_player->positionMs();
    m_player->seek(target);
    if (target != from)
        m_pendingSeek = PendingSeek { target, from };
}

void MidiFileGraph::setRate(double rate)
{
    if (!m_rendered || !(rate > 0.0))
        return;
    // Read back as the sequencer keeps it.
    m_rate = std::clamp(rate, MidiFileSequencer::kSlowest, MidiFileSequencer::kFastest);
    m_player->setSpeed(m_rate);
}

void MidiFileGraph::setVolume(int hundredthsOfDb)
{
    if (!m_rendered)
        return;
    m_volume = hundredthsOfDb;
    m_player->setLevel(m_volume, m_balance);
}

void MidiFileGraph::setBalance(int hundredthsOfDb)
{
    if (!m_rendered)
        return;
    m_balance = hundredthsOfDb;
    m_player->setLevel(m_volume, m_balance);
}
