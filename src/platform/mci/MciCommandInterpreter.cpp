#include "platform/mci/MciCommandInterpreter.h"

#include "platform/audio/WavWriter.h"
#include "platform/files/FileStore.h"
#include "platform/mci/MultimediaControl.h"
#include "platform/mci/WaveAudioBackend.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace {

const QString kAlias = QStringLiteral("capture");

bool is(const QStringList& words, qsizetype index, const char* word)
{
    return index < words.size()
        && words[index].compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

QString faultWord(TakeFault fault)
{
    switch (fault) {
    case TakeFault::None:
        break;
    case TakeFault::DiskFull:
        return QStringLiteral("diskfull");
    case TakeFault::SizeLimit:
        return QStringLiteral("sizelimit");
    case TakeFault::WriteFailed:
        return QStringLiteral("writefailed");
    }
    return QStringLiteral("none");
}

std::optional<qint64> wholeNumber(const QString& text)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

} // namespace

MciCommandInterpreter::MciCommandInterpreter(
    std::unique_ptr<WaveAudioBackend> backend, FileStore& files)
    : m_backend(std::move(backend))
    , m_files(files)
{}

MciCommandInterpreter::~MciCommandInterpreter()
{
    if (m_open)
        closeCapture();
}

void MciCommandInterpreter::addOtherDevice(MultimediaControl* control)
{
    m_others.push_back(control);
}

void MciCommandInterpreter::removeOtherDevice(MultimediaControl* control)
{
    std::erase(m_others, control);
}

int MciCommandInterpreter::mciSendString(const QString& command, QString* reply)
{
    if (reply)
        reply->clear();
    const QStringList words = command.simplified().split(u' ', Qt::SkipEmptyParts);
    if (is(words, 0, "close") && is(words, 1, "all") && words.size() == 2) {
        if (m_open)
            closeCapture();
        for (MultimediaControl* control : m_others)
            control->close();
        return 0;
    }
    if (is(words, 0, "open"))
        return open(words);
    if (!is(words, 1, "capture"))
        return words.isEmpty() ? kMciUnrecognizedCommand : kMciAliasNotOpen;
    if (!m_open)
        return kMciAliasNotOpen;
    refreshMode();
    const QString verb = words[0].toLower();
    if (verb == u"close" && words.size() == 2) {
        closeCapture();
        return 0;
    }
    if (verb == u"seek" && is(words, 2, "to") && is(words, 3, "start")) {
        stop();
        m_position = 0;
        return 0;
    }
    if (verb == u"set")
        return set(words);
    if (verb == u"record" && words.size() == 2) {
        if (m_mode == Mode::Playing)
            stop();
        if (m_mode == Mode::Recording)
            return 0;
        if (!m_backend->startRecording(m_format))
            return kMciCannotRecord;
        m_mode = Mode::Recording;
        return 0;
    }
    if (verb == u"stop" && words.size() == 2) {
        stop();
        return 0;
    }
    if (verb == u"play")
        return play(words);
    if (verb == u"status" && words.size() == 3)
        return status(words[2].toLower(), reply);
    if (verb == u"save") {
        // The rest of the line after "save capture " is the path, blanks and all.
        const qsizetype at = command.indexOf(kAlias, 0, Qt::CaseInsensitive) + kAlias.size() + 1;
        return save(command.mid(at));
    }
    return kMciUnrecognizedCommand;
}

int MciCommandInterpreter::open(const QStringList& words)
{
    if (!(words.size() == 6 && is(words, 1, "new") && is(words, 2, "type")
            && is(words, 3, "waveaudio") && is(words, 4, "alias") && is(words, 5, "capture")))
        return kMciUnrecognizedCommand;
    if (m_open)
        return kMciAliasInUse;
    m_backend->clearRecording();
    m_open = true;
    m_format = CaptureFormat { 11025, 1, 8 };
    m_milliseconds = true;
    m_mode = Mode::Stopped;
    m_position = 0;
    return 0;
}

int MciCommandInterpreter::set(const QStringList& words)
{
    if (is(words, 2, "time") && is(words, 3, "format") && words.size() == 5) {
        if (is(words, 4, "ms") || is(words, 4, "milliseconds"))
            m_milliseconds = true;
        else if (is(words, 4, "bytes"))
            m_milliseconds = false;
        else
            return kMciUnrecognizedCommand;
        return 0;
    }
    if (words.size() < 4 || words.size() % 2 != 0)
        return kMciUnrecognizedCommand;
    qint64 rate = m_format.sampleRate;
    qint64 channels = m_format.channels;
    qint64 bits = m_format.bitsPerSample;
    std::optional<qint64> alignment;
    std::optional<qint64> bytesPerSecond;
    for (qsizetype i = 2; i + 1 < words.size(); i += 2) {
        const std::optional<qint64> value = wholeNumber(words[i + 1]);
        if (!value)
            return kMciBadFormat;
        const QString key = words[i].toLower();
        if (key == u"samplespersec")
            rate = *value;
        else if (key == u"channels")
            channels = *value;
        else if (key == u"bitspersample")
            bits = *value;
        else if (key == u"alignment")
            alignment = *value;
        else if (key == u"bytespersec")
            bytesPerSecond = *value;
        else
            return kMciUnrecognizedCommand;
    }
    const qint64 blockAlign = bits * channels / 8;
    if ((bits != 8 && bits != 16) || (channels != 1 && channels != 2) || rate < 1000
        || rate > 192000 || (alignment && *alignment != blockAlign)
        || (bytesPerSecond && *bytesPerSecond != blockAlign * rate))
        return kMciBadFormat;
    if (m_mode == Mode::Recording)
        return kMciBadFormat;
    const CaptureFormat format { int(rate), int(channels), int(bits) };
    if (!(format == m_format)) {
        // Bytes recorded in one format mean nothing in another.
        stop();
        m_backend->clearRecording();
        m_position = 0;
    }
    m_format = format;
    return 0;
}

