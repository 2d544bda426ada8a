#pragma once

#include "app/PatternFile.h"

#include <optional>

struct Platform;

// The musician's saved patterns, kept in "Pattern.dat": the records in file order with their
// names beside them, index for index. Every change writes the whole file beside the old one and
// renames it over it, then reads the file back, so the book always shows what the file holds. No
// widgets; UI thread only.
class PatternBook
{
public:
    static inline const QString kFileName = QStringLiteral("Pattern.dat");

    explicit PatternBook(Platform& platform);

    // Reads the file afresh: the per-user copy when there is one, else the program folder's. A
    // missing or unreadable file is an empty book.
    void load();

    const QStringList& records() const { return m_records; }

    // The name of each record, in record order.
    const QStringList& names() const { return m_names; }

    qsizetype size() const { return m_records.size(); }

    PatternRecord record(qsizetype index) const;

    // The first record with this name / this pattern, compared exactly.
    std::optional<qsizetype> indexOfName(const QString& name) const;
    std::optional<qsizetype> indexOfPattern(const QString& pattern) const;

    // Each writes the whole file and reads it back. False when the file could not be written:
    // `*error` then holds the system's reason, and the file and the book are as they were.
    bool append(const PatternRecord& record, QString* error);
    bool replace(qsizetype index, const PatternRecord& record, QString* error);
    bool remove(qsizetype index, QString* error);

    // Where a change is written: the program folder when it can be written, else the per-user
    // data folder.
    QString writePath() const;

private:
    bool write(const QStringList& records, QString* error);
    void take(QStringList records);

    Platform& m_platform;
    QStringList m_records;
    QStringList m_names;
};
