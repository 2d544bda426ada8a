#pragma once

#include <QByteArray>

#include <sys/stat.h>

// True when `path` names the very file that `fd` has open: a file found by its name and then
// locked may have been removed, or replaced by another of that name, in between, and a lock on a
// file nobody else can find guards nothing. Any thread.
inline bool namesOpenFile(const QByteArray& path, int fd)
{
    struct stat held
    {
    };

    struct stat named
    {
    };

    return ::fstat(fd, &held) == 0 && ::stat(path.constData(), &named) == 0
        && held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}
