#include "players/frmCD.h"

#include "platform/Platform.h"
#include "platform/basic/Conversions.h"
#include "platform/basic/MessageBoxService.h"
#include "players/MasterVolume.h"
#include "windows/TempoLabels.h"

#include <QDir>

namespace {

constexpr int kVolumeBarMaximum = 100;

const QString kZeroTime = QStringLiteral("00:00");
// The running time sits four blanks in; the length mirror writes "[1]" or "[0]" and two blanks.
const QString kTimeIndent = QStringLiteral("    ");

} // namespace

QString FormatMsTime(std::int32_t ms)
{
    // A 32-bit count of milliseconds always fits in seconds.
    return TimeText(CLng(ms / 1000.0).value_or(0));
}

frmCD::frmCD(Platform& platform, TempoLabels& mainWindow, QObject* parent)
    : QObject(parent)
    , m_platform(platform)
    , m_mainWindow(mainWindow)
    , m_mmControl1(*platform.midiFiles, this)
{
    connect(&m_mmControl1, &MultimediaControl::statusUpdate, this, &frmCD::mmControl1_StatusUpdate);
}

frmCD::~frmCD()
{
    // The program is ending: close quietly, without the stop's reload and label writes.
    m_mmControl1.setUpdateInterval(0);
    m_mmControl1.close();
}

QString frmCD::txtmidi()
{
    touch();
    return m_txtmidi;
}

void frmCD::setTxtmidi(const QString& fileName)
{
    touch();
    m_txtmidi = fileName;
}

void frmCD::touch()
{
    if (m_loaded)
        return;
    m_loaded = true;
    Form_Load();
}

void frmCD::Form_Load()
{
    // A new load starts from the design-time texts; setting them is no change to mirror.
    m_isCD = true;
    m_txtmidi.clear();
    m_txtTimeRun.clear();
    m_lblDurationValue.clear();
    m_prgVolume = 0;
    m_volume = std::make_unique<MasterVolume>(*m_platform.mixer, *m_platform.boxes);
    SetPlayerMode(true);
    m_isCD = true;
    InitMixerVolume();
}

void frmCD::InitMixerVolume()
{
    if (m_volume->OpenMixer())
        SetPlayerMode(false);
}

void frmCD::DajJako(std::int32_t Level)
{
    touch();
    m_volume->DajJako(Level);
}

void frmCD::ShowCDVolume()
{
    m_prgVolume = m_volume->volumeBarValue(kVolumeBarMaximum);
}

void frmCD::unloadForm()
{
    Form_QueryUnload();
    // The unload handler's stop runs only in CD mode; a MIDI stop unloads in MIDI mode, so it
    // has nothing to do here.
    m_loaded = false;
}

void frmCD::Form_QueryUnload()
{
    m_mmControl1.pause();
    m_mmControl1.setUpdateInterval(0);
    m_mmControl1.seek(m_mmControl1.start());
    m_mmControl1.close();
}

void frmCD::SetPlayerMode(bool cd)
{
    m_mmControl1.close();
    if (cd)
        return;
    setLblDurationValue(QString());
    if (m_isCD)
        ShowCDVolume();
}

void frmCD::svirajmidi()
{
    touch();
    m_isCD = false;
    OpenMidiFile();
}

void frmCD::OpenMidiFile()
{
    m_mmControl1.setUpdateInterval(0);
    // No file named (a stop of the examples hands over an empty name): the device stays closed
    // and the main window's labels stay as they are.
    if (m_txtmidi.isEmpty()) {
        SetPlayerMode(true);
        return;
    }
    SetPlayerMode(false);
    m_mmControl1.setDeviceType(MciDevice::Sequencer);
    m_mmControl1.setFileName(QDir(m_platform.programFolder).filePath(m_txtmidi));
    const int error = m_mmControl1.open();
    if (error != 0) {
        SetPlayerMode(true);
        ShowMciError(error);
        return;
    }
    m_mmControl1.setUpdateInterval(1000);
    setLblDurationValue(FormatMsTime(m_mmControl1.length()));
    setTxtTimeRun(kTimeIndent + kZeroTime);
}

