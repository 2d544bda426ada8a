#pragma once

#include <functional>

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// How tag writes reach the disk: pwrite(2) by default; tests pass one that fails part way.
using TagWriter = std::function<ssize_t(int fd, const void* data, size_t size, off_t offset)>;
// How a tag's file is opened: open(2) by default; tests pass one that refuses what the system
// refuses a user without the rights.
using TagOpener = std::function<int(const char* path, int flags)>;

// One file opened for a single tag call and closed with the object. It never creates a file,
// takes regular files only (a folder or a device is no MP3, and a pipe would block), and counts
// lengths in 64 bits. After a failure, errorText() holds the system's description.
class TagFile
{
public:
    enum class Access { Read, Write, ReadWrite };

    explicit TagFile(TagWriter writer = {}, TagOpener opener = {});
    ~TagFile();
    TagFile(const TagFile&) = delete;
    TagFile& operator=(const TagFile&) = delete;

    bool open(const QString& path, Access access);

    // -1 when it cannot be had.
    qint64 length();

    // Exactly `size` bytes, or an empty array.
    QByteArray readAt(qint64 offset, qint64 size);

    // Writes `bytes` at `offset` in a file that was `oldLength` long and held `oldBytes` at
    // `offset` (empty for an append). On a failure it puts those bytes back and cuts the file to
    // its old length, so that the file ends as it was.
    bool replace(
        qint64 offset, const QByteArray& bytes, const QByteArray& oldBytes, qint64 oldLength);

    bool truncate(qint64 length);

    QString errorText() const { return m_error; }

private:
    bool writeAll(qint64 offset, const QByteArray& bytes);
    bool fail();

    TagWriter m_writer;
    TagOpener m_opener;
    int m_fd = -1;
    QString m_error;
};
