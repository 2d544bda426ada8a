#include "EncodingRun.h"

#include "EncoderLibrary.h"
#include "ID3tag.h"
#include "platform/audio/RiffChunks.h"
#include "platform/basic/Conversions.h"
#include "platform/basic/MessageBoxService.h"

#include <array>
#include <cmath>

#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <sys/stat.h>

namespace {

struct ModeCode
{
    const char* text;
    std::uint8_t code;
};

constexpr std::array kModes { ModeCode { "Stereo", 0 }, ModeCode { "Joint Stereo", 1 },
    ModeCode { "Dual Channel", 2 }, ModeCode { "Mono", 3 } };

constexpr int kBitrate128 = 8;
constexpr qint64 kWaveHeadBytes = 58;

bool fullySupported(std::int32_t rate)
{
    return rate == 32000 || rate == 44100 || rate == 48000;
}

// The leading number of a list text as a 32-bit integer; 0 when it has none or is out of range.
std::int32_t leadingNumber(const QString& text)
{
    return CLng(Val(text)).value_or(0);
}

QString resultText(std::int32_t result)
{
    switch (result) {
    case WAVPRESS_FAILED:
        return QStringLiteral("MP3 encoding failed.");
    case WAVPRESS_STOPPED:
        return QStringLiteral("Encoding cancelled by user.");
    case WAVPRESS_ENCODER_NOT_STARTED:
        return QStringLiteral("Could not get encoding API!");
    case WAVPRESS_INPUT_NOT_OPENED:
        return QStringLiteral("Could not open input file!");
    case WAVPRESS_OUTPUT_NOT_CREATED:
        return QStringLiteral("Could not open output file!");
    case WAVPRESS_PARAMETERS_REFUSED:
        return QStringLiteral("Invalid encoding parameters.");
    default:
        return QStringLiteral("Encoding failed.");
    }
}

const QString kDone = QStringLiteral("WAV to MP3 encoding done.");
const QString kNoInput = QStringLiteral("Could not open input file!");

} // namespace

EncoderFunctions functionsOf(EncoderLibrary& library)
{
    return { [&library](const QString& in, const QString& out, std::int32_t kbps, std::int32_t rate,
                 std::uint8_t mode, WavpressProgress* cell) {
                return library.EncodeMp3(in, out, kbps, rate, mode, cell);
            },
        [&library](
            std::int32_t enable, std::int32_t quality, std::int32_t minKbps, std::int32_t maxKbps) {
            return library.SetVBR(enable, quality, minKbps, maxKbps);
        } };
}

QString localeNumber(double value)
{
    return NumText(value).replace(u'.', QLocale().decimalPoint());
}

QString rateText(std::int32_t hertz)
{
    return localeNumber(hertz / 1000.0);
}

