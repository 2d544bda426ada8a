#include "frmMp3.h"

#include "BrowseForFolder.h"
#include "frmID3.h"
#include "platform/Platform.h"
#include "platform/basic/Conversions.h"
#include "platform/basic/MessageBoxService.h"
#include "platform/settings/SettingsStore.h"
#include "platform/settings/StoredValues.h"
#include "platform/shell/ShellHelpers.h"
#include "players/clsMusic.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kStopped = QStringLiteral("4");
const QString kPlaying = QStringLiteral("g");

const QStringList kBitrates { "32", "40", "48", "56", "64", "80", "96", "112", "128", "160", "192",
    "224", "256", "320" };

// The glyphs the play button shows for its two states.
QString glyph(const QString& caption)
{
    return caption == kStopped ? QStringLiteral("\u25B6") : QStringLiteral("\u25A0");
}

template <typename Control> Control* named(Control* control, const char* name)
{
    control->setObjectName(QLatin1String(name));
    return control;
}

QComboBox* list(QWidget* parent, const char* name, const QStringList& items, int selected)
{
    auto* combo = named(new QComboBox(parent), name);
    combo->addItems(items);
    combo->setCurrentIndex(selected);
    return combo;
}

} // namespace

frmMp3::frmMp3(Platform& platform, EncoderFunctions functions, EncoderSession& session)
    : m_platform(platform)
    , m_functions(std::move(functions))
    , m_session(session)
{
    setObjectName(QStringLiteral("frmMp3"));
    setWindowTitle(QStringLiteral("WAV to MP3 Encoder"));
    chooseWavs = [this] {
        return QFileDialog::getOpenFileNames(this,
            QStringLiteral("Open (Hold Ctrl or Shift for multiple selection)"), QString(),
            QStringLiteral("Wave Files (*.wav)"));
    };
    chooseFolder = [this] {
        return BrowseForFolder(
            this, QStringLiteral("Select output folder for MP3 files."), QString());
    };
    buildControls();
    Form_Load();
}

frmMp3::~frmMp3()
{
    if (m_MediaPlayer)
        m_MediaPlayer->StopPlaying();
}

