#pragma once

#include "windows/SingleInstance.h"

#include <array>

#include <QDialog>

class ClickSounds;
class QComboBox;
class QPushButton;
struct Platform;

// The click-sound dialog "Settings": which of the 24 clips sounds for each of the letters F, U,
// D and A. It shows what the settings hold; Save hands the choices to the step engine at once
// (the running metronome's next placed step uses them) and stores them as `Zv1` to `Zv4`. Made
// afresh at every showing; Save and Cancel close it. Controls carry their given names as object
// names. UI thread only.
class frmMSound : public QDialog, public SingleInstance<frmMSound>
{
    Q_OBJECT

public:
    frmMSound(Platform& platform, ClickSounds& sounds);
    ~frmMSound() override;

    // Appends the clip names in id order (101 first), so that list position p is clip 101 + p.
    static void DajZvuke(QComboBox& Box);

    // Combo1 to Combo4: the letters F, U, D and A.
    std::array<QComboBox*, 4> Combo {};
    QPushButton* Command1 = nullptr; // Save
    QPushButton* Command2 = nullptr; // Cancel

private:
    void buildControls();
    void Form_Load();
    void Command1_Click();

    Platform& m_platform;
    ClickSounds& m_sounds;
};
