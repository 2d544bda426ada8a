#pragma once

#include "windows/SingleInstance.h"

#include <functional>

#include <QString>
#include <QTimer>
#include <QWidget>

class Mp3Window;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class modrec;
struct Platform;

// The sound recorder "Recorder": records a new wave in the chosen format, shows its length and
// format, plays it from the slider's start position, saves it as a WAV file, hands a saved take
// to the encoder and opens the recording settings. A 200 ms poll keeps the caption, the info text
// and Stop/Play current; a take that its storage stopped (a full disk) is told in a box and then
// stopped as Stop does, so it can be played and saved. It never drops an unsaved take without
// asking: New, Record, Options...,
// Encode... and Cancel (also Esc and the window manager's close) ask first, and a save that is
// cancelled or fails keeps the take, its mark and the window. Fixed border, no close box, centred.
// Controls carry their given names as object names. UI thread only.
class frmRec : public QWidget, public SingleInstance<frmRec>
{
    Q_OBJECT

public:
    frmRec(Platform& platform, modrec& rec, Mp3Window& encoder);
    ~frmRec() override;

    // Loads the window (opening a new wave in the stored format) and shows it.
    static frmRec& showRecorder(Platform& platform, modrec& rec, Mp3Window& encoder);

    // Opens a new wave and applies the format; buttons and mark stay.
    void Podaci();
    // What New does.
    void resetuj();
    // What Cancel does: asks whether to save a take not saved (saving on Yes), then unloads.
    // False, with the window and its take kept, when that save is cancelled or fails.
    bool queryUnload();

    QPushButton* cmdRecord = nullptr;
    QPushButton* cmdStop = nullptr;
    QPushButton* cmdPlay = nullptr;
    QGroupBox* Frame5 = nullptr;
    QSlider* Slider1 = nullptr;
    QGroupBox* Frame4 = nullptr;
    QLabel* StatisticsLabel = nullptr;
    QPushButton* cmdReset = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdSettings = nullptr;
    QPushButton* Command2 = nullptr; // Encode...
    QPushButton* Command1 = nullptr; // Cancel
    QTimer Timer2;

    // The unsaved mark: "REC" while the wave holds a take not saved, else empty.
    QString lblrec;
    // The last successful save: what Encode... hands over.
    QString SavedFileName;
    QString SavedFileTitle;

    // The save dialog: the chosen path, or empty when cancelled. Tests replace it.
    std::function<QString(QWidget* parent)> askSavePath;

    void Timer2_Timer();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void Form_Load();
    void Form_Unload();
    void cmdRecord_Click();
    void cmdStop_Click();
    void cmdPlay_Click();
    // True when the wave was written.
    bool cmdSave_Click();
    void saveFromButton();
    void cmdReset_Click();
    void cmdSettings_Click();
    void Command2_Click();
    void Command1_Click();
    // "Current recording will be lost. Continue?" when the mark is set; false on Cancel.
    bool mayDropTake();
    void stopWhileRecording();
    // Selects the settings dialog's "Manual recording", loading the dialog hidden first.
    void selectManualRecording();
    void setButtons(int record, int stop, int play, int save);
    // New's steps after its question: an empty wave in the stored format, Record alone enabled.
    void startNewWave();

    Platform& m_platform;
    modrec& m_rec;
    Mp3Window& m_encoder;
    bool m_inTick = false;
    bool m_unloading = false;
    // Record was pressed and nothing has stopped the take since.
    bool m_takeRunning = false;
};
