#include "app/AppWindows.h"

#include "platform/Platform.h"
#include "platform/basic/MessageBoxService.h"

AppWindows::AppWindows(Platform& platform)
    : m_platform(platform)
{}

void AppWindows::notAvailable(const QString& what)
{
    m_platform.boxes->msgBox(
        what + QStringLiteral(" is not available in this version of Kadentor yet."), MsgButtons::OK,
        MsgIcon::Information);
}

// TODO(issue: MIDI piano): frmMidiPiano, modeless.
void AppWindows::showPiano()
{
    notAvailable(QStringLiteral("The MIDI piano"));
}

// TODO(issue: recorder and MP3 encoder): frmRec, modeless.
void AppWindows::showRecorder()
{
    notAvailable(QStringLiteral("The sound recorder"));
}

// TODO(issue: recorder and MP3 encoder): frmMp3, modal.
void AppWindows::showMp3Modal()
{
    notAvailable(QStringLiteral("The MP3 encoder"));
}

// TODO(issue: grouped rhythm dialog): frmpoly, modal.
void AppWindows::showFrmpolyModal()
{
    notAvailable(QStringLiteral("Setting a misc rhythm"));
}

// TODO(issue: pattern rhythm dialog): frmPatern, modal.
void AppWindows::showFrmPaternModal()
{
    notAvailable(QStringLiteral("Setting a pattern rhythm"));
}

// TODO(issue: click-sound dialog): frmMSound, modal.
void AppWindows::showFrmMSoundModal()
{
    notAvailable(QStringLiteral("Choosing the metronome sounds"));
}

// TODO(issue: help and about box): the help file.
void AppWindows::showHelp()
{
    notAvailable(QStringLiteral("Help"));
}

// TODO(issue: help and about box): frmabout, modal.
void AppWindows::showAboutModal()
{
    notAvailable(QStringLiteral("The about box"));
}
