#include "recorder/frmRec.h"

#include "platform/Platform.h"
#include "platform/basic/MessageBoxService.h"
#include "platform/settings/SettingsStore.h"
#include "platform/settings/StoredValues.h"
#include "recorder/WaveSaveDialog.h"
#include "recorder/WindowPlacement.h"
#include "recorder/frmSettings.h"
#include "recorder/modrec.h"
#include "windows/Mp3Window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSlider>

namespace {

enum class Glyph { Record, Stop, Play };

// Our own transport pictures; Qt greys them itself on a disabled button.
QIcon glyphIcon(Glyph glyph)
{
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    switch (glyph) {
    case Glyph::Record:
        painter.setBrush(QColor(200, 30, 30));
        painter.drawEllipse(QRectF(3, 3, 10, 10));
        break;
    case Glyph::Stop:
        painter.setBrush(QColor(30, 30, 30));
        painter.drawRect(QRectF(4, 4, 8, 8));
        break;
    case Glyph::Play:
        painter.setBrush(QColor(30, 120, 30));
        painter.drawPolygon(QPolygonF({ QPointF(4, 2), QPointF(14, 8), QPointF(4, 14) }));
        break;
    }
    return QIcon(picture);
}

const QString kRecording = QStringLiteral("Recording");

} // namespace

frmRec::frmRec(Platform& platform, modrec& rec, Mp3Window& encoder)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_platform(platform)
    , m_rec(rec)
    , m_encoder(encoder)
{
    askSavePath = WaveSaveDialog::fileDialog;
    buildControls();
    Form_Load();
}

frmRec::~frmRec() = default;

frmRec& frmRec::showRecorder(Platform& platform, modrec& rec, Mp3Window& encoder)
{
    frmRec& window = load(platform, rec, encoder);
    window.show();
    window.raise();
    window.activateWindow();
    return window;
}

void frmRec::buildControls()
{
    setWindowTitle(QStringLiteral("Recorder"));
    setFixedSize(5550 / 15, 3075 / 15);
    auto button = [this](const char* name, const QString& caption, QRect at) {
        auto* made = new QPushButton(caption, this);
        made->setObjectName(QLatin1String(name));
        made->setGeometry(at);
        return made;
    };
    cmdRecord = button("cmdRecord", {}, twips(120, 60, 375, 315));
    cmdRecord->setIcon(glyphIcon(Glyph::Record));
    cmdRecord->setToolTip(QStringLiteral(" Start Recording "));
    cmdStop = button("cmdStop", {}, twips(480, 60, 375, 315));
    cmdStop->setIcon(glyphIcon(Glyph::Stop));
    cmdStop->setToolTip(QStringLiteral(" STOP "));
    cmdPlay = button("cmdPlay", {}, twips(840, 60, 375, 315));
    cmdPlay->setIcon(glyphIcon(Glyph::Play));
    cmdPlay->setToolTip(QStringLiteral(" PLAY "));

    Frame5 = new QGroupBox(QStringLiteral(" Start to play at ... (msec) "), this);
    Frame5->setGeometry(twips(120, 540, 4035, 720));
    Slider1 = new QSlider(Qt::Horizontal, Frame5);
    Slider1->setObjectName(QStringLiteral("Slider1"));
    Slider1->setGeometry(QRect(105 / 15, 300 / 15, 3825 / 15, 315 / 15));
    Slider1->setToolTip(QStringLiteral(" Set startup position for player "));
    Slider1->setRange(0, 10);
    Slider1->setSingleStep(100);
    Slider1->setPageStep(500);
    Slider1->installEventFilter(this);

    Frame4 = new QGroupBox(QStringLiteral(" Info "), this);
    Frame4->setGeometry(twips(120, 1320, 4050, 1620));
    Frame4->setToolTip(QStringLiteral(" Current recording informations "));
    StatisticsLabel = new QLabel(QStringLiteral(" "), Frame4);
    StatisticsLabel->setObjectName(QStringLiteral("StatisticsLabel"));
    StatisticsLabel->setGeometry(QRect(8, 20, 4050 / 15 - 16, 1620 / 15 - 28));
    StatisticsLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    cmdReset = button("cmdReset", QStringLiteral("New"), twips(4320, 540, 1095, 315));
    cmdSave = button("cmdSave", QStringLiteral("Save..."), twips(4320, 960, 1095, 315));
    cmdSettings = button("cmdSettings", QStringLiteral("Options..."), twips(4320, 1440, 1095, 315));
    Command2 = button("Command2", QStringLiteral("Encode..."), twips(4320, 2100, 1095, 315));
    Command1 = button("Command1", QStringLiteral("Cancel"), twips(4320, 2580, 1095, 315));
    setButtons(1, 0, 0, 0);

    const std::pair<QPushButton*, void (frmRec::*)()> handlers[] = {
        { cmdRecord, &frmRec::cmdRecord_Click }, { cmdStop, &frmRec::cmdStop_Click },
        { cmdPlay, &frmRec::cmdPlay_Click }, { cmdSave, &frmRec::saveFromButton },
        { cmdReset, &frmRec::cmdReset_Click }, { cmdSettings, &frmRec::cmdSettings_Click },
        { Command2, &frmRec::Command2_Click }, { Command1, &frmRec::Command1_Click }
    };
    for (const auto& [button, handler] : handlers)
        connect(button, &QPushButton::clicked, this, handler);

    Timer2.setInterval(200);
    connect(&Timer2, &QTimer::timeout, this, [this] {
        Timer2_Timer();
    });
    Timer2.start();
    centreOnScreen(*this);
}

