#pragma once

#include <functional>

#include <QString>
#include <QStringList>

// Runs `body` in a child process that is to end by SIGKILL inside it (the body raises it, or a
// seam of the code under test does). True when it did; false when the child ended any other way.
bool killedInside(const std::function<void()>& body);

// What a folder holds, hidden entries included, by name.
QStringList folderEntries(const QString& folder);

// Whether the folder's file system makes files without a name (O_TMPFILE): where it does not,
// a write that is killed leaves a part for the next one to remove.
bool makesUnnamedFiles(const QString& folder);
