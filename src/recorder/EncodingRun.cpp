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

// The run under way, for the library's callback, which carries no context of its own.
EncodingRun* s_current = nullptr;

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

bool CancelEncoding = false;

ID3tag& PendingTag()
{
    static ID3tag tag;
    return tag;
}

ID3tag& EncodedTag()
{
    static ID3tag tag;
    return tag;
}

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

EncodingRun::EncodingRun(EncodingView& view, EncoderFunctions functions, MessageBoxService& boxes)
    : m_view(view)
    , m_functions(std::move(functions))
    , m_boxes(boxes)
{}

EncodingRun::~EncodingRun()
{
    if (s_current == this)
        s_current = nullptr;
}

void EncodingRun::prepare()
{
    m_view.setStopEnabled(false);
    m_mode = 0;
}

void EncodingRun::EncodeAll()
{
    prepare();
    const int count = m_view.listCount();
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
    QString input = m_view.Text1();
    if (!m_view.Text2().isEmpty())
        input += u'/' + (all ? m_view.listEntry(*index) : m_view.currentEntry());
    const QString output = m_view.outputFolder() + u'/' + m_view.outputName();
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
        if (m_view.modeText() == QLatin1String(mode.text))
            m_mode = mode.code;
    if (m_view.playing())
        m_view.stopPlaying();
    m_view.setPlayEnabled(false);
    m_view.setStopEnabled(true);

    std::int32_t rate = leadingNumber(m_view.frequencyText());
    if (m_view.frequencyIndex() == 0) {
        const std::optional<std::int32_t> fromHeader = headerRate(input);
        if (!fromHeader) {
            m_boxes.msgBox(kNoInput, MsgButtons::OK, MsgIcon::Exclamation);
            m_view.setStopEnabled(false);
            return false;
        }
        rate = *fromHeader;
        if (!fullySupported(rate) && m_view.bitrateText() != QStringLiteral("128")) {
            m_boxes.msgBox(QStringLiteral("Current sample rate (") + rateText(rate)
                    + QStringLiteral(" KHz) is not fully supported by the encoder. For higher "
                                     "compatibility, the bitrate will be automatically set to "
                                     "128 kbits/sec. There is a possibility that encoding will "
                                     "not succeed."),
                MsgButtons::OK, MsgIcon::Information);
            m_view.selectBitrate(kBitrate128);
        }
    }

    const bool vbr = m_view.vbrTicked();
    if (vbr && !fullySupported(rate)) {
        m_boxes.msgBox(QStringLiteral("Current sample rate (") + rateText(rate)
                + QStringLiteral(
                    " KHz) is not supported by VBR! Please choose between 32000, 44100, or 48000."),
            MsgButtons::OK, MsgIcon::Exclamation);
        m_view.setStopEnabled(false);
        return false;
    }
    const std::int32_t maxKbps = leadingNumber(m_view.maxBitrateText());
    std::optional<std::int32_t> result = 0;
    if (vbr && m_functions.SetVBR)
        result = m_functions.SetVBR(1, m_view.vbrQuality(), 0, maxKbps);
    if (result && m_functions.EncodeMp3) {
        const std::int32_t kbps = vbr ? maxKbps : leadingNumber(m_view.bitrateText());
        // No request left from before this encoding, and none left behind for the next.
        CancelEncoding = false;
        s_current = this;
        m_view.setEncoding(true);
        result = m_functions.EncodeMp3(input, output, kbps, rate, m_mode, &m_cell);
        m_view.setEncoding(false);
        s_current = nullptr;
        CancelEncoding = false;
    } else {
        result = std::nullopt;
    }
    if (!result) {
        m_boxes.msgBox(
            resultText(WAVPRESS_ENCODER_NOT_STARTED), MsgButtons::OK, MsgIcon::Exclamation);
        m_view.setStopEnabled(false);
        return false;
    }
    return handleResult(*result, all, input, output);
}

bool EncodingRun::handleResult(
    std::int32_t result, bool all, const QString& input, const QString& output)
{
    if (result != WAVPRESS_DONE) {
        m_boxes.msgBox(resultText(result), MsgButtons::OK, MsgIcon::Exclamation);
        m_view.setStopEnabled(false);
        if (result == WAVPRESS_STOPPED) {
            m_view.setProgress(0);
            m_view.setPercentText(QString());
        }
        return result < WAVPRESS_PARAMETERS_REFUSED || result > WAVPRESS_DONE;
    }
    if (all)
        m_view.setStatus(kDone);
    else
        m_boxes.msgBox(kDone, MsgButtons::OK, MsgIcon::Information);
    m_view.setStopEnabled(false);
    m_view.setPlayEnabled(true);
    m_view.setProgress(0);
    m_view.setPercentText(QString());

    if (m_view.tagTicked()) {
        ID3tag& tag = EncodedTag();
        const ID3tag& pending = PendingTag();
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
    if (m_view.deleteTicked()) {
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

std::int16_t EncodingRun::EncodeProgress(std::int32_t percent)
{
    return s_current ? s_current->progress(percent) : std::int16_t { -1 };
}

std::int16_t EncodingRun::progress(std::int32_t percent)
{
    const auto p = static_cast<std::int16_t>(percent & 0xFFFF);
    if (static_cast<float>(m_view.progress()) != static_cast<float>(p)) {
        m_view.setPercentText(QString::number(p) + u'%');
        m_view.setProgress(p);
    }
    // Asked before the events run: a Stop clicked now is answered at the next call.
    const bool stop = CancelEncoding;
    CancelEncoding = false;
    m_view.processEvents();
    return stop ? std::int16_t { 0 } : std::int16_t { -1 };
}
