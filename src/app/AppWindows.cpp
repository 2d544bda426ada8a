#include "app/AppWindows.h"

#include "platform/Platform.h"
#include "platform/basic/MessageBoxService.h"

AppWindows::AppWindows(Platform& platform)
    : m_platform(platform)
{}

void tellNotAvailable(MessageBoxService& boxes, const QString& what)
{
    boxes.msgBox(what + QStringLiteral(" is not available in this version of Kadentor yet."),
        MsgButtons::OK, MsgIcon::Information);
}

// TODO(issue: MIDI piano): frmMidiPiano, modeless.
void AppWindows::showPiano()
{
    tellNotAvailable(*m_platform.boxes, QStringLiteral("The MIDI piano"));
}

// TODO(issue: recorder and MP3 encoder): frmRec, modeless.
void AppWindows::showRecorder()
{
    tellNotAvailable(*m_platform.boxes, QStringLiteral("The sound recorder"));
}

// TODO(issue: recorder and MP3 encoder): frmMp3, modal.
void AppWindows::showMp3Modal()
{
    tellNotAvailable(*m_platform.boxes, QStringLiteral("The MP3 encoder"));
}

// TODO(issue: grouped rhythm dialog): frmpoly, modal.
void AppWindows::showFrmpolyModal()
{
    tellNotAvailable(*m_platform.boxes, QStringLiteral("Setting a misc rhythm"));
}

// TODO(issue: pattern rhythm dialog): frmPatern, modal.
void AppWindows::showFrmPaternModal()
{
    tellNotAvailable(*m_platform.boxes, QStringLiteral("Setting a pattern rhythm"));
}

// TODO(issue: click-sound dialog): frmMSound, modal.
void AppWindows::showFrmMSoundModal()
{
    tellNotAvailable(*m_platform.boxes, QStringLiteral("Choosing the metronome sounds"));
}

// TODO(issue: help and about box): the help file.
void AppWindows::showHelp()
{
    tellNotAvailable(*m_platform.boxes, QStringLiteral("Help"));
}

// TODO(issue: help and about box): frmabout, modal.
void AppWindows::showAboutModal()
{
    tellNotAvailable(*m_platform.boxes, QStringLiteral("The about box"));
}
