#include "OutputFile.h"

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace wavpress {

namespace {

constexpr std::size_t kFlushAt = 256 * 1024;

bool writeAll(int fd, const unsigned char* data, std::size_t size, off_t offset)
{
    while (size > 0) {
        const ssize_t done =
            offset < 0 ? ::write(fd, data, size) : ::pwrite(fd, data, size, offset);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        data += done;
        size -= static_cast<std::size_t>(done);
        if (offset >= 0)
            offset += done;
    }
    return true;
}

// Whatever this library left in a folder carries this, and its next encoding there sweeps it.
constexpr char kPartPrefix[] = ".wavpress-";

} // namespace

bool OutputFile::create(const char* target)
{
    const std::string name = target;
    if (name.empty() || name.back() == '/')
        return false;

    struct stat existing
    {
    };

    if (::stat(target, &existing) == 0 && S_ISDIR(existing.st_mode))
        return false;
    return m_file.create(name, kPartPrefix, 0666);
}

bool OutputFile::flush()
{
    const bool written = writeAll(m_file.fd(), m_pending.data(), m_pending.size(), -1);
    m_pending.clear();
    return written;
}

bool OutputFile::append(const unsigned char* data, std::size_t size)
{
    m_pending.insert(m_pending.end(), data, data + size);
    return m_pending.size() < kFlushAt || flush();
}

bool OutputFile::overwriteStart(const unsigned char* data, std::size_t size)
{
    return flush() && writeAll(m_file.fd(), data, size, 0);
}

bool OutputFile::commit()
{
    return flush() && ::fsync(m_file.fd()) == 0 && m_file.replaceTarget();
}

} // namespace wavpress
