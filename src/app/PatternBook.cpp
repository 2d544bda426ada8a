#include "app/PatternBook.h"

#include "platform/Platform.h"
#include "platform/files/FileStore.h"

#include <QFile>

PatternBook::PatternBook(Platform& platform)
    : m_platform(platform)
{}

void PatternBook::load()
{
    QFile file(m_platform.dataFileToRead(kFileName));
    if (!file.open(QIODevice::ReadOnly)) {
        take({});
        return;
    }
    take(patternFileLines(file.readAll()));
}

void PatternBook::take(QStringList records)
{
    m_records = std::move(records);
    m_names.clear();
    m_names.reserve(m_records.size());
    for (const QString& line : m_records)
        m_names.append(PatternRecord::split(line).name);
}

PatternRecord PatternBook::record(qsizetype index) const
{
    if (index < 0 || index >= m_records.size())
        return {};
    return PatternRecord::split(m_records[index]);
}

std::optional<qsizetype> PatternBook::indexOfName(const QString& name) const
{
    const qsizetype index = m_names.indexOf(name);
    if (index < 0)
        return std::nullopt;
    return index;
}

std::optional<qsizetype> PatternBook::indexOfPattern(const QString& pattern) const
{
    for (qsizetype i = 0; i < m_records.size(); ++i) {
        if (PatternRecord::split(m_records[i]).pattern == pattern)
            return i;
    }
    return std::nullopt;
}

QString PatternBook::writePath() const
{
    return m_platform.dataFileToWrite(kFileName);
}

bool PatternBook::write(const QStringList& records, QString* error)
{
    const QByteArray bytes = patternFileBytes(records);
    if (!m_platform.files->writeAtomically(writePath(), bytes, error))
        return false;
    // What the file now holds, as a later load will read it.
    take(patternFileLines(bytes));
    return true;
}

bool PatternBook::append(const PatternRecord& record, QString* error)
{
    QStringList records = m_records;
    records.append(record.line());
    return write(records, error);
}

bool PatternBook::replace(qsizetype index, const PatternRecord& record, QString* error)
{
    if (index < 0 || index >= m_records.size()) {
        *error = QStringLiteral("There is no pattern %1 to replace.").arg(index + 1);
        return false;
    }
    QStringList records = m_records;
    records[index] = record.line();
    return write(records, error);
}

bool PatternBook::remove(qsizetype index, QString* error)
{
    if (index < 0 || index >= m_records.size())
        return true;
    QStringList records = m_records;
    records.removeAt(index);
    return write(records, error);
}