void frmCD::sviraj()
{
    touch();
    mmControl1_PlayClick();
}

void frmCD::mmControl1_PlayClick()
{
    // Nothing to play after a failed open, and the CD mode never has a disc.
    if (m_isCD || !m_mmControl1.isOpen())
        return;
    m_mmControl1.setUpdateInterval(50);
    const int error = m_mmControl1.play();
    if (error != 0) {
        m_mmControl1.setUpdateInterval(0);
        ShowMciError(error);
    }
}

void frmCD::mmControl1_StatusUpdate()
{
    if (!m_isCD)
        ShowMidiTime();
}

void frmCD::ShowMidiTime()
{
    setTxtTimeRun(kTimeIndent + FormatMsTime(m_mmControl1.position()));
}

void frmCD::stani2()
{
    touch();
    m_mmControl1.setUpdateInterval(0);
    if (m_isCD) {
        setLblDurationValue(QString());
        setTxtTimeRun(QStringLiteral("[0]  ") + kZeroTime);
        m_mmControl1.pause();
        m_mmControl1.seek(m_mmControl1.start());
        m_mmControl1.close();
    } else {
        m_mmControl1.close();
        unloadForm();
    }
    // After a MIDI stop this touch loads the player afresh.
    touch();
    SetPlayerMode(true);
}

void frmCD::stani()
{
    touch();
    mmControl1_StopClick();
}

void frmCD::mmControl1_StopClick()
{
    stani2();
    m_isCD = true;
    cmdCDLoad_Click();
}

void frmCD::cmdCDLoad_Click()
{
    m_mmControl1.setDeviceType(MciDevice::CDAudio);
    m_mmControl1.setUpdateInterval(0);
    const int error = m_mmControl1.open();
    // No disc in the drive is the normal case at every opening of the piano: no message. The
    // drive never holds one here, so a load ends at this open.
    if (error != 0 && error != kMciDeviceNotReady)
        ShowMciError(error);
}

void frmCD::ShowMciError(int number)
{
    QString text;
    switch (number) {
    case kMciInvalidDeviceId:
        text = QStringLiteral("Invalid device ID.");
        break;
    case kMciUnknownDevice:
        text = QStringLiteral("Uknown device.");
        break;
    case kMciDriverMissing:
        text = QStringLiteral("Error: media device driver missing.");
        break;
    case kMciNotAvailable:
        text = QStringLiteral("Action not available for this device.");
        break;
    default:
        text = QStringLiteral("Unknown error (") + Str(number) + QStringLiteral(").");
        break;
    }
    m_platform.boxes->msgBox(text, MsgButtons::OK, MsgIcon::Exclamation);
}

void frmCD::setTxtTimeRun(const QString& text)
{
    if (text == m_txtTimeRun)
        return;
    m_txtTimeRun = text;
    txtTimeRun_Change();
}

void frmCD::setLblDurationValue(const QString& caption)
{
    if (caption == m_lblDurationValue)
        return;
    m_lblDurationValue = caption;
    lblDurationValue_Change();
}

void frmCD::txtTimeRun_Change()
{
    m_mainWindow.setText2(m_txtTimeRun);
}

void frmCD::lblDurationValue_Change()
{
    if (m_lblDurationValue != kZeroTime) {
        m_mainWindow.setLblTempo(m_lblDurationValue);
        m_mainWindow.setText2(QStringLiteral("[1]  ") + kZeroTime);
    } else {
        m_mainWindow.setLblTempo(m_mainWindow.lblTempo() + QStringLiteral(" ") + kZeroTime);
        m_mainWindow.setText2(QStringLiteral("[0]  ") + kZeroTime);
    }
}
