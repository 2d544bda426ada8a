#pragma once

#include "platform/files/PendingFile.h"

#include <cstdint>
#include <functional>
#include <optional>

#include <QByteArray>
#include <QString>

// Tells one state of a file from another without reading it: which file it is, its size, and
// when it was last modified and last changed (contents or anything else, permissions included)
// on the system's clock, in nanoseconds since the epoch. How fine the times are depends on the
// file system: a tick of the kernel's clock on most Linux ones, a second on some.
struct FileStamp
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;

    bool operator==(const FileStamp&) const = default;
};

// Writes the files the program keeps (settings, the pattern file, recordings, the tone) so that a
// failure half-way never costs the old file: the new bytes go into a file that has no name yet
// (a PendingFile in the target's folder), are flushed to the disk, and only then take the
// target's name in one step. Whoever reads the target sees either the whole old file or the whole
// new one, and a process killed at any moment of a write leaves no file beside it (or, where the
// file system makes no unnamed files, a hidden `.kadentor-*.part` that the next write into that
// folder removes).
//
// UI thread (or any one thread per target path: two writers of one path race like any two
// renames). Errors are reported, never swallowed: false, and `*error` (when given) gets the
// system's text.
class FileStore
{
public:
    virtual ~FileStore() = default;

    // Replaces `path` with `bytes`. The folder must exist. A symbolic link at `path` is followed:
    // the file it points to is replaced and the link stays. A file that existed keeps its
    // permissions; a new one gets the user's default. On failure the old file is untouched and
    // nothing is left beside it.
    virtual bool writeAtomically(const QString& path, const QByteArray& bytes, QString* error) = 0;

    // Takes the next piece of the new content; false when it could not be written.
    using Sink = std::function<bool(const char* bytes, qint64 count)>;
    // Hands the whole new content to the sink, piece by piece; false when it cannot (or the sink
    // refused a piece).
    using Producer = std::function<bool(const Sink& sink)>;

    // Replaces `path` like writeAtomically with content that need not be in memory at once: a
    // recording of hours. A producer that fails fails the write like a full disk: the old file
    // stays and nothing is left beside it.
    virtual bool writeStreamed(const QString& path, const Producer& produce, QString* error) = 0;

    // The whole of `path`, or nothing when it cannot be read (missing, a folder, not allowed):
    // a caller about to rewrite a file must tell that apart from an empty one.
    virtual std::optional<QByteArray> readAll(const QString& path) = 0;

    // The stamp of the file `path` names (through a symbolic link), or nothing when it cannot be
    // looked at (missing, no search right on its folder).
    virtual std::optional<FileStamp> stamp(const QString& path) = 0;
};

// The real store on the local file system.
class DiskFileStore : public FileStore
{
public:
    bool writeAtomically(const QString& path, const QByteArray& bytes, QString* error) override;
    bool writeStreamed(const QString& path, const Producer& produce, QString* error) override;
    std::optional<QByteArray> readAll(const QString& path) override;
    std::optional<FileStamp> stamp(const QString& path) override;

protected:
    // Runs after the new bytes are safely beside the target, under a part name, and before the
    // rename; false stops the write there (with `*error` set), as a full disk would.
    virtual bool beforeRename(const QString& target, QString* error);
    // How the new file is made: unnamed where the file system can.
    virtual PendingFile::Naming naming() const;

private:
    bool write(const QString& path, const Producer& produce, QString* error);
};
