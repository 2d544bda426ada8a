#include "app/SoundOutputNotice.h"

#include "platform/Platform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/OutputOpener.h"
#include "platform/basic/MessageBoxService.h"

#include <chrono>
#include <cstdio>

SoundOutputNotice::SoundOutputNotice(Platform& platform, QObject* parent)
    : QObject(parent)
    , m_platform(platform)
{
    m_timer.setInterval(kPollMs);
    connect(&m_timer, &QTimer::timeout, this, &SoundOutputNotice::poll);
    m_waitingTimer.setInterval(kWaitingPollMs);
    connect(&m_waitingTimer, &QTimer::timeout, this, [this] {
        if (m_platform.audio->outputWaiting())
            poll();
    });
}

void SoundOutputNotice::start()
{
    QTimer::singleShot(0, this, [this] {
        checkAtStart();
        m_timer.start();
        lookForWaitingOutput();
    });
}

void SoundOutputNotice::lookForWaitingOutput()
{
    // The fast look wakes this thread 50 times a second, which at a slow tempo is most of what
    // the program's UI does while it plays: it runs only while an output may open at all (an
    // output that grows in place, as the sound server's does, never waits to be taken).
    if (!m_platform.audio->outputMayOpen())
        m_waitingTimer.stop();
    else if (!m_waitingTimer.isActive())
        m_waitingTimer.start();
}

void SoundOutputNotice::checkAtStart()
{
    if (m_platform.audio->silentFallback())
        tell(QStringLiteral("Kadentor found no sound output it can use, so it runs without "
                            "sound: the metronome keeps time, but you will not hear it.\n\n"
                            "Check that a sound device is connected and not held by another "
                            "program. The sound comes back by itself as soon as the output "
                            "works."),
            "no sound output opened");
}

void SoundOutputNotice::poll()
{
    const bool changed = m_platform.audio->checkDevice();
    if (m_timer.isActive())
        lookForWaitingOutput();
    if (!m_platform.audio->silentFallback()) {
        if (!m_told)
            return;
        m_told = false;
        m_platform.boxes->closeNotice();
        std::fprintf(stderr, "Kadentor: the sound output works again.\n");
    } else if (changed) {
        tell(QStringLiteral("The sound output stopped working and Kadentor could not open "
                            "another one, so it runs without sound for now: the metronome "
                            "keeps time.\n\n"
                            "The sound comes back by itself when the output works again. Check "
                            "that a sound device is connected and not held by another program."),
            "the sound output stopped working");
    }
}

void SoundOutputNotice::tell(const QString& text, const char* line)
{
    if (m_told)
        return;
    m_told = true;
    const auto retrySeconds =
        std::chrono::duration_cast<std::chrono::seconds>(OutputOpener::kRetryInterval).count();
    std::fprintf(stderr,
        "Kadentor: %s; the metronome keeps time silently, and the output is tried again every "
        "%lld s.\n",
        line, static_cast<long long>(retrySeconds));
    m_platform.boxes->notice(text, MsgIcon::Information);
}
