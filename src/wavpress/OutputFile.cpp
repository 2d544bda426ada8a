#include "OutputFile.h"

#include <cerrno>
#include <cstdio>
#include <ctime>

#include <fcntl.h>
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

// A name no other run is likely to pick; O_EXCL settles the rare clash.
std::string temporaryName(const std::string& folder, unsigned attempt)
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    const unsigned long long mix = static_cast<unsigned long long>(now.tv_nsec)
        ^ static_cast<unsigned long long>(now.tv_sec) << 20
        ^ static_cast<unsigned long long>(getpid()) << 40 ^ attempt * 0x9E3779B9ull;
    char name[40];
    std::snprintf(name, sizeof name, ".wavpress-%012llx.part", mix & 0xFFFFFFFFFFFFull);
    return folder + name;
}

} // namespace

OutputFile::~OutputFile()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        ::unlink(m_temporary.c_str());
    }
}

bool OutputFile::create(const char* target)
{
    m_target = target;
    if (m_target.empty() || m_target.back() == '/')
        return false;

    struct stat existing
    {
    };

    if (::stat(target, &existing) == 0 && S_ISDIR(existing.st_mode))
        return false;
    const std::size_t slash = m_target.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : m_target.substr(0, slash + 1);
    for (unsigned attempt = 0; attempt < 64; ++attempt) {
        m_temporary = temporaryName(folder, attempt);
        m_fd = ::open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0)
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool OutputFile::flush()
{
    const bool written = writeAll(m_fd, m_pending.data(), m_pending.size(), -1);
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
    return flush() && writeAll(m_fd, data, size, 0);
}

bool OutputFile::commit()
{
    if (!flush() || ::fsync(m_fd) != 0)
        return false;
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 || ::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        ::unlink(m_temporary.c_str());
        return false;
    }
    return true;
}

} // namespace wavpress
