#pragma once

#include "app/OtherWindows.h"

#include <QString>

struct Platform;

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
    void notAvailable(const QString& what);

    Platform& m_platform;
};
