#pragma once

#include "platform/files/FileStore.h"

#include <vector>

// Writes and reads for real (tests point it at a temporary folder) and records every write. It
// can be told to stop a write after the new bytes are beside the target and before the rename, as
// a failing rename would, or to end the process there (SIGKILL), as a crash would (for a test's
// child process); to refuse writes outright, as a full disk or a read-only folder would; to make
// its files as a file system without unnamed files does; or to refuse reads, as a file the user
// may not read would.
class FakeFileStore : public DiskFileStore
{
public:
    enum class Fail { Never, BeforeWrite, BeforeRename, KilledBeforeRename };

    struct Write
    {
        QString path;
        // Empty for a streamed write, whose content is never held here: read the file.
        QByteArray bytes;
        // True when the bytes reached the target.
        bool done = false;
        bool streamed = false;
    };

    bool writeAtomically(const QString& path, const QByteArray& bytes, QString* error) override;
    bool writeStreamed(const QString& path, const Producer& produce, QString* error) override;
    std::optional<QByteArray> readAll(const QString& path) override;
    // Nothing while reads fail: a file made unreadable has a new stamp (its change time), so a
    // caller never takes it for the file it read before.
    std::optional<FileStamp> stamp(const QString& path) override;

    // Applies to every write until changed.
    Fail fail = Fail::Never;
    // Every new file is a named part from the start while set.
    bool partFiles = false;
    // Every read fails while set.
    bool failReads = false;
    std::vector<Write> writes;
    // How many times readAll was called.
    int reads = 0;

protected:
    bool beforeRename(const QString& target, QString* error) override;
    PendingFile::Naming naming() const override;
};
