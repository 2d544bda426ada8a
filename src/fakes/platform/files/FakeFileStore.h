#pragma once

#include "platform/files/FileStore.h"

#include <vector>

// Writes for real (tests point it at a temporary folder) and records every write. It can be told
// to stop a write after the new bytes are beside the target and before the rename, as a crash
// would, or to refuse writes outright, as a full disk would.
class FakeFileStore : public DiskFileStore
{
public:
    enum class Fail { Never, BeforeWrite, BeforeRename };

    struct Write
    {
        QString path;
        QByteArray bytes;
        // True when the bytes reached the target.
        bool done = false;
    };

    bool writeAtomically(const QString& path, const QByteArray& bytes, QString* error) override;

    // Applies to every write until changed.
    Fail fail = Fail::Never;
    std::vector<Write> writes;

protected:
    bool beforeRename(const QString& target, QString* error) override;
};