bool sameFile(const QString& a, const QString& b)
{
    struct stat first
    {
    };

    struct stat second
    {
    };

    if (::stat(QFile::encodeName(a).constData(), &first) != 0
        || ::stat(QFile::encodeName(b).constData(), &second) != 0)
        return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

EncodingRun::EncodingRun(EncoderSession& session,
    EncodingView& view,
    EncoderFunctions functions,
    MessageBoxService& boxes)
    : m_session(session)
    , m_view(view)
    , m_functions(std::move(functions))
    , m_boxes(boxes)
{}

void EncodingRun::prepare()
{
    m_view.setStopEnabled(false);
    m_mode = 0;
}

void EncodingRun::EncodeAll()
{
    prepare();
    const auto count = m_view.settings().entries.size();
    for (int i = 0; i < count; ++i)
        if (!encodeEntry(i))
            break;
}

void EncodingRun::EncodeSelected()
{
    prepare();
    encodeEntry(std::nullopt);
}

bool EncodingRun::encodeEntry(std::optional<int> index)
{
    const bool all = index.has_value();
    if (all)
        m_view.selectEntry(*index);
    EncoderSettings settings = m_view.settings();
    QString input = settings.Text1;
    if (!settings.Text2.isEmpty())
        input += u'/' + (all ? settings.entries.value(*index) : settings.currentEntry);
    const QString output = settings.outputFolder + u'/' + settings.outputName;
    m_view.setStatus(QStringLiteral("Encoding: ") + input);
    if (input.isEmpty())
        return false;
    if (!IsValidWave(input))
        return false;
    if (output.right(4).toUpper() != QStringLiteral(".MP3")) {
        m_boxes.msgBox(QStringLiteral("Output file must have .mp3 extension."));
        return false;
    }
    // Encoding over its own input would lose the take, and a delete afterwards the MP3 too.
    if (sameFile(input, output)) {
        m_boxes.msgBox(QStringLiteral("Output file must differ from the input file."),
            MsgButtons::OK, MsgIcon::Exclamation);
        return false;
    }
    for (const ModeCode& mode : kModes)
        if (settings.modeText == QLatin1String(mode.text))
            m_mode = mode.code;
    if (settings.playing)
        m_view.stopPlaying();
    m_view.setPlayEnabled(false);
    m_view.setStopEnabled(true);

    std::int32_t rate = leadingNumber(settings.frequencyText);
    if (settings.frequencyIndex == 0) {
        const std::optional<std::int32_t> fromHeader = headerRate(input);
        if (!fromHeader) {
            m_boxes.msgBox(kNoInput, MsgButtons::OK, MsgIcon::Exclamation);
            m_view.setStopEnabled(false);
            return false;
        }
        rate = *fromHeader;
        if (!fullySupported(rate) && settings.bitrateText != QStringLiteral("128")) {
            m_boxes.msgBox(QStringLiteral("Current sample rate (") + rateText(rate)
                    + QStringLiteral(" KHz) is not fully supported by the encoder. For higher "
                                     "compatibility, the bitrate will be automatically set to "
                                     "128 kbits/sec. There is a possibility that encoding will "
                                     "not succeed."),
                MsgButtons::OK, MsgIcon::Information);
            m_view.selectBitrate(kBitrate128);
            // The bit rate is read again below, as the list now shows it.
            settings = m_view.settings();
        }
    }

    if (settings.vbr && !fullySupported(rate)) {
        m_boxes.msgBox(QStringLiteral("Current sample rate (") + rateText(rate)
                + QStringLiteral(
                    " KHz) is not supported by VBR! Please choose between 32000, 44100, or 48000."),
            MsgButtons::OK, MsgIcon::Exclamation);
        m_view.setStopEnabled(false);
        return false;
    }
    const std::int32_t maxKbps = leadingNumber(settings.maxBitrateText);
    std::optional<std::int32_t> result = 0;
    if (settings.vbr && m_functions.SetVBR)
        result = m_functions.SetVBR(1, settings.vbrQuality, 0, maxKbps);
    if (result && m_functions.EncodeMp3) {
        const std::int32_t kbps = settings.vbr ? maxKbps : leadingNumber(settings.bitrateText);
        m_view.setEncoding(true);
        result = m_session.encode(m_view, [&](WavpressProgress* cell) {
            return m_functions.EncodeMp3(input, output, kbps, rate, m_mode, cell);
        });
        m_view.setEncoding(false);
    } else {
        result = std::nullopt;
    }
    if (!result) {
        m_boxes.msgBox(
            resultText(WAVPRESS_ENCODER_NOT_STARTED), MsgButtons::OK, MsgIcon::Exclamation);
        m_view.setStopEnabled(false);
        return false;
    }
    return handleResult(*result, all, settings, input, output);
}

bool EncodingRun::handleResult(std::int32_t result,
    bool all,
    const EncoderSettings& settings,
    const QString& input,
    const QString& output)
{
    if (result != WAVPRESS_DONE) {
        m_boxes.msgBox(resultText(result), MsgButtons::OK, MsgIcon::Exclamation);
        m_view.setStopEnabled(false);
        if (result == WAVPRESS_STOPPED)
            m_view.setProgress(0, QString());
        return result < WAVPRESS_PARAMETERS_REFUSED || result > WAVPRESS_DONE;
    }
    if (all)
        m_view.setStatus(kDone);
    else
        m_boxes.msgBox(kDone, MsgButtons::OK, MsgIcon::Information);
    m_view.setStopEnabled(false);
    m_view.setPlayEnabled(true);
    m_view.setProgress(0, QString());

    if (settings.tag) {
        ID3tag& tag = m_session.EncodedTag();
        const ID3tag& pending = m_session.PendingTag();
        tag.setFileName(output);
        tag.Load();
        tag.setAlbum(pending.Album());
        tag.setName(pending.Name());
        tag.setArtist(pending.Artist());
        // A genre read from a tag always fits.
        (void)tag.setGenre(pending.Genre());
        tag.setComment(pending.Comment());
        tag.setYear(pending.Year());
        tag.setSongNumber(pending.SongNumber());
        tag.Save();
    }
    if (settings.deleteInput) {
        // Only a complete output that is another file stands in for the input.
        const QFileInfo made(output);
        if (!made.isFile() || made.size() == 0 || sameFile(input, output))
            return false;
        if (!QFile::remove(input)) {
            m_boxes.msgBox(QStringLiteral("Could not delete input file!"), MsgButtons::OK,
                MsgIcon::Exclamation);
            return false;
        }
    }
    return true;
}

bool EncodingRun::IsValidWave(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_boxes.msgBox(kNoInput, MsgButtons::OK, MsgIcon::Exclamation);
        return false;
    }
    const QByteArray head = file.read(kWaveHeadBytes);
    if (!head.contains("WAVE")) {
        m_boxes.msgBox(QStringLiteral("This is not a valid WAV file."), MsgButtons::OK,
            MsgIcon::Critical, QStringLiteral("Error..."));
        return false;
    }
    return true;
}

std::optional<std::int32_t> EncodingRun::headerRate(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const auto read = [&file](std::int64_t at, std::uint8_t* out, std::size_t count) {
        return file.seek(at)
            && file.read(reinterpret_cast<char*>(out), static_cast<qint64>(count))
            == static_cast<qint64>(count);
    };
    // The first format chunk, wherever it stands, as the library takes it.
    std::int32_t rate = 0;
    riff::walkChunks(file.size(), read, [&](const riff::Chunk& chunk) {
        if (!chunk.is("fmt "))
            return true;
        std::uint8_t body[riff::FormatFields::kBytes];
        if (chunk.available >= std::int64_t { sizeof body } && read(chunk.body, body, sizeof body))
            rate = static_cast<std::int32_t>(riff::formatFields(body).rate);
        return false;
    });
    return rate;
}
