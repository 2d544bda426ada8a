#include "platform/settings/SettingsFile.h"

#include <algorithm>

#include <QStringDecoder>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

QString decode(const QByteArray& bytes)
{
    // A text may begin with U+FEFF of its own: the file's byte order mark is skipped elsewhere.
    QStringDecoder utf8(QStringDecoder::Utf8,
        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

QByteArray quote(const QString& text)
{
    QByteArray out = "\"";
    for (char c : text.toUtf8()) {
        if (c == '\\' || c == '"')
            out += '\\';
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out + '"';
}

// Reads a quoted text starting at pos, as bytes; pos moves past the closing quote. The escapes
// are ASCII, so this reads UTF-8 and Latin-1 alike.
std::optional<QByteArray> unquote(const QByteArray& line, qsizetype& pos, qsizetype end)
{
    if (pos >= end || line[pos] != '"')
        return std::nullopt;
    QByteArray out;
    for (++pos; pos < end; ++pos) {
        const char c = line[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (c == '\\' && pos + 1 < end) {
            const char e = line[++pos];
            out += e == 'n' ? '\n' : e == 'r' ? '\r' : e;
            continue;
        }
        out += c;
    }
    return std::nullopt;
}

QByteArray formatValue(const SettingsFile::Value& value)
{
    if (value.type == SettingsFile::kTypeNumber)
        return "dword:"
            + QByteArray::number(static_cast<quint32>(qvariant_cast<qint32>(value.value)), 16)
                  .rightJustified(8, '0');
    return quote(qvariant_cast<QString>(value.value));
}

} // namespace

SettingsFile::Line SettingsFile::parseLine(const QByteArray& raw, qsizetype from)
{
    Line line;
    line.raw = raw;
    qsizetype begin = from;
    qsizetype end = raw.size();
    while (begin < end && isBlank(raw[begin]))
        ++begin;
    while (end > begin && isBlank(raw[end - 1]))
        --end;
    if (begin == end || raw[begin] == ';')
        return line;
    if (raw[begin] == '[' && raw[end - 1] == ']' && end - begin > 2) {
        line.kind = Line::Kind::Header;
        line.text = decode(raw.mid(begin + 1, end - begin - 2));
        return line;
    }

    qsizetype pos = begin;
    const auto name = unquote(raw, pos, end);
    if (!name || name->isEmpty() || pos >= end || raw[pos] != '=')
        return line;
    ++pos;
    const QByteArray rest = raw.mid(pos, end - pos);
    Value value;
    if (rest.startsWith('"') || rest.startsWith("expand:\"")) {
        const bool expand = rest.startsWith('e');
        qsizetype p = pos + (expand ? 7 : 0);
        const auto text = unquote(raw, p, end);
        if (!text || p != end)
            return line;
        value = { expand ? kTypeExpandString : kTypeString, decode(*text) };
    } else if (rest.startsWith("dword:")) {
        const QByteArray hex = rest.mid(6).trimmed();
        bool ok = false;
        const uint v = hex.toUInt(&ok, 16);
        if (!ok || hex.size() > 8)
            return line;
        value = { kTypeNumber, static_cast<qint32>(v) };
    }
    // Anything else is a value of a type the store does not read (raw bytes, lists): present,
    // and replaced by the next write of its name.
    line.kind = Line::Kind::Value;
    line.text = decode(*name);
    line.value = value;
    line.valueBegin = pos;
    line.valueEnd = end;
    return line;
}

SettingsFile SettingsFile::parse(const QByteArray& bytes)
{
    SettingsFile file;
    QList<QByteArray> raws = bytes.split('\n');
    // The split leaves one empty line after a final line feed: it is the feed, not a line.
    file.m_finalLineFeed = raws.size() > 1 && raws.back().isEmpty();
    if (file.m_finalLineFeed || bytes.isEmpty())
        raws.pop_back();
    const qsizetype bom = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    file.m_lines.reserve(static_cast<std::size_t>(raws.size()));
    for (qsizetype i = 0; i < raws.size(); ++i)
        file.m_lines.push_back(parseLine(raws[i], i == 0 ? bom : 0));
    file.indexKeyed();
    return file;
}

void SettingsFile::indexKeyed()
{
    m_keyed.clear();
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind != Line::Kind::Other)
            m_keyed.push_back(i);
    }
}

QByteArray SettingsFile::bytes() const
{
    QByteArray out;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        out += m_lines[i].raw;
        if (i + 1 < m_lines.size() || m_finalLineFeed)
            out += '\n';
    }
    return out;
}

