#pragma once

#include "platform/mci/MultimediaControl.h"
#include "windows/SingleInstance.h"

#include <cstdint>
#include <memory>

#include <QObject>
#include <QString>

struct Platform;
class MasterVolume;
class TempoLabels;

// Milliseconds as the player's time text: whole seconds (halves to even), then "mm:ss" with the
// hours in front from one hour on; any negative time is "00:00".
QString FormatMsTime(std::int32_t ms);

// The hidden MIDI-file player of the main window: it plays the reference notes and examples
// named in `txtmidi` (relative to the program folder) on a MIDI-file sequencer, and writes the
// file's length and running time into the main window's `lblTempo` and `Text2`.
//
// It behaves as a window loaded on first touch and unloaded by the stop of a MIDI file: every
// public call first loads it when it is not loaded, and loading resets its state (CD mode,
// empty `txtmidi`). The CD mode stands for a CD drive that never holds a disc; loading a disc
// fails silently. The object itself is the program's one player, made before the main window and
// gone after it. UI thread only.
class frmCD : public QObject, public SingleInstance<frmCD>
{
    Q_OBJECT

public:
    frmCD(Platform& platform, TempoLabels& mainWindow, QObject* parent = nullptr);
    ~frmCD() override;

    QString txtmidi();
    void setTxtmidi(const QString& fileName);

    // Opens the file named in `txtmidi` and writes its length into the main window. An empty
    // name leaves the device closed and writes nothing; a file that cannot be opened shows the
    // error box.
    void svirajmidi();
    // Plays what svirajmidi opened; nothing when that open failed.
    void sviraj();
    // Stops and closes whatever plays; after a MIDI file the player is loaded afresh.
    void stani2();
    // stani2, then CD mode and an attempt to load a disc.
    void stani();

    // The main window's volume slider, 0 to 100, spread over the master volume's range.
    void DajJako(std::int32_t Level);

    // State a window would show.
    bool isCD() const { return m_isCD; }

    QString txtTimeRun() const { return m_txtTimeRun; }

    QString lblDurationValue() const { return m_lblDurationValue; }

    MultimediaControl& mmControl1() { return m_mmControl1; }

    // The volume bar's value (its maximum is 100), shown in CD mode.
    float prgVolume() const { return m_prgVolume; }

private:
    void touch();
    void Form_Load();
    // The form unloads (its state goes) while the object stays, as the program's one player.
    void unloadForm();
    void Form_QueryUnload();
    void Form_Unload();
    void cmdStop_Click();

    void InitMixerVolume();
    void ShowCDVolume();
    void SetPlayerMode(bool cd);
    void OpenMidiFile();
    void ShowMidiTime();
    void ShowMciError(int number);
    void cmdCDLoad_Click();
    void mmControl1_PlayClick();
    void mmControl1_StopClick();
    void mmControl1_StatusUpdate();

    // Texts with their change handlers, which run only when the text really changes.
    void setTxtTimeRun(const QString& text);
    void setLblDurationValue(const QString& caption);
    void txtTimeRun_Change();
    void lblDurationValue_Change();

    Platform& m_platform;
    TempoLabels& m_mainWindow;
    MultimediaControl m_mmControl1;
    bool m_loaded = false;

    // The window's variables and control texts, reset by every load.
    bool m_isCD = true;
    QString m_txtmidi;
    QString m_txtTimeRun;
    QString m_lblDurationValue;
    float m_prgVolume = 0;
    std::unique_ptr<MasterVolume> m_volume;
};
