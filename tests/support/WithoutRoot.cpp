#include "WithoutRoot.h"

#include <cerrno>
#include <cstdio>

#include <QFile>

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

bool withoutRoot(const QString& folder, const std::function<void()>& body)
{
    if (!QFile::setPermissions(folder,
            QFile::permissions(folder) | QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup
                | QFile::ExeGroup))
        return false;
    // Looked up before the fork: the child of a process with threads must not load libraries.
    const passwd* nobody = ::getpwnam("nobody");
    const uid_t uid = nobody ? nobody->pw_uid : 65534;
    const gid_t gid = nobody ? nobody->pw_gid : 65534;
    // What the parent has not written yet would be written twice.
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        if (::geteuid() == 0
            && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0
                || ::geteuid() == 0))
            ::_exit(2);
        body();
        std::fflush(nullptr);
        // Past the test framework and every destructor: the parent still owns all of that.
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool setMode(const QString& path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}
