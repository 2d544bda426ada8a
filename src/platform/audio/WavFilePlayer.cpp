#include "platform/audio/WavFilePlayer.h"

#include "platform/audio/AudioClip.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/InputHold.h"
#include "platform/audio/WavReader.h"

#include <chrono>

#include <QEventLoop>
#include <QTimer>

namespace {

// How often the wait looks at the clock: well under a display frame.
constexpr int kPollMilliseconds = 5;

} // namespace

WavFilePlayer::WavFilePlayer(AudioEngine& engine)
    : m_engine(engine)
{}

bool WavFilePlayer::play(const QString& path)
{
    const auto read = WavReader::readFile(path);
    if (!read)
        return false;
    m_engine.playClip(read.clip, m_engine.now());
    return true;
}

bool WavFilePlayer::playAndWait(const QString& path)
{
    const auto read = WavReader::readFile(path);
    if (!read)
        return false;
    playAndWait(read.clip);
    return true;
}

void WavFilePlayer::playAndWait(std::shared_ptr<const AudioClip> clip)
{
    if (!clip)
        return;
    const std::int64_t frames = clip->frames();
    const std::uint64_t ticket = m_engine.playClip(std::move(clip), m_engine.now());
    if (ticket == 0)
        return;

    using Clock = std::chrono::steady_clock;
    const auto giveUp =
        Clock::now() + std::chrono::milliseconds(frames * 1000 / AudioEngine::kSampleRate + 2000);
    std::int64_t heardAt = -1; // the sample by which the last rendered frame has been heard

    // A click meanwhile would run its handler inside this wait, under the caller's feet.
    InputHold hold;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(kPollMilliseconds);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (heardAt < 0 && m_engine.clipFinished(ticket))
            heardAt = m_engine.now() + m_engine.outputLatency();
        if ((heardAt >= 0 && m_engine.now() >= heardAt) || Clock::now() > giveUp)
            loop.quit();
    });
    poll.start();
    loop.exec();
}