void frmMp3::buildControls()
{
    auto* frame1 = named(new QGroupBox(QStringLiteral("Select files"), this), "Frame1");
    auto* files = new QGridLayout(frame1);
    txtFile = named(new QComboBox(frame1), "txtFile");
    txtFile->setEditable(true);
    txtFile->setInsertPolicy(QComboBox::NoInsert);
    txtFile->setMinimumWidth(260);
    cmdBrowse = named(new QPushButton(QStringLiteral("..."), frame1), "cmdBrowse");
    cmdBrowse->setToolTip(QStringLiteral("Browse for WAV"));
    txtOutput = named(new QLineEdit(frame1), "txtOutput");
    txtOutdir = named(new QLineEdit(frame1), "txtOutdir");
    Command3 = named(new QPushButton(QStringLiteral("..."), frame1), "Command3");
    Command3->setToolTip(QStringLiteral("Change output directory"));
    Check3 = named(new QCheckBox(QStringLiteral("&Encode All"), frame1), "Check3");
    chkDel = named(new QCheckBox(QStringLiteral("&Delete Input after encoding"), frame1), "chkDel");
    files->addWidget(new QLabel(QStringLiteral("Input (WAV):"), frame1), 0, 0);
    files->addWidget(txtFile, 0, 1);
    files->addWidget(cmdBrowse, 0, 2);
    files->addWidget(new QLabel(QStringLiteral("Output (MP3):"), frame1), 1, 0);
    files->addWidget(txtOutput, 1, 1);
    files->addWidget(new QLabel(QStringLiteral("Selected output directory:"), frame1), 2, 0);
    files->addWidget(txtOutdir, 2, 1);
    files->addWidget(Command3, 2, 2);
    files->addWidget(Check3, 3, 0);
    files->addWidget(chkDel, 3, 1);

    auto* frame2 = named(new QGroupBox(QStringLiteral("Encoding Settings"), this), "Frame2");
    auto* settings = new QGridLayout(frame2);
    cmbMode = list(frame2, "cmbMode", { "Stereo", "Joint Stereo", "Dual Channel", "Mono" }, 0);
    cmbFreq = list(frame2, "cmbFreq", { "Auto", "32000", "44100", "48000" }, 0);
    Check2 = named(new QCheckBox(QStringLiteral("&Insert/Update  ID3v1 Tag"), frame2), "Check2");
    cmdEditID3 = named(new QPushButton(QStringLiteral("Edit ID3"), frame2), "cmdEditID3");
    settings->addWidget(new QLabel(QStringLiteral("Mode:"), frame2), 0, 0);
    settings->addWidget(cmbMode, 0, 1);
    settings->addWidget(new QLabel(QStringLiteral("Frequency:"), frame2), 1, 0);
    settings->addWidget(cmbFreq, 1, 1);
    settings->addWidget(new QLabel(QStringLiteral("Hz"), frame2), 1, 2);
    settings->addWidget(Check2, 2, 0, 1, 2);
    settings->addWidget(cmdEditID3, 2, 2);

    auto* frame3 = named(new QGroupBox(QStringLiteral("Output Quality"), this), "Frame3");
    auto* quality = new QGridLayout(frame3);
    Label3 = named(new QLabel(QStringLiteral("Constant Bitrate (CBR):"), frame3), "Label3");
    cmbBitrate = list(frame3, "cmbBitrate", kBitrates, 12);
    Label4 = named(new QLabel(QStringLiteral("kbit/s"), frame3), "Label4");
    Check1 = named(new QCheckBox(QStringLiteral("&Use Variable Bitrate (VBR)"), frame3), "Check1");
    Label9 = named(new QLabel(QStringLiteral("Max Bitrate:"), frame3), "Label9");
    cmbMaxBitRate = list(frame3, "cmbMaxBitRate", kBitrates, 8);
    Label8 = named(new QLabel(QStringLiteral("kbit/s"), frame3), "Label8");
    Label10 = named(new QLabel(QStringLiteral("Quality (0-9):"), frame3), "Label10");
    vbrQual = named(new QSlider(Qt::Horizontal, frame3), "vbrQual");
    vbrQual->setRange(0, 9);
    vbrQual->setSingleStep(1);
    vbrQual->setPageStep(7);
    vbrQual->setValue(7);
    quality->addWidget(Label3, 0, 0);
    quality->addWidget(cmbBitrate, 0, 1);
    quality->addWidget(Label4, 0, 2);
    quality->addWidget(Check1, 1, 0, 1, 3);
    quality->addWidget(Label9, 2, 0);
    quality->addWidget(cmbMaxBitRate, 2, 1);
    quality->addWidget(Label8, 2, 2);
    quality->addWidget(Label10, 3, 0);
    quality->addWidget(vbrQual, 3, 1, 1, 2);

    pb1 = named(new QProgressBar(this), "pb1");
    pb1->setRange(0, 100);
    pb1->setValue(0);
    pb1->setTextVisible(false);
    lblPercent = named(new QLabel(this), "lblPercent");
    lblPercent->setMinimumWidth(40);
    cmdCancel = named(new QPushButton(QStringLiteral("Stop"), this), "cmdCancel");
    cmdPlay = named(new QPushButton(glyph(kStopped), this), "cmdPlay");
    cmdPlay->setToolTip(QStringLiteral("Play Mp3"));
    cmdPlay->setEnabled(false);
    Label11 = named(new QLabel(this), "Label11");
    cmbEncode = named(new QPushButton(QStringLiteral("Encode"), this), "cmbEncode");
    Command1 = named(new QPushButton(QStringLiteral("Cancel"), this), "Command1");
    SB1 = named(new QStatusBar(this), "SB1");
    SB1->setSizeGripEnabled(false);
    m_panel = new QLabel(SB1);
    SB1->addWidget(m_panel, 1);

    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(pb1, 1);
    progressRow->addWidget(lblPercent);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdPlay);
    buttons->addWidget(Label11, 1);
    buttons->addWidget(cmbEncode);
    buttons->addWidget(Command1);
    auto* sides = new QHBoxLayout;
    sides->addWidget(frame2);
    sides->addWidget(frame3);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame1);
    layout->addLayout(sides);
    layout->addLayout(progressRow);
    layout->addLayout(buttons);
    layout->addWidget(SB1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_tmrTimer = new QTimer(this);
    m_tmrTimer->setInterval(100);
    connect(m_tmrTimer, &QTimer::timeout, this, &frmMp3::tmrTimer_Timer);
    connect(Check1, &QCheckBox::toggled, this, &frmMp3::Check1_Click);
    connect(Check2, &QCheckBox::toggled, cmdEditID3, &QWidget::setEnabled);
    connect(cmdEditID3, &QPushButton::clicked, this, &frmMp3::cmdEditID3_Click);
    connect(cmbEncode, &QPushButton::clicked, this, &frmMp3::cmbEncode_Click);
    connect(cmdBrowse, &QPushButton::clicked, this, &frmMp3::cmdBrowse_Click);
    connect(txtFile, &QComboBox::editTextChanged, this, &frmMp3::txtFile_Change);
    connect(txtFile, &QComboBox::activated, this, [this] {
        deriveOutput(txtFile->currentText());
    });
    connect(txtOutput, &QLineEdit::textChanged, this, &frmMp3::txtOutput_Change);
    connect(Command3, &QPushButton::clicked, this, &frmMp3::Command3_Click);
    connect(cmdPlay, &QPushButton::clicked, this, &frmMp3::cmdPlay_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmMp3::cmdCancel_Click);
    connect(Command1, &QPushButton::clicked, this, [this] {
        done(QDialog::Rejected);
    });
}