// -1 leaves a button as it is.
void frmRec::setButtons(int record, int stop, int play, int save)
{
    const std::pair<QPushButton*, int> states[] = { { cmdRecord, record }, { cmdStop, stop },
        { cmdPlay, play }, { cmdSave, save } };
    for (const auto& [button, on] : states)
        if (on >= 0)
            button->setEnabled(on == 1);
}

void frmRec::Form_Load()
{
    m_rec.OpenNewWave();
    m_rec.readFormat(*m_platform.settings);
    m_rec.WavePlaying = false;
    m_rec.SetWaveFormat();
}

void frmRec::Form_Unload()
{
    Timer2.stop();
    m_rec.CloseWave();
    m_rec.writeFormat(*m_platform.settings);
    m_platform.settings->save(StoredValues::WaveFileName, QString());
}

void frmRec::Timer2_Timer()
{
    // A box the poll raised is modal but lets the timer run: the poll waits for it instead of
    // raising more.
    if (m_inTick || m_unloading)
        return;
    m_inTick = true;
    m_rec.GetWaveInfo();
    StatisticsLabel->setText(m_rec.WaveInfoText);
    m_rec.GetWaveMode();
    if (windowTitle() != m_rec.WaveModeText)
        setWindowTitle(m_rec.WaveModeText);
    const bool stopped = windowTitle().contains(QStringLiteral("stopped"));
    if (stopped)
        setButtons(-1, 0, 1, -1);
    // A take the device stopped by itself (a refused Record is stopped from the start, and says
    // no fault) then takes Stop's steps, which enable Save.
    if (stopped && m_takeRunning) {
        m_takeRunning = false;
        if (m_rec.RecordingCutShort())
            cmdStop_Click();
    }
    m_inTick = false;
}

bool frmRec::mayDropTake()
{
    if (lblrec != QStringLiteral("REC"))
        return true;
    if (m_platform.boxes->msgBox(QStringLiteral("Current recording will be lost. Continue?"),
            MsgButtons::OKCancel, MsgIcon::Critical, QStringLiteral("Recording in progress"))
        == MsgResult::Cancel)
        return false;
    lblrec.clear();
    return true;
}

void frmRec::stopWhileRecording()
{
    // Stop is enabled only while something records or plays: the save must hold the whole take.
    if (cmdStop->isEnabled())
        cmdStop_Click();
}

void frmRec::cmdRecord_Click()
{
    if (!mayDropTake())
        return;
    lblrec = QStringLiteral("REC");
    m_rec.OpenNewWave();
    m_rec.SetWaveFormat();
    m_rec.StartRecording();
    m_takeRunning = true;
    setButtons(0, 1, 0, 0);
}