QByteArray SettingsFile::lineEnd() const
{
    // New lines follow the file's first line: a file written elsewhere with CR LF stays so.
    const bool crlf = !m_lines.empty() && m_lines.front().raw.endsWith('\r')
        && (m_lines.size() > 1 || m_finalLineFeed);
    return crlf ? "\r" : "";
}

qsizetype SettingsFile::findHeader(const QString& section) const
{
    for (const std::size_t i : m_keyed) {
        if (m_lines[i].kind == Line::Kind::Header
            && m_lines[i].text.compare(section, Qt::CaseInsensitive) == 0)
            return static_cast<qsizetype>(i);
    }
    return -1;
}

qsizetype SettingsFile::findValue(qsizetype header, const QString& name) const
{
    auto at = std::upper_bound(m_keyed.begin(), m_keyed.end(), static_cast<std::size_t>(header));
    for (; at != m_keyed.end(); ++at) {
        const Line& line = m_lines[*at];
        if (line.kind == Line::Kind::Header)
            break;
        if (line.text.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<qsizetype>(*at);
    }
    return -1;
}

bool SettingsFile::hasSection(const QString& section) const
{
    return findHeader(section) >= 0;
}

std::optional<SettingsFile::Value> SettingsFile::find(
    const QString& section, const QString& name) const
{
    const qsizetype header = findHeader(section);
    const qsizetype at = header < 0 ? -1 : findValue(header, name);
    if (at < 0)
        return std::nullopt;
    return m_lines[static_cast<std::size_t>(at)].value;
}

bool SettingsFile::set(const QString& section, const QString& name, const Value& wanted)
{
    const bool typed = wanted.type == kTypeNumber
        ? wanted.value.typeId() == QMetaType::Int
        : wanted.type == kTypeString && wanted.value.typeId() == QMetaType::QString;
    if (!typed)
        return false;
    qsizetype header = findHeader(section);
    const qsizetype at = header < 0 ? -1 : findValue(header, name);
    if (at >= 0) {
        Line& line = m_lines[static_cast<std::size_t>(at)];
        if (line.value.type == wanted.type && line.value.value == wanted.value)
            return true;
        QByteArray raw =
            line.raw.left(line.valueBegin) + formatValue(wanted) + line.raw.mid(line.valueEnd);
        line = parseLine(raw, 0);
        if (line.kind != Line::Kind::Value)
            indexKeyed();
        return true;
    }

    // A new line must read back as what was meant, or the file would hold a value nobody can
    // find (a section with a line break, a name that is empty).
    const QByteArray end = lineEnd();
    Line entry = parseLine(quote(name) + '=' + formatValue(wanted) + end, 0);
    if (entry.kind != Line::Kind::Value || entry.text != name)
        return false;
    std::size_t insertAt = m_lines.size();
    if (header < 0) {
        Line head = parseLine('[' + section.toUtf8() + ']' + end, 0);
        if (section.contains(u'\n') || head.kind != Line::Kind::Header || head.text != section)
            return false;
        m_lines.push_back(head);
        insertAt = m_lines.size();
    } else {
        // After the section's last value, so blank lines and comments between sections stay
        // between them.
        insertAt = static_cast<std::size_t>(header) + 1;
        for (std::size_t i = insertAt; i < m_lines.size(); ++i) {
            if (m_lines[i].kind == Line::Kind::Header)
                break;
            if (m_lines[i].kind == Line::Kind::Value)
                insertAt = i + 1;
        }
    }
    if (insertAt == m_lines.size())
        m_finalLineFeed = true;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
    indexKeyed();
    return true;
}

std::vector<SettingsFile::Name> SettingsFile::names() const
{
    std::vector<Name> out;
    QString section;
    for (const Line& line : m_lines) {
        if (line.kind == Line::Kind::Header)
            section = line.text;
        else if (line.kind == Line::Kind::Value)
            out.push_back(Name { section, line.text });
    }
    return out;
}

std::vector<QByteArray> SettingsFile::lines() const
{
    std::vector<QByteArray> out;
    out.reserve(m_lines.size());
    for (const Line& line : m_lines)
        out.push_back(line.raw);
    return out;
}
