#pragma once

#include "windows/OtherWindows.h"

#include <QString>

class MessageBoxService;
struct Platform;

// Tells the user that `what` ("The MIDI piano") does not exist in this version yet.
void tellNotAvailable(MessageBoxService& boxes, const QString& what);

// The program's own windows behind OtherWindows. A window this version does not have yet is
// answered with an information box that says so, in place of silence, so that a menu choice
// never seems to be ignored. UI thread only.
class AppWindows : public OtherWindows
{
public:
    explicit AppWindows(Platform& platform);

    void showPiano() override;
    void showRecorder() override;
    void showMp3Modal() override;
    void showFrmpolyModal() override;
    void showFrmPaternModal() override;
    void showFrmMSoundModal() override;
    void showHelp() override;
    void showAboutModal() override;

private:
    Platform& m_platform;
};
