#include "app/SoundOutputNotice.h"

#include "platform/Platform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/basic/MessageBoxService.h"

SoundOutputNotice::SoundOutputNotice(Platform& platform, QObject* parent)
    : QObject(parent)
    , m_platform(platform)
{
    m_timer.setInterval(kPollMs);
    connect(&m_timer, &QTimer::timeout, this, &SoundOutputNotice::poll);
}

void SoundOutputNotice::start()
{
    QTimer::singleShot(0, this, [this] {
        checkAtStart();
        m_timer.start();
    });
}

void SoundOutputNotice::checkAtStart()
{
    if (m_platform.audio->silentFallback())
        tell(QStringLiteral("Kadentor found no sound output it can use, so it runs without "
                            "sound: the metronome keeps time, but you will not hear it.\n\n"
                            "Check that a sound device is connected and not held by another "
                            "program, then start Kadentor again."));
}

void SoundOutputNotice::poll()
{
    if (m_platform.audio->checkDevice() && m_platform.audio->silentFallback())
        tell(QStringLiteral("The sound output stopped working and Kadentor could not open "
                            "another one, so it runs without sound from now on.\n\n"
                            "Check that a sound device is connected and not held by another "
                            "program, then start Kadentor again."));
}

void SoundOutputNotice::tell(const QString& text)
{
    if (m_told)
        return;
    m_told = true;
    m_platform.boxes->msgBox(text, MsgButtons::OK, MsgIcon::Information);
}
