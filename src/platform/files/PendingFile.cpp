#include "platform/files/PendingFile.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kSuffix[] = ".part";
constexpr std::size_t kSuffixLength = sizeof kSuffix - 1;
constexpr int kAttempts = 16;

// Process `pid`'s start time in clock ticks since boot (field 22 of its stat), 0 when there is
// no such process (or no /proc to ask).
unsigned long long startTime(long pid)
{
    char path[40];
    std::snprintf(path, sizeof path, "/proc/%ld/stat", pid);
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char text[1024];
    ssize_t size;
    do
        size = ::read(fd, text, sizeof text - 1);
    while (size < 0 && errno == EINTR);
    ::close(fd);
    if (size <= 0)
        return 0;
    text[size] = '\0';
    // The command name before the fields is in parentheses and may hold blanks and parentheses.
    const char* at = std::strrchr(text, ')');
    for (int field = 2; field < 22 && at; ++field)
        at = std::strchr(at + 1, ' ');
    return at ? std::strtoull(at + 1, nullptr, 10) : 0;
}

std::string partName(const std::string& prefix)
{
    std::uint64_t random = 0;
    if (::getrandom(&random, sizeof random, GRND_NONBLOCK) != sizeof random) {
        timespec now {};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        random = static_cast<std::uint64_t>(now.tv_nsec) * 0x9E3779B97F4A7C15ull
            ^ static_cast<std::uint64_t>(now.tv_sec);
    }
    const long pid = ::getpid();
    char owner[80];
    std::snprintf(owner, sizeof owner, "%ld-%llu-%016llx", pid, startTime(pid),
        static_cast<unsigned long long>(random));
    return prefix + owner + kSuffix;
}

struct Owner
{
    long pid = 0;
    unsigned long long start = 0;
};

// False for a name that is not a part of `prefix`.
bool ownerOf(const char* name, const std::string& prefix, Owner& owner)
{
    const std::size_t length = std::strlen(name);
    if (length <= prefix.size() + kSuffixLength
        || prefix.compare(0, prefix.size(), name, prefix.size()) != 0
        || std::strcmp(name + length - kSuffixLength, kSuffix) != 0)
        return false;
    const char* at = name + prefix.size();
    unsigned long long numbers[2] = {};
    for (unsigned long long& number : numbers) {
        if (!std::isdigit(static_cast<unsigned char>(*at)))
            return false;
        char* end = nullptr;
        number = std::strtoull(at, &end, 10);
        if (*end != '-')
            return false;
        at = end + 1;
    }
    std::size_t digits = 0;
    while (std::isxdigit(static_cast<unsigned char>(at[digits])))
        ++digits;
    if (digits != 16 || at + digits != name + length - kSuffixLength || numbers[0] == 0
        || numbers[0] > INT_MAX)
        return false;
    owner = { static_cast<long>(numbers[0]), numbers[1] };
    return true;
}

// Makes a rename last: without it a crash of the system can bring back the old entry.
void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

PendingFile::~PendingFile()
{
    discard();
}

bool PendingFile::create(
    const std::string& target, const std::string& prefix, mode_t mode, Naming naming)
{
    discard();
    m_target = target;
    m_prefix = prefix;
    const std::size_t slash = target.rfind('/');
    m_folder = slash == std::string::npos ? std::string(".")
        : slash == 0                      ? std::string("/")
                                          : target.substr(0, slash);
    sweep(m_folder, prefix);

    // An unnamed file is linked in through /proc, so without it the part file serves.
    if (naming == Naming::UnnamedWherePossible && ::access("/proc/self/fd", X_OK) == 0) {
        m_fd = ::open(m_folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
        // These say that the file system (or the kernel) makes no unnamed files.
        if (m_fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return false;
    }
    for (int attempt = 0; m_fd < 0 && attempt < kAttempts; ++attempt) {
        m_part = m_folder + '/' + partName(prefix);
        m_fd = ::open(m_part.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (m_fd < 0) {
            m_part.clear();
            if (errno != EEXIST)
                return false;
        }
    }
    if (m_fd < 0)
        return false;
    // Held until the file is closed. Refused only when a sweep without /proc took the new part
    // for a dead one: it goes, and the write fails rather than go on into a removed file.
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        discard();
        errno = EAGAIN;
        return false;
    }
    return true;
}

bool PendingFile::nameAsPart()
{
    if (m_fd < 0) {
        errno = EBADF;
        return false;
    }
    if (!m_part.empty())
        return true;
    char self[40];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", m_fd);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::string part = m_folder + '/' + partName(m_prefix);
        if (::linkat(AT_FDCWD, self, AT_FDCWD, part.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            m_part = std::move(part);
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool PendingFile::replaceTarget()
{
    if (!nameAsPart() || ::rename(m_part.c_str(), m_target.c_str()) != 0) {
        const int error = errno;
        discard();
        errno = error;
        return false;
    }
    m_part.clear();
    syncFolder(m_folder);
    // Closed only now, so that the lock lasts as long as the part name. The content was synced
    // before, which reports what a close could.
    ::close(m_fd);
    m_fd = -1;
    return true;
}

void PendingFile::discard()
{
    if (m_fd < 0)
        return;
    const int error = errno;
    // Removed while still locked, so that no sweep can take it meanwhile.
    if (!m_part.empty())
        ::unlink(m_part.c_str());
    ::close(m_fd);
    m_fd = -1;
    m_part.clear();
    errno = error;
}

int PendingFile::sweep(const std::string& folder, const std::string& prefix)
{
    const int error = errno;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return 0;
    const int dirFd = ::dirfd(dir);
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        Owner owner;
        if (!ownerOf(entry->d_name, prefix, owner))
            continue;
        // An owner that still runs may have made its part and not yet locked it.
        if (owner.start != 0 && startTime(owner.pid) == owner.start)
            continue;
        const int fd =
            ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;

        struct stat opened
        {
        };

        struct stat named
        {
        };

        // Locked, and still the file of that name: no one writes it, and no other sweep took it
        // away while this one opened it.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0
            && S_ISREG(opened.st_mode)
            && ::fstatat(dirFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0
            && named.st_dev == opened.st_dev && named.st_ino == opened.st_ino
            && ::unlinkat(dirFd, entry->d_name, 0) == 0)
            ++removed;
        ::close(fd);
    }
    ::closedir(dir);
    errno = error;
    return removed;
}
