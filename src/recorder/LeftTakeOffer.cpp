#include "recorder/LeftTakeOffer.h"

#include "platform/audio/TakeFile.h"
#include "platform/audio/WavWriter.h"
#include "platform/basic/MessageBoxService.h"

#include <cmath>
#include <cstdint>

#include <QDateTime>
#include <QFileInfo>

namespace {

// "12.5 s", "2 min 5 s", "1 h 2 min".
QString lengthText(double seconds)
{
    if (seconds < 60)
        return QString::number(std::floor(seconds * 10) / 10, 'f', 1) + QStringLiteral(" s");
    const auto whole = static_cast<std::int64_t>(seconds);
    if (whole < 3600)
        return QStringLiteral("%1 min %2 s").arg(whole / 60).arg(whole % 60);
    return QStringLiteral("%1 h %2 min").arg(whole / 3600).arg(whole % 3600 / 60);
}

// The question for a take of `dataBytes` in `format` that began at `began` (local time).
QString question(std::int64_t dataBytes, const CaptureFormat& format, const QDateTime& began)
{
    const double seconds = double(dataBytes) / format.bytesPerSecond();
    return QStringLiteral("A recording from a session that ended unexpectedly was found: %1, "
                          "recorded on %2 at %3.\nSave it?")
        .arg(lengthText(seconds), began.toString(QStringLiteral("yyyy-MM-dd")),
            began.toString(QStringLiteral("HH:mm")));
}

} // namespace

LeftTakeOffer::LeftTakeOffer(MessageBoxService& boxes, FileStore& files)
    : m_boxes(boxes)
    , m_files(files)
{}

void LeftTakeOffer::offer(const QString& folder, QWidget* parent)
{
    for (const std::unique_ptr<TakeFile>& take : TakeFile::leftIn(folder)) {
        // The file was last written as the take's last sample came in.
        const std::int64_t milliseconds =
            take->dataBytes() * 1000 / take->format().bytesPerSecond();
        const QDateTime began =
            QFileInfo(take->path()).lastModified().addMSecs(-milliseconds).toLocalTime();
        const MsgResult answer = m_boxes.msgBox(question(take->dataBytes(), take->format(), began),
            MsgButtons::YesNo, MsgIcon::Question, QStringLiteral("Recording"));
        if (answer == MsgResult::No || (answer == MsgResult::Yes && save(*take, parent)))
            take->remove();
    }
}

bool LeftTakeOffer::save(const TakeFile& take, QWidget* parent)
{
    const QString path = WaveSaveDialog::askWavePath(parent, askSavePath, m_boxes);
    if (path.isEmpty())
        return false;
    QString error;
    if (writeWaveFile(
            m_files, path, take.format(), take.dataBytes(),
            [&take](std::int64_t at, char* into, std::int64_t count) {
                return count >= 0 && take.read(at, into, std::size_t(count));
            },
            &error))
        return true;
    m_boxes.msgBox(
        QStringLiteral("Unable to save ") + path, MsgButtons::OK, MsgIcon::Information, kAppTitle);
    return false;
}
