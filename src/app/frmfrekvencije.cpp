#include "app/frmfrekvencije.h"

#include "app/DialogLayout.h"
#include "app/ToneWave.h"
#include "platform/Platform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/WavFilePlayer.h"
#include "platform/basic/Conversions.h"
#include "platform/basic/MessageBoxService.h"
#include "platform/files/FileStore.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace {

const QString kTitle = QStringLiteral("Frequencies");

constexpr double kLowestFrequency = 90;
constexpr double kHighestFrequency = 4200;
constexpr double kShortestSeconds = 0.5;
constexpr double kLongestSeconds = 20;

} // namespace

void SelectAllField::mousePressEvent(QMouseEvent* event)
{
    // After the field's own handling, which places the cursor where the click fell.
    QLineEdit::mousePressEvent(event);
    setSelection(0, static_cast<int>(text().length()));
}

frmfrekvencije::frmfrekvencije(Platform& platform)
    : m_platform(platform)
{
    setObjectName(QStringLiteral("frmfrekvencije"));
    setWindowTitle(QStringLiteral("Tuner - Frequencies"));
    buildControls();
}

frmfrekvencije::~frmfrekvencije() = default;

void frmfrekvencije::buildControls()
{
    auto* frame = new QGroupBox(QStringLiteral("Set Frequencie"), this);
    auto* grid = new QGridLayout(frame);
    txtFreq = new SelectAllField(QStringLiteral("440"), frame);
    txtFreq->setObjectName(QStringLiteral("txtFreq"));
    txtDuration = new SelectAllField(QStringLiteral("0.5"), frame);
    txtDuration->setObjectName(QStringLiteral("txtDuration"));
    txtAmpl = new QLineEdit(QStringLiteral("100"), frame);
    txtAmpl->setObjectName(QStringLiteral("txtAmpl"));
    txtAmpl->hide();
    grid->addWidget(
        new QLabel(QStringLiteral("Frequencies (G2 - C8) (90 - 4200) Hz "), frame), 0, 0);
    grid->addWidget(txtFreq, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Duration (0.5 - 20 sec.)"), frame), 1, 0);
    grid->addWidget(txtDuration, 1, 1);

    Command3 = dialogButton(*this, "Command3", QStringLiteral("&Play"));
    Command1 = dialogButton(*this, "Command1", QStringLiteral("Cancel"));
    Command2 = dialogButton(*this, "Command2", QStringLiteral("Write"));
    Command2->hide();
    Command3->setDefault(true);
    frameAboveButtons(*this, frame, {}, { Command3, Command1 });

    connect(Command3, &QPushButton::clicked, this, [this] {
        Command3_Click();
    });
    connect(Command1, &QPushButton::clicked, this, [this] {
        Command1_Click();
    });
    connect(Command2, &QPushButton::clicked, this, [this] {
        Command2_Click();
    });
}

QString frmfrekvencije::Command2_Click()
{
    // Checked before anything is written: "abc", 0 or 30000 Hz make no file, and a refused
    // value leaves the last tone file as it was.
    const double frequency = Val(txtFreq->text());
    const double seconds = Val(txtDuration->text());
    if (frequency > kHighestFrequency || frequency < kLowestFrequency) {
        m_platform.boxes->msgBox(
            QStringLiteral("Frequency out of range.\n\nFrekvencija je izvan opsega."),
            MsgButtons::OK, MsgIcon::Information, kTitle);
        return {};
    }
    if (seconds > kLongestSeconds || seconds < kShortestSeconds) {
        m_platform.boxes->msgBox(
            QStringLiteral("Time interval out of range.\n\nVremenski interval je izvan opsega."),
            MsgButtons::OK, MsgIcon::Information, kTitle);
        return {};
    }
    const auto hertz = static_cast<std::int16_t>(roundHalfEven(frequency));
    const QString path = m_platform.dataFileToWrite(QStringLiteral("test.wav"));
    QString error;
    // Written beside the old file and renamed over it: a shorter tone leaves no old tail.
    if (!m_platform.files->writeAtomically(path, tonewave::fileBytes(seconds, hertz), &error)) {
        m_platform.boxes->msgBox(QStringLiteral("The tone could not be written to ") + path
                + QStringLiteral(".\n\n") + error,
            MsgButtons::OK, MsgIcon::Exclamation, kTitle);
        return {};
    }
    return path;
}

void frmfrekvencije::Command3_Click()
{
    const QString path = Command2_Click();
    if (path.isEmpty())
        return;
    WavFilePlayer(*m_platform.audio).playAndWait(path);
}

void frmfrekvencije::Command1_Click()
{
    // The close stops the sound (done).
    reject();
}

void frmfrekvencije::done(int result)
{
    // Form_Unload: whatever way the dialog closes, its tone stops.
    StopSound();
    QDialog::done(result);
}

void frmfrekvencije::StopSound()
{
    m_platform.audio->purge();
}