void frmMp3::Form_Load()
{
    m_MediaPlayer = std::make_unique<clsMusic>(m_platform);
    cmdEditID3->setEnabled(false);
    cmdCancel->setEnabled(false);
    Check1_Click();
    txtOutdir->setText(storedFolder());
}

QString frmMp3::storedFolder() const
{
    // The program's folder when it can take the MP3s, else the home folder.
    const QString fallback = QFileInfo(m_platform.programFolder).isWritable()
        ? m_platform.programFolder
        : QDir::homePath();
    return m_platform.settings->text(StoredValues::direkt, fallback);
}

QString frmMp3::outputFile() const
{
    return txtOutput->text().isEmpty() ? QString() : txtOutdir->text() + u'/' + txtOutput->text();
}

QString frmMp3::statusText() const
{
    return m_panel->text();
}

void frmMp3::Check1_Click()
{
    const bool vbr = Check1->isChecked();
    for (QWidget* control : { static_cast<QWidget*>(Label8), static_cast<QWidget*>(Label9),
             static_cast<QWidget*>(cmbMaxBitRate), static_cast<QWidget*>(Label10),
             static_cast<QWidget*>(vbrQual) })
        control->setEnabled(vbr);
    cmbBitrate->setEnabled(!vbr);
}

void frmMp3::cmdEditID3_Click()
{
    // Made afresh, so that it shows and writes the output file named now.
    frmID3 editor(*m_platform.boxes, m_session.PendingTag(), outputFile(), this);
    editor.exec();
}

void frmMp3::cmbEncode_Click()
{
    if (m_running)
        return;
    m_running = true;
    {
        EncodingRun run(m_session, *this, m_functions, *m_platform.boxes);
        if (Check3->isChecked())
            run.EncodeAll();
        else
            run.EncodeSelected();
    }
    m_running = false;
    if (m_closeWhenDone)
        done(QDialog::Rejected);
}

QString frmMp3::StripItem(QString& text, QChar delim)
{
    const qsizetype at = text.indexOf(delim);
    if (at < 0) {
        QString whole;
        whole.swap(text);
        return whole;
    }
    const QString item = text.left(at);
    text.remove(0, at + 1);
    return item;
}

void frmMp3::cmdBrowse_Click()
{
    const QStringList chosen = chooseWavs();
    if (chosen.isEmpty())
        return;
    m_Text1.clear();
    m_Text2.clear();
    m_List1.clear();
    txtFile->clear();
    // The dialog's own case: on this file system another case names another file.
    if (chosen.size() == 1) {
        m_Text1 = chosen.front();
        m_List1 << QFileInfo(chosen.front()).fileName();
    } else {
        m_Text1 = QFileInfo(chosen.front()).absolutePath();
        for (const QString& path : chosen) {
            m_List1 << QFileInfo(path).fileName();
            m_Text2 += m_List1.back() + QStringLiteral("\r\n");
        }
    }
    txtFile->addItems(m_List1);
    txtFile->setCurrentIndex(0);
    txtFile_Change();
    txtOutdir->setText(storedFolder());
}

void frmMp3::ubaciW(const QString& FullPath, const QString& FileName)
{
    m_Text1 = FullPath;
    m_Text2.clear();
    m_List1 = QStringList { FileName };
    txtFile->clear();
    txtFile->addItem(FileName);
    txtFile->setCurrentIndex(0);
    txtFile_Change();
}

void frmMp3::deriveOutput(const QString& name)
{
    // A name too short to lose its extension gives no output name.
    txtOutput->setText(name.size() < 4 ? QString() : name.chopped(4) + QStringLiteral(".mp3"));
}

void frmMp3::txtFile_Change()
{
    const QString text = txtFile->currentText();
    deriveOutput(text.isEmpty() ? m_List1.value(0) : text);
}

void frmMp3::txtOutput_Change()
{
    const QString name = txtOutput->text();
    if (name.right(4).toUpper() == QStringLiteral(".MP3")
        && CheckFileExists(txtOutdir->text() + u'/' + name)) {
        cmdPlay->setEnabled(true);
    } else {
        cmdPlay->setEnabled(false);
        Label11->clear();
    }
}

void frmMp3::Command3_Click()
{
    const QString folder = chooseFolder();
    if (folder.isEmpty())
        return;
    txtOutdir->setText(folder);
    m_platform.settings->save(StoredValues::direkt, folder);
}