void frmRec::cmdStop_Click()
{
    m_takeRunning = false;
    m_rec.StopRecording();
    setButtons(-1, 0, 1, 1);
    if (m_rec.GetWavePosition() == 0)
        Slider1->setMaximum(10);
    else if (!m_rec.WavePlaying)
        Slider1->setMaximum(m_rec.GetWavePosition()); // the recorded length
    m_rec.WavePlaying = false;
    selectManualRecording();
}

void frmRec::selectManualRecording()
{
    // Reaching the dialog loads it, hidden, when it is not loaded; it outlives this window.
    if (!frmSettings::isLoaded())
        frmSettings::load(
            m_platform, m_rec,
            [] {
                if (frmRec::isLoaded())
                    frmRec::instance().cmdRecord->setEnabled(true);
            },
            [] {
                if (frmRec::isLoaded())
                    frmRec::instance().Podaci();
            });
    frmSettings::select(frmSettings::instance().optRecordImmediate);
}

void frmRec::cmdPlay_Click()
{
    m_rec.PlayWaveFrom(Slider1->value());
    m_rec.WavePlaying = true;
    setButtons(-1, 1, 0, -1);
}

bool frmRec::cmdSave_Click()
{
    const QString path = WaveSaveDialog::askWavePath(this, askSavePath, *m_platform.boxes);
    if (path.isEmpty())
        return false;
    if (!m_rec.SaveWave(path))
        return false;
    lblrec.clear();
    SavedFileName = path;
    SavedFileTitle = QFileInfo(path).fileName();
    return true;
}

void frmRec::saveFromButton()
{
    cmdSave_Click();
}

void frmRec::cmdReset_Click()
{
    if (mayDropTake())
        startNewWave();
}

void frmRec::startNewWave()
{
    m_takeRunning = false;
    Slider1->setMaximum(10);
    Slider1->setValue(0);
    setButtons(1, 0, 0, 0);
    m_rec.OpenNewWave();
    m_rec.readFormat(*m_platform.settings);
    m_rec.WavePlaying = false;
    m_rec.SetWaveFormat();
}

void frmRec::cmdSettings_Click()
{
    if (!mayDropTake())
        return;
    lblrec.clear();
    // The wave goes before the dialog opens, whatever the user does in it.
    startNewWave();
    selectManualRecording();
    frmSettings::showModal();
}

void frmRec::Command2_Click()
{
    if (lblrec == QStringLiteral("REC")) {
        stopWhileRecording();
        if (m_platform.boxes->msgBox(QStringLiteral("To encode current recording you must save it "
                                                    "before you proccede. Save it now?"),
                MsgButtons::YesNo, MsgIcon::Question, kRecording)
            != MsgResult::No) {
            // Only a file this save wrote is handed over.
            if (cmdSave_Click())
                m_encoder.ubaciW(SavedFileName, SavedFileTitle);
        }
    }
    m_encoder.show();
}

void frmRec::Command1_Click()
{
    queryUnload();
}

bool frmRec::queryUnload()
{
    if (m_unloading)
        return true;
    if (lblrec == QStringLiteral("REC")) {
        stopWhileRecording();
        if (m_platform.boxes->msgBox(QStringLiteral("Save current recording?"), MsgButtons::YesNo,
                MsgIcon::Question, kRecording)
                == MsgResult::Yes
            && !cmdSave_Click())
            return false; // the take stays, and so does the window
        // The program may have ended while the box was up, unloading this window meanwhile.
        if (m_unloading)
            return true;
    }
    m_unloading = true;
    Form_Unload();
    hide();
    // Destroyed once this handler has returned.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            frmRec::unload();
        },
        Qt::QueuedConnection);
    return true;
}

void frmRec::Podaci()
{
    m_rec.OpenNewWave();
    m_rec.SetWaveFormat();
}

void frmRec::resetuj()
{
    cmdReset_Click();
}

void frmRec::closeEvent(QCloseEvent* event)
{
    // No close box, but the window manager's close (Alt+F4) still comes: it asks like Cancel.
    event->ignore();
    if (!m_unloading)
        Command1_Click();
}

void frmRec::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        Command1_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool frmRec::eventFilter(QObject* watched, QEvent* event)
{
    // A press anywhere on the slider stops what records or plays.
    if (watched == Slider1 && event->type() == QEvent::MouseButtonPress && cmdStop->isEnabled())
        cmdStop_Click();
    return QWidget::eventFilter(watched, event);
}
