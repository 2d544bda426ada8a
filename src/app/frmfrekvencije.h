#pragma once

#include "windows/SingleInstance.h"

#include <QDialog>
#include <QLineEdit>

class QPushButton;
struct Platform;

// A text field whose whole text is selected by a click in it, so that typing replaces it.
class SelectAllField : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// The tone generator "Tuner - Frequencies": Play checks the frequency (90 to 4200 Hz) and the
// length (0.5 to 20 s), writes the tone as `test.wav` (ToneWave) into the program folder, or the
// user's data folder where that is not writable, and plays it. Play returns when the tone has
// ended; meanwhile the program takes no user input (the waiting play holds it), and a close asked
// for meanwhile takes effect after the tone. Cancel and closing stop the sound. Made afresh at
// every showing, with the texts 440 and 0.5. Controls carry their given names as object names. UI
// thread only.
class frmfrekvencije : public QDialog, public SingleInstance<frmfrekvencije>
{
    Q_OBJECT

public:
    explicit frmfrekvencije(Platform& platform);
    ~frmfrekvencije() override;

    SelectAllField* txtFreq = nullptr;
    SelectAllField* txtDuration = nullptr;
    // Hidden: the amplitude the tone file never used.
    QLineEdit* txtAmpl = nullptr;
    QPushButton* Command3 = nullptr; // Play
    QPushButton* Command1 = nullptr; // Cancel
    // Hidden: the write step alone.
    QPushButton* Command2 = nullptr;

    void done(int result) override;

private:
    void buildControls();
    // Reads both fields once, refuses a value out of range with its message (the frequency
    // first), then writes the tone file. The path written, or empty when nothing was.
    QString Command2_Click();
    void Command3_Click();
    void Command1_Click();
    void StopSound();

    Platform& m_platform;
};
