#pragma once

#include "platform/audio/TakeFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include <unistd.h>

// A disk with room for a file of `room` bytes, as the capture's write function: a write that
// crosses that size goes in part, as on a real disk, and the next one fails with ENOSPC. Bytes
// rewritten below it (a header) take no room. Any thread.
inline TakeFile::WriteFunction fullDisk(std::int64_t room)
{
    return [room](int fd, const void* bytes, std::size_t count, off_t offset) -> ssize_t {
        if (offset >= room) {
            errno = ENOSPC;
            return -1;
        }
        const auto fits = static_cast<std::size_t>(std::min<std::int64_t>(
            static_cast<std::int64_t>(count), room - static_cast<std::int64_t>(offset)));
        return ::pwrite(fd, bytes, fits, offset);
    };
}
