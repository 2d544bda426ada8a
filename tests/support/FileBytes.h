#pragma once

// Whole files in and out for the tests.

#include <cstdint>
#include <vector>

#include <QByteArray>
#include <QFile>
#include <QString>

// The file's bytes, or "<missing>" when it cannot be read, so that a missing file never passes
// for an empty one.
inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Writes (replaces) the file; false when not all of `bytes` went in.
inline bool writeFileBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline bool writeFileBytes(const QString& path, const std::vector<std::uint8_t>& bytes)
{
    return writeFileBytes(path,
        QByteArray(
            reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
}