std::int64_t MciCommandInterpreter::lengthBytes() const
{
    return m_backend->recordedBytes();
}

std::int64_t MciCommandInterpreter::toUnits(std::int64_t bytes) const
{
    // Down to the whole millisecond, so that a length or position read in ms is always inside
    // the wave and can be played from; play() takes a millisecond to the first frame at or after
    // it, so a position met in ms still comes back as the same ms.
    return m_milliseconds ? bytes * 1000 / m_format.bytesPerSecond() : bytes;
}

void MciCommandInterpreter::refreshMode()
{
    // A take its storage stopped ends there, as if stopped at that moment.
    if (m_mode == Mode::Recording && m_backend->recordingFault() != TakeFault::None)
        stop();
    if (m_mode == Mode::Playing && m_backend->playbackFinished()) {
        m_backend->stopPlayback();
        m_position = lengthBytes();
        m_mode = Mode::Stopped;
    }
}

int MciCommandInterpreter::status(const QString& what, QString* reply)
{
    std::int64_t value = 0;
    if (what == u"mode") {
        if (reply)
            *reply = m_mode == Mode::Recording ? QStringLiteral("recording")
                : m_mode == Mode::Playing      ? QStringLiteral("playing")
                                               : QStringLiteral("stopped");
        return 0;
    }
    if (what == u"fault") {
        if (reply)
            *reply = faultWord(m_backend->recordingFault());
        return 0;
    }
    if (what == u"length")
        value = toUnits(lengthBytes());
    else if (what == u"position") {
        std::int64_t bytes = m_position;
        if (m_mode == Mode::Recording)
            bytes = lengthBytes();
        else if (m_mode == Mode::Playing)
            bytes = std::min(m_playFrom + m_backend->playedBytes(), lengthBytes());
        value = toUnits(bytes);
    } else if (what == u"channels")
        value = m_format.channels;
    else if (what == u"bitspersample")
        value = m_format.bitsPerSample;
    else if (what == u"samplespersec")
        value = m_format.sampleRate;
    else
        return kMciUnrecognizedCommand;
    if (reply)
        *reply = QString::number(value);
    return 0;
}

int MciCommandInterpreter::play(const QStringList& words)
{
    std::int64_t from = m_position;
    if (words.size() == 4 && is(words, 2, "from")) {
        const std::optional<qint64> value = wholeNumber(words[3]);
        // A number too large to turn into bytes lies past any wave.
        if (!value || *value < 0
            || *value > std::numeric_limits<std::int64_t>::max() / m_format.bytesPerSecond())
            return kMciOutOfRange;
        const std::int64_t frame = m_format.bytesPerFrame();
        if (m_milliseconds) {
            // The first frame at or after that millisecond.
            from = (*value * m_format.bytesPerSecond() + 999) / 1000;
            from += (frame - from % frame) % frame;
        } else
            from = *value - *value % frame;
    } else if (words.size() != 2)
        return kMciUnrecognizedCommand;
    stop();
    if (from > lengthBytes())
        return kMciOutOfRange;
    if (!m_backend->startPlayback(m_format, from))
        return kMciCannotPlay;
    m_playFrom = from;
    m_mode = Mode::Playing;
    return 0;
}

int MciCommandInterpreter::save(const QString& path)
{
    QString error;
    if (!writeWaveFile(
            m_files, path, m_format, lengthBytes(),
            [this](std::int64_t at, char* into, std::int64_t count) {
                return m_backend->readRecording(at, into, count);
            },
            &error))
        return kMciCannotWrite;
    m_backend->recordingSavedAs(path);
    return 0;
}

void MciCommandInterpreter::stop()
{
    if (m_mode == Mode::Recording) {
        m_backend->stopRecording();
        m_position = lengthBytes();
    } else if (m_mode == Mode::Playing) {
        m_position = std::min(m_playFrom + m_backend->playedBytes(), lengthBytes());
        m_position -= m_position % m_format.bytesPerFrame();
        m_backend->stopPlayback();
    }
    m_mode = Mode::Stopped;
}

void MciCommandInterpreter::closeCapture()
{
    stop();
    m_backend->clearRecording();
    m_open = false;
}
