#pragma once

#include "EncodingRun.h"
#include "windows/SingleInstance.h"

#include <functional>
#include <memory>
#include <vector>

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class QStatusBar;
class QTimer;
class clsMusic;
struct Platform;

// The encoder window "WAV to MP3 Encoder", always modal: one or several WAV files, an output
// folder (kept in the settings) and the encoder settings; Encode runs an EncodingRun over the
// list or the current entry, Stop ends it, Play plays the output. While a run is inside the
// library every control but Stop and Cancel is held; Cancel or a close during a run stops it and
// closes the window once the run has returned. Made afresh at every opening, except that the
// recorder hands over its take just before. Controls carry their given names as object names.
// UI thread only.
class frmMp3 : public QDialog, public SingleInstance<frmMp3>, public EncodingView
{
    Q_OBJECT

public:
    frmMp3(Platform& platform, EncoderFunctions functions, EncoderSession& session);
    ~frmMp3() override;

    // Makes one file the whole input, path and name as given.
    void ubaciW(const QString& FullPath, const QString& FileName);
    // The first item of `text` up to `delim`; `text` keeps what follows it. Without the
    // delimiter: the whole text, leaving "".
    static QString StripItem(QString& text, QChar delim);

    void done(int result) override;

    // The dialogs, replaceable by tests: the chosen WAV files as full paths (none on cancel),
    // and the chosen folder ("" on cancel).
    std::function<QStringList()> chooseWavs;
    std::function<QString()> chooseFolder;

    // "4" stopped, "g" playing.
    QString playCaption() const { return m_playCaption; }

    QString statusText() const;

    QComboBox* txtFile = nullptr;
    QPushButton* cmdBrowse = nullptr;
    QLineEdit* txtOutput = nullptr;
    QLineEdit* txtOutdir = nullptr;
    QPushButton* Command3 = nullptr;
    QCheckBox* Check3 = nullptr;
    QCheckBox* chkDel = nullptr;
    QComboBox* cmbMode = nullptr;
    QComboBox* cmbFreq = nullptr;
    QCheckBox* Check2 = nullptr;
    QPushButton* cmdEditID3 = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* cmbBitrate = nullptr;
    QLabel* Label4 = nullptr;
    QCheckBox* Check1 = nullptr;
    QLabel* Label9 = nullptr;
    QComboBox* cmbMaxBitRate = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label10 = nullptr;
    QSlider* vbrQual = nullptr;
    QProgressBar* pb1 = nullptr;
    QLabel* lblPercent = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdPlay = nullptr;
    QLabel* Label11 = nullptr;
    QPushButton* cmbEncode = nullptr;
    QPushButton* Command1 = nullptr;
    QStatusBar* SB1 = nullptr;

    // The hidden list of input names, as the combo's list holds them.
    QStringList List1() const { return m_List1; }

    QString Text1() const { return m_Text1; }

    QString Text2() const { return m_Text2; }

    // What the encoding run reads and sets.
    EncoderSettings settings() const override;
    void selectEntry(int index) override;
    void selectBitrate(int index) override;
    void stopPlaying() override;
    void setPlayEnabled(bool enabled) override;
    void setStopEnabled(bool enabled) override;
    void setEncoding(bool encoding) override;
    void setStatus(const QString& text) override;
    int progress() const override;
    void setProgress(int percent, const QString& text) override;
    void processEvents() override;

private:
    void buildControls();
    void Form_Load();
    QString storedFolder() const;
    // The output file as folder "/" name; "" without an output name.
    QString outputFile() const;
    void Check1_Click();
    void cmdEditID3_Click();
    void cmbEncode_Click();
    void cmdBrowse_Click();
    void deriveOutput(const QString& name);
    void txtFile_Change();
    void txtOutput_Change();
    void Command3_Click();
    void cmdPlay_Click();
    void tmrTimer_Timer();
    void cmdCancel_Click();

    Platform& m_platform;
    EncoderFunctions m_functions;
    EncoderSession& m_session;
    std::unique_ptr<clsMusic> m_MediaPlayer;
    QTimer* m_tmrTimer = nullptr;
    QLabel* m_panel = nullptr;
    QString m_playCaption = QStringLiteral("4");
    QString m_TagText;
    // Never shown: the folder of several inputs or the path of one, and their names.
    QString m_Text1;
    QString m_Text2;
    QStringList m_List1;
    // Held while the run is inside the library, with the state each had.
    std::vector<std::pair<QWidget*, bool>> m_held;
    bool m_running = false;
    bool m_closeWhenDone = false;
};
