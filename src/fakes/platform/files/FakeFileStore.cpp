#include "platform/files/FakeFileStore.h"

#include <csignal>

namespace {

bool refuse(QString* error)
{
    if (error)
        *error = QStringLiteral("No space left on device");
    return false;
}

} // namespace

bool FakeFileStore::writeAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    writes.push_back(Write { path, bytes, false, false });
    if (fail == Fail::BeforeWrite)
        return refuse(error);
    writes.back().done = DiskFileStore::writeAtomically(path, bytes, error);
    return writes.back().done;
}

bool FakeFileStore::writeStreamed(const QString& path, const Producer& produce, QString* error)
{
    writes.push_back(Write { path, {}, false, true });
    if (fail == Fail::BeforeWrite)
        return refuse(error);
    writes.back().done = DiskFileStore::writeStreamed(path, produce, error);
    return writes.back().done;
}

std::optional<QByteArray> FakeFileStore::readAll(const QString& path)
{
    ++reads;
    if (failReads)
        return std::nullopt;
    return DiskFileStore::readAll(path);
}

std::optional<FileStamp> FakeFileStore::stamp(const QString& path)
{
    if (failReads)
        return std::nullopt;
    return DiskFileStore::stamp(path);
}

bool FakeFileStore::beforeRename(const QString&, QString* error)
{
    if (fail == Fail::KilledBeforeRename)
        std::raise(SIGKILL);
    if (fail != Fail::BeforeRename)
        return true;
    if (error)
        *error = QStringLiteral("Interrupted before the rename");
    return false;
}

PendingFile::Naming FakeFileStore::naming() const
{
    return partFiles ? PendingFile::Naming::PartFile : DiskFileStore::naming();
}
