#include "recorder/modrec.h"

#include "platform/basic/Conversions.h"
#include "platform/basic/MessageBoxService.h"
#include "platform/mci/MciSender.h"
#include "platform/settings/SettingsStore.h"
#include "platform/settings/StoredValues.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

} // namespace

modrec::modrec(MciSender& mci, MessageBoxService& boxes)
    : m_mci(mci)
    , m_boxes(boxes)
{}

bool modrec::send(const QString& command, const QString& failure, bool plain)
{
    if (m_mci.mciSendString(command, nullptr) == 0)
        return true;
    if (plain)
        m_boxes.msgBox(failure);
    else
        m_boxes.msgBox(failure, MsgButtons::OK, MsgIcon::Information, kAppTitle);
    return false;
}

bool modrec::query(const QString& command, QString* reply)
{
    return m_mci.mciSendString(command, reply) == 0;
}

void modrec::OpenNewWave()
{
    send(QStringLiteral("close all"), QStringLiteral("Closing all MCI operations failed!"));
    send(QStringLiteral("open new type waveaudio alias capture"),
        QStringLiteral("Opening new wave failed!"));
}

void modrec::SetWaveFormat()
{
    // Worked in 64 bits: a hand-edited store may hold values whose products overflow 32 bits,
    // and the device then refuses them like any other inconsistent format.
    const auto alignment = static_cast<std::int64_t>(
        roundHalfEven(static_cast<double>(RecordBits) * RecordChannels / 8.0));
    send(QStringLiteral("seek capture to start"), QStringLiteral("Starting recording failed!"));
    m_formatRefused = !send(
        QStringLiteral("set capture alignment %1 bitspersample %2 samplespersec %3 channels %4 "
                       "bytespersec %5")
            .arg(alignment)
            .arg(RecordBits)
            .arg(RecordRate)
            .arg(RecordChannels)
            .arg(alignment * RecordRate),
        QStringLiteral("Settings for recording not consistent"), true);
}

void modrec::StartRecording()
{
    const QString failure =
        QStringLiteral("Recording not possible. Please restart Kadentor and try again.");
    // The device keeps the new wave's own format after a refusal, one the user never chose.
    if (m_formatRefused)
        m_boxes.msgBox(failure, MsgButtons::OK, MsgIcon::Information, kAppTitle);
    else
        send(QStringLiteral("record capture"), failure);
}

void modrec::StopRecording()
{
    send(QStringLiteral("stop capture"), QStringLiteral("Stopping recording failed!"));
}

bool modrec::SaveWave(const QString& FileName)
{
    return send(
        QStringLiteral("save capture ") + FileName, QStringLiteral("Unable to save ") + FileName);
}

bool modrec::RecordingCutShort()
{
    QString fault;
    if (!query(QStringLiteral("status capture fault"), &fault))
        return false;
    QString why;
    if (fault == u"diskfull")
        why = QStringLiteral("Recording stopped: the disk is full. What was recorded until then is "
                             "kept; save it to a disk with free space.");
    else if (fault == u"sizelimit")
        why = QStringLiteral("Recording stopped: a WAV file holds no more than 4 GB. What was "
                             "recorded until then is kept.");
    else if (fault == u"writefailed")
        why = QStringLiteral("Recording stopped: the recording could not be written to the disk. "
                             "What was recorded until then is kept.");
    else
        return false;
    m_boxes.msgBox(why, MsgButtons::OK, MsgIcon::Exclamation, kAppTitle);
    return true;
}

void modrec::GetWaveMode()
{
    QString mode;
    const bool failed = !query(QStringLiteral("status capture mode"), &mode);
    if (failed) {
        mode.clear();
        if (!m_modeFailing)
            m_boxes.msgBox(QStringLiteral("Failure getting wave status..."));
    }
    m_modeFailing = failed;
    WaveModeText = (QStringLiteral("Recorder - ") + mode).left(255);
}

void modrec::GetWaveInfo()
{
    // One bit a query, in the order they are sent.
    std::uint8_t failing = 0;
    int next = 0;
    auto ask = [&](const QString& command, QString* reply) {
        if (!query(command, reply))
            failing |= std::uint8_t(1u << next);
        ++next;
    };
    auto number = [&](const QString& command) {
        QString reply;
        ask(command, &reply);
        return Val(reply);
    };
    auto set = [&](const QString& command) {
        ask(command, nullptr);
    };
    set(QStringLiteral("set capture time format ms"));
    const double milliseconds = number(QStringLiteral("status capture length"));
    QString text = QStringLiteral("Length ") + Str(milliseconds / 1000) + QStringLiteral(" s");
    set(QStringLiteral("set capture time format bytes"));
    const double bytes = number(QStringLiteral("status capture length"));
    text += QStringLiteral(" (") + Str(bytes) + QStringLiteral(" bytes)") + kCrLf;
    const double channels = number(QStringLiteral("status capture channels"));
    if (channels == 1)
        text += QStringLiteral("Mono - ");
    else if (channels == 2)
        text += QStringLiteral("Stereo - ");
    text +=
        Str(number(QStringLiteral("status capture bitspersample"))) + QStringLiteral(" bits - ");
    text += Str(number(QStringLiteral("status capture samplespersec"))) + QStringLiteral(" Hz ")
        + kCrLf;
    WaveInfoText = text;
    // A query that keeps failing would otherwise raise a box on every tick of the poll: each
    // query's failure is told once, until that query answers again.
    if (failing & ~m_infoFailing)
        m_boxes.msgBox(QStringLiteral("Error ocured!"));
    m_infoFailing = failing;
}

void modrec::CloseWave()
{
    send(QStringLiteral("close capture"), QStringLiteral("Closing failed!"));
}

std::int32_t modrec::GetWavePosition()
{
    send(QStringLiteral("set capture time format ms"),
        QStringLiteral("Setting format in milliseconds failed!"));
    QString reply;
    if (m_mci.mciSendString(QStringLiteral("status capture position"), &reply) != 0) {
        m_boxes.msgBox(QStringLiteral("Finding position failed!"), MsgButtons::OK,
            MsgIcon::Information, kAppTitle);
        m_boxes.msgBox(
            QStringLiteral("Error in position"), MsgButtons::OK, MsgIcon::Information, kAppTitle);
        return 0;
    }
    return CLng(Val(reply)).value_or(0);
}

void modrec::PlayWaveFrom(std::int32_t Milliseconds)
{
    send(QStringLiteral("set capture time format ms"),
        QStringLiteral("Setting milliseconds failed!"));
    if (!send(QStringLiteral("play capture from ") + QString::number(Milliseconds),
            QStringLiteral("Playing from indicated position failed!")))
        m_boxes.msgBox(QStringLiteral("Error with playing from the position."), MsgButtons::OK,
            MsgIcon::Information, kAppTitle);
}

void modrec::readFormat(SettingsStore& settings)
{
    // The values' rule keeps each within its variable's range.
    RecordRate = static_cast<std::int32_t>(settings.numberOrDefault(StoredValues::Rate));
    RecordChannels = static_cast<std::int16_t>(settings.numberOrDefault(StoredValues::Channels));
    RecordBits = static_cast<std::int16_t>(settings.numberOrDefault(StoredValues::Resolution));
}

void modrec::writeFormat(SettingsStore& settings) const
{
    settings.save(StoredValues::Rate, RecordRate);
    settings.save(StoredValues::Channels, RecordChannels);
    settings.save(StoredValues::Resolution, RecordBits);
}
