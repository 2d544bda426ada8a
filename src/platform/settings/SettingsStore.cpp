#include "platform/settings/SettingsStore.h"

#include "platform/files/FileStore.h"
#include "platform/files/UserFolders.h"

#include <optional>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

struct Entry
{
    QString name; // empty for a line kept as it was (comment or unreadable)
    QString raw;
    std::int32_t type = 0;
    QVariant value;
};

struct Section
{
    QString path;
    std::vector<Entry> entries;
};

struct Document
{
    std::vector<Entry> preamble;
    std::vector<Section> sections;
};

QString quote(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (QChar c : text) {
        if (c == u'\\' || c == u'"')
            out += u'\\';
        if (c == u'\n') {
            out += QStringLiteral("\\n");
            continue;
        }
        if (c == u'\r') {
            out += QStringLiteral("\\r");
            continue;
        }
        out += c;
    }
    return out + u'"';
}

// Reads a quoted text starting at pos; pos moves past the closing quote.
std::optional<QString> unquote(const QString& line, qsizetype& pos)
{
    if (pos >= line.size() || line[pos] != u'"')
        return std::nullopt;
    QString out;
    for (++pos; pos < line.size(); ++pos) {
        const QChar c = line[pos];
        if (c == u'"') {
            ++pos;
            return out;
        }
        if (c == u'\\' && pos + 1 < line.size()) {
            const QChar e = line[++pos];
            out += e == u'n' ? QChar(u'\n') : e == u'r' ? QChar(u'\r') : e;
            continue;
        }
        out += c;
    }
    return std::nullopt;
}

Entry parseEntry(const QString& line)
{
    Entry entry;
    entry.raw = line;
    qsizetype pos = 0;
    const auto name = unquote(line, pos);
    if (!name || name->isEmpty() || pos >= line.size() || line[pos] != u'=')
        return entry;
    ++pos;
    const QString rest = line.mid(pos);
    if (rest.startsWith(u'"')) {
        qsizetype p = 0;
        const auto text = unquote(rest, p);
        if (!text || p != rest.size())
            return entry;
        entry.type = SettingsStore::kTypeString;
        entry.value = *text;
    } else if (rest.startsWith(QStringLiteral("expand:"))) {
        qsizetype p = 7;
        const auto text = unquote(rest, p);
        if (!text || p != rest.size())
            return entry;
        entry.type = SettingsStore::kTypeExpandString;
        entry.value = *text;
    } else if (rest.startsWith(QStringLiteral("dword:"))) {
        bool ok = false;
        const QString hex = rest.mid(6).trimmed();
        const quint32 v = hex.toUInt(&ok, 16);
        if (!ok || hex.size() > 8)
            return entry;
        entry.type = SettingsStore::kTypeNumber;
        entry.value = static_cast<qint32>(v);
    } else {
        // A value of a type the store does not read (raw bytes, lists): present but unsupported.
        entry.type = -1;
    }
    entry.name = *name;
    return entry;
}

QString formatEntry(const Entry& entry)
{
    if (entry.name.isEmpty() || entry.type < 0)
        return entry.raw;
    QString out = quote(entry.name) + u'=';
    switch (entry.type) {
    case SettingsStore::kTypeNumber:
        return out + QStringLiteral("dword:")
            + QString::number(static_cast<quint32>(entry.value.toInt()), 16)
                  .rightJustified(8, u'0');
    case SettingsStore::kTypeExpandString:
        return out + QStringLiteral("expand:") + quote(entry.value.toString());
    default:
        return out + quote(entry.value.toString());
    }
}

enum class Load { Ok, Missing, Unreadable };

Load loadDocument(const QString& path, Document& doc)
{
    QFile file(path);
    if (!file.exists())
        return Load::Missing;
    if (!file.open(QIODevice::ReadOnly))
        return Load::Unreadable;
    const QString text = QString::fromUtf8(file.readAll());
    Section* current = nullptr;
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u'[') && trimmed.endsWith(u']') && trimmed.size() > 2) {
            doc.sections.push_back(Section { trimmed.mid(1, trimmed.size() - 2), {} });
            current = &doc.sections.back();
            continue;
        }
        Entry entry = trimmed.isEmpty() || trimmed.startsWith(u';') ? Entry { {}, line, 0, {} }
                                                                    : parseEntry(trimmed);
        if (current)
            current->entries.push_back(entry);
        else
            doc.preamble.push_back(entry);
    }
    // The split leaves one empty line after the final line break; do not grow the file by it.
    auto& tail = doc.sections.empty() ? doc.preamble : doc.sections.back().entries;
    if (!tail.empty() && tail.back().name.isEmpty() && tail.back().raw.isEmpty())
        tail.pop_back();
    return Load::Ok;
}

