#include "app/PatternFile.h"

#include "platform/basic/Conversions.h"

#include <algorithm>
#include <array>

#include <QStringDecoder>

namespace {

// Windows-1252 where it differs from Latin-1 (0x80 to 0x9F); its five unused bytes keep their
// Latin-1 control characters.
constexpr std::array<char16_t, 32> kCp1252High { 0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026,
    0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018,
    0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D,
    0x017E, 0x0178 };

constexpr QByteArrayView kUtf8Bom = "\xEF\xBB\xBF";

QString fromCp1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        text[i] = byte >= 0x80 && byte < 0xA0 ? QChar(kCp1252High[byte - 0x80]) : QChar(byte);
    }
    return text;
}

QString decodeLine(QByteArrayView bytes)
{
    // A byte-order mark is skipped at the start of the file only: inside, U+FEFF is text.
    // Stateless: a sequence cut off at the line's end is an error, not a wait for more bytes.
    QStringDecoder utf8(QStringDecoder::Utf8,
        QStringDecoder::Flag::ConvertInitialBom | QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return fromCp1252(bytes);
    return text;
}

} // namespace

QString PatternRecord::line() const
{
    return name + u';' + pattern + u'|' + start;
}

PatternRecord PatternRecord::split(const QString& line)
{
    const qsizetype semicolon = line.indexOf(u';');
    if (semicolon < 0)
        return { line, {}, {} };
    const qsizetype bar = line.indexOf(u'|', semicolon + 1);
    if (bar < 0)
        return { line.left(semicolon), line.mid(semicolon + 1), {} };
    return { line.left(semicolon), line.mid(semicolon + 1, bar - semicolon - 1),
        line.mid(bar + 1) };
}

bool PatternRecord::readsBack() const
{
    const auto endsLine = [](const QString& text) {
        return text.contains(u'\r') || text.contains(u'\n');
    };
    if (endsLine(name) || endsLine(pattern) || endsLine(start))
        return false;
    return !name.contains(u';') && !name.contains(u'|') && !pattern.contains(u'|');
}

QStringList patternFileLines(const QByteArray& bytes)
{
    QStringList lines;
    qsizetype from = bytes.startsWith(kUtf8Bom) ? kUtf8Bom.size() : 0;
    const qsizetype size = bytes.size();
    while (from < size) {
        qsizetype end = from;
        while (end < size && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        if (end > from)
            lines.append(decodeLine(QByteArrayView(bytes).sliced(from, end - from)));
        // CR LF is one line end; a lone CR or LF is one too.
        if (end + 1 < size && bytes[end] == '\r' && bytes[end + 1] == '\n')
            ++end;
        from = end + 1;
    }
    return lines;
}

QByteArray patternFileBytes(const QStringList& lines)
{
    QByteArray bytes;
    // A first line that starts with U+FEFF would lose it to the reader's skip of a mark.
    if (!lines.isEmpty() && lines.front().startsWith(QChar(0xFEFF)))
        bytes += kUtf8Bom;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

QString clampedPatternStart(const QString& start, qsizetype patternLength)
{
    const double value = Val(start);
    const qsizetype last = std::max<qsizetype>(patternLength, 1);
    if (value < 1)
        return QStringLiteral("1");
    if (value > static_cast<double>(last))
        return QString::number(last);
    return start;
}
