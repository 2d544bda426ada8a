#pragma once

#include "windows/SingleInstance.h"

#include <cstdint>
#include <functional>

#include <QDialog>

class QButtonGroup;
class QPushButton;
class QRadioButton;
class modrec;
struct Platform;

// "Recording Settings": sample rate, channels and resolution of the recorder. Loading reads the
// stored format into the recorder's format variables and selects the matching options; a click
// on an option sets its variable at once; OK stores the format and has the recorder reopen its
// wave in it; Cancel puts back the format that was there when the dialog was shown. The hidden
// options 8000, 6000 and "Manual recording" share one group; selecting "Manual recording" enables
// the recorder's Record. Selecting an option in code runs its handler only when it was not
// selected. Fixed border, no close box, centred. UI thread only.
class frmSettings : public QDialog, public SingleInstance<frmSettings>
{
    Q_OBJECT

public:
    // `enableRecord` enables the recorder's Record; `podaci` reopens its wave in the format.
    frmSettings(Platform& platform,
        modrec& rec,
        std::function<void()> enableRecord,
        std::function<void()> podaci);
    ~frmSettings() override;

    QRadioButton* optRate44100 = nullptr;
    QRadioButton* optRate22050 = nullptr;
    QRadioButton* optRate11025 = nullptr;
    QRadioButton* optStereo = nullptr;
    QRadioButton* optMono = nullptr;
    QRadioButton* opt8bits = nullptr;
    QRadioButton* opt16bits = nullptr;
    QRadioButton* optRate8000 = nullptr;
    QRadioButton* optRate6000 = nullptr;
    QRadioButton* optRecordImmediate = nullptr;
    QPushButton* cmdOke = nullptr;
    QPushButton* Command1 = nullptr;

    // Selects `option` as code does.
    static void select(QRadioButton* option);

    // Shows the dialog modal; unloads it when OK or Cancel asked for that.
    static void showModal();

    void reject() override;

private:
    void buildControls();
    void Form_Load();
    void cmdOke_Click();
    void Command1_Click();
    void onSelect(QRadioButton* option, std::function<void()> handler);

    Platform& m_platform;
    modrec& m_rec;
    std::function<void()> m_enableRecord;
    std::function<void()> m_podaci;
    bool m_unloadAsked = false;
    std::int32_t m_shownRate = 0;
    std::int16_t m_shownChannels = 0;
    std::int16_t m_shownBits = 0;
};