Section* findSection(Document& doc, const QString& path)
{
    for (auto& section : doc.sections) {
        if (section.path.compare(path, Qt::CaseInsensitive) == 0)
            return &section;
    }
    return nullptr;
}

Entry* findEntry(Section& section, const QString& name)
{
    for (auto& entry : section.entries) {
        if (!entry.name.isEmpty() && entry.name.compare(name, Qt::CaseInsensitive) == 0)
            return &entry;
    }
    return nullptr;
}

} // namespace

SettingsStore::SettingsStore(QString filePath, FileStore& files)
    : m_filePath(std::move(filePath))
    , m_files(files)
{}

QString SettingsStore::defaultFilePath()
{
    return xdgConfigHome() + QStringLiteral("/kadentor/settings.reg");
}

QString SettingsStore::keyPath(const QString& Prefix, const QString& AppKey, const QString& Section)
{
    QString path = Prefix;
    for (const QString& part : { AppKey, Section }) {
        if (part.isEmpty())
            continue;
        if (!path.isEmpty())
            path += u'\\';
        path += part;
    }
    return path;
}

SettingsStore::Key SettingsStore::openKey(std::uint32_t RootKey, const QString& path) const
{
    if (RootKey != kCurrentUser)
        return {};
    Document doc;
    if (loadDocument(m_filePath, doc) != Load::Ok || !findSection(doc, path))
        return {};
    return Key { path, true };
}

std::int32_t SettingsStore::QueryValueEx(
    const Key& KeyHandle, const QString& ValueName, QVariant& Value) const
{
    if (!KeyHandle.open)
        return kInvalidHandle;
    Document doc;
    if (loadDocument(m_filePath, doc) != Load::Ok)
        return kAccessDenied;
    Section* section = findSection(doc, KeyHandle.path);
    Entry* entry = section ? findEntry(*section, ValueName) : nullptr;
    if (!entry)
        return kFileNotFound;
    if (entry->type == kTypeString || entry->type == kTypeExpandString) {
        // A present but empty text is a value of its own: it reads as "", not as missing.
        Value = entry->value.toString();
        return kSuccess;
    }
    if (entry->type == kTypeNumber) {
        Value = entry->value.toInt();
        return kSuccess;
    }
    return kUnsupportedType;
}

std::int32_t SettingsStore::SetValueEx(
    const Key& KeyHandle, const QString& ValueName, std::int32_t Type, const QVariant& Value)
{
    if (!KeyHandle.open)
        return kInvalidHandle;
    if (Type != kTypeString && Type != kTypeNumber)
        return kSuccess;
    Document doc;
    // A file we cannot read must not be replaced by one holding only the new value.
    if (loadDocument(m_filePath, doc) == Load::Unreadable)
        return kAccessDenied;
    Section* section = findSection(doc, KeyHandle.path);
    if (!section) {
        doc.sections.push_back(Section { KeyHandle.path, {} });
        section = &doc.sections.back();
    }
    Entry* entry = findEntry(*section, ValueName);
    if (!entry) {
        section->entries.push_back(Entry { ValueName, {}, 0, {} });
        entry = &section->entries.back();
    }
    entry->type = Type;
    if (Type == kTypeNumber) {
        bool ok = false;
        const qlonglong n = Value.toLongLong(&ok);
        entry->value = static_cast<qint32>(ok ? n : 0);
    } else {
        entry->value = Value.toString();
    }

    QString text;
    for (const auto& e : doc.preamble)
        text += formatEntry(e) + u'\n';
    for (const auto& s : doc.sections) {
        text += u'[' + s.path + QStringLiteral("]\n");
        for (const auto& e : s.entries)
            text += formatEntry(e) + u'\n';
    }

    const QFileInfo info(m_filePath);
    if (!QDir().mkpath(info.absolutePath()))
        return kAccessDenied;
    return m_files.writeAtomically(m_filePath, text.toUtf8(), nullptr) ? kSuccess : kAccessDenied;
}

QVariant SettingsStore::GetRegValue(const QString& AppKey,
    const QString& Section,
    const QString& ValueName,
    const QString& Default,
    std::uint32_t RootKey,
    const QString& Prefix)
{
    const Key key = openKey(RootKey, keyPath(Prefix, AppKey, Section));
    QVariant value;
    QueryValueEx(key, ValueName, value);
    if (!value.isValid())
        value = Default;
    return value;
}

bool SettingsStore::SaveRegValue(const QString& AppKey,
    const QString& Section,
    const QString& ValueName,
    const QString& Value,
    std::uint32_t RootKey,
    const QString& Prefix)
{
    if (RootKey != kCurrentUser || ValueName.isEmpty())
        return false;
    // Creating the key is part of the write itself: the section appears with its first value.
    const Key key { keyPath(Prefix, AppKey, Section), true };
    return SetValueEx(key, ValueName, kTypeString, Value) == kSuccess;
}