void frmMp3::cmdPlay_Click()
{
    if (m_playCaption == kStopped) {
        m_MediaPlayer->setFileName(txtOutdir->text() + u'/' + txtOutput->text());
        m_MediaPlayer->Play();
        m_playCaption = kPlaying;
        cmdPlay->setText(glyph(m_playCaption));
        cmdPlay->setToolTip(QStringLiteral("Stop MP3"));
        txtOutput->setEnabled(false);
        txtFile->setEnabled(false);
        cmdBrowse->setEnabled(false);
        m_TagText = frmID3::showMp3TagsSB1(*m_platform.boxes, outputFile());
        m_tmrTimer->start();
        const double duration = roundHalfEven(m_MediaPlayer->Duration() * 100) / 100;
        const double kilobytes =
            roundHalfEven(QFileInfo(m_MediaPlayer->FileName()).size() / 1024.0 * 100) / 100;
        setStatus(txtOutput->text() + QStringLiteral("; Duration: ") + localeNumber(duration)
            + QStringLiteral("; Size: ") + localeNumber(kilobytes) + QStringLiteral(" KB"));
        return;
    }
    m_MediaPlayer->StopPlaying();
    cmdPlay->setToolTip(QStringLiteral("Play MP3"));
    m_playCaption = kStopped;
    cmdPlay->setText(glyph(m_playCaption));
    txtOutput->setEnabled(true);
    txtFile->setEnabled(true);
    cmdBrowse->setEnabled(true);
    Label11->clear();
    m_tmrTimer->stop();
    setStatus(QString());
}

void frmMp3::tmrTimer_Timer()
{
    const double position = m_MediaPlayer->Position();
    const double duration = m_MediaPlayer->Duration();
    Label11->setText(NumText(position));
    // The end, or a file that could not be played at all.
    if ((duration > 0 && position >= duration) || (duration == 0 && position == 0))
        cmdPlay_Click();
}

void frmMp3::cmdCancel_Click()
{
    if (!cmdCancel->isEnabled())
        return;
    m_session.setCancelEncoding(true);
    cmdCancel->setEnabled(false);
    // A run inside the library gives Encode back itself when it returns.
    if (!m_running)
        cmbEncode->setEnabled(true);
}

void frmMp3::done(int result)
{
    cmdCancel_Click();
    if (m_running) {
        m_closeWhenDone = true;
        return;
    }
    if (m_playCaption != kStopped)
        cmdPlay_Click();
    QDialog::done(result);
}

EncoderSettings frmMp3::settings() const
{
    EncoderSettings settings;
    settings.Text1 = m_Text1;
    settings.Text2 = m_Text2;
    for (int i = 0; i < txtFile->count(); ++i)
        settings.entries << txtFile->itemText(i);
    settings.currentEntry = txtFile->currentText();
    settings.outputFolder = txtOutdir->text();
    settings.outputName = txtOutput->text();
    settings.modeText = cmbMode->currentText();
    settings.frequencyIndex = cmbFreq->currentIndex();
    settings.frequencyText = cmbFreq->currentText();
    settings.bitrateText = cmbBitrate->currentText();
    settings.maxBitrateText = cmbMaxBitRate->currentText();
    settings.vbrQuality = vbrQual->value();
    settings.vbr = Check1->isChecked();
    settings.tag = Check2->isChecked();
    settings.deleteInput = chkDel->isChecked();
    settings.playing = m_playCaption == kPlaying;
    return settings;
}

void frmMp3::selectEntry(int index)
{
    txtFile->setCurrentIndex(index);
    deriveOutput(txtFile->currentText());
}

void frmMp3::selectBitrate(int index)
{
    cmbBitrate->setCurrentIndex(index);
}

void frmMp3::stopPlaying()
{
    cmdPlay_Click();
}

void frmMp3::setPlayEnabled(bool enabled)
{
    cmdPlay->setEnabled(enabled);
}

void frmMp3::setStopEnabled(bool enabled)
{
    cmdCancel->setEnabled(enabled);
}

void frmMp3::setEncoding(bool encoding)
{
    if (!encoding) {
        for (const auto& [control, enabled] : m_held)
            control->setEnabled(enabled);
        m_held.clear();
        return;
    }
    const QWidget* held[] = { cmbEncode, cmdBrowse, Command3, txtFile, txtOutput, txtOutdir, Check3,
        chkDel, cmbMode, cmbFreq, Check2, cmdEditID3, cmbBitrate, Check1, cmbMaxBitRate, vbrQual,
        cmdPlay };
    for (const QWidget* control : held) {
        auto* widget = const_cast<QWidget*>(control);
        m_held.emplace_back(widget, widget->isEnabled());
        widget->setEnabled(false);
    }
}

int frmMp3::progress() const
{
    return pb1->value();
}

void frmMp3::setProgress(int percent, const QString& text)
{
    lblPercent->setText(text);
    pb1->setValue(percent);
}

void frmMp3::setStatus(const QString& text)
{
    m_panel->setText(text);
}

void frmMp3::processEvents()
{
    QApplication::processEvents();
}
