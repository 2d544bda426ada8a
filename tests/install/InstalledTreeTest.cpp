#include "WithoutRoot.h"

#include <string>
#include <vector>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Every file and folder under `root` (not what a link points to) with its write bits taken away,
// or given back to the owner.
bool setWritable(const QString& root, bool writable)
{
    QStringList paths { root };
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
        QDirIterator::Subdirectories);
    while (it.hasNext())
        paths.append(it.next());
    bool all = true;
    for (const QString& path : paths) {
        struct stat status
        {
        };

        if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
            return false;
        if (S_ISLNK(status.st_mode))
            continue;
        const mode_t bits = status.st_mode & 07777;
        all = setMode(path, writable ? bits | S_IWUSR : bits & ~mode_t(0222)) && all;
    }
    return all;
}

// The tree installed read-only goes with the test's folder: writable again first for a user who
// is not root.
struct WritableAgain
{
    QString root;

    ~WritableAgain()
    {
        if (QFileInfo::exists(root))
            setWritable(root, true);
    }
};

// Every folder and file under `root` (links left out) whose mode is not what every user needs:
// folders and programs 755, other files 644.
QStringList wrongModes(const QString& root, const QStringList& programs)
{
    QStringList wrong;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();

        struct stat status
        {
        };

        if (::lstat(QFile::encodeName(path).constData(), &status) != 0) {
            wrong.append(path + QStringLiteral(": gone"));
            continue;
        }
        if (S_ISLNK(status.st_mode))
            continue;
        const mode_t want =
            S_ISDIR(status.st_mode) || programs.contains(it.fileName()) ? 0755 : 0644;
        if ((status.st_mode & 07777) != want)
            wrong.append(QStringLiteral("%1: %2").arg(path).arg(status.st_mode & 07777, 0, 8));
    }
    return wrong;
}

} // namespace

// The build installed into a fresh prefix as an administrator whose umask is 077 installs it,
// every folder and file of it with the mode every user needs, made read-only, and the program's
// own look-ups run from there by a user who cannot write to it: the look-ups are built
// into a second executable laid beside the installed one and started through a link in bin/, as
// `kadentor` is, so that its program folder is the installed one. What it finds there is what the
// installed program finds.
TEST(InstalledTree, TheProgramsLookUpsFindEverythingAsAUserWhoCannotWriteThere)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Below a folder of its own, which the install makes too.
    const QString prefix = dir.filePath(QStringLiteral("opt/prefix"));
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    // The mask goes to the install with the rest of this process's state.
    const mode_t mask = ::umask(077);
    install.start(QStringLiteral(KADENTOR_CMAKE),
        { QStringLiteral("--install"), QStringLiteral(KADENTOR_BUILD_DIR),
            QStringLiteral("--prefix"), prefix });
    ::umask(mask);
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(install.exitCode(), 0) << install.readAll().toStdString();
    EXPECT_EQ(wrongModes(dir.filePath(QStringLiteral("opt")), { QStringLiteral("kadentor") })
                  .join(u'\n')
                  .toStdString(),
        "");

    // What the user starts, and the folder it leads to.
    const QFileInfo program(prefix + QStringLiteral("/bin/kadentor"));
    ASSERT_TRUE(program.exists());
    ASSERT_TRUE(program.isExecutable());
    const QString folder = QFileInfo(program.canonicalFilePath()).absolutePath();
    ASSERT_TRUE(folder.startsWith(QFileInfo(prefix).canonicalFilePath() + u'/'))
        << folder.toStdString();

    const QString lookups = folder + QStringLiteral("/kadentor-lookups");
    ASSERT_TRUE(QFile::copy(QStringLiteral(KADENTOR_LOOKUPS), lookups));
    ASSERT_TRUE(setMode(lookups, 0755));
    // Started as the program is: through a link in bin/ when the program is a link there.
    const QString link = prefix + QStringLiteral("/bin/kadentor-lookups");
    if (QFileInfo(prefix + QStringLiteral("/bin")).canonicalFilePath() != folder) {
        ASSERT_TRUE(QFile::link(lookups, link));
    }
    WritableAgain restore { prefix };
    ASSERT_TRUE(setWritable(prefix, false));

    // A home of the user's own, and nothing of the build's to find libraries in.
    const QString home = dir.filePath(QStringLiteral("home"));
    ASSERT_TRUE(QDir().mkpath(home));
    ASSERT_TRUE(setMode(home, 01777));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("LD_LIBRARY_PATH"));
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/runtime"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    environment.insert(QStringLiteral("KADENTOR_INSTALLED_FOLDER"), folder);
    // The leak check's suppressions lie in the source tree, which this user may not be allowed
    // to read; the code run here is leak-checked by the other tests.
    const QString asan = environment.value(QStringLiteral("ASAN_OPTIONS"));
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
        asan + (asan.isEmpty() ? "" : ":") + QStringLiteral("detect_leaks=0"));

    // Made before the fork: the child only starts the look-ups.
    std::vector<std::string> texts;
    for (const QString& entry : environment.toStringList())
        texts.push_back(entry.toStdString());
    std::vector<char*> envp;
    for (std::string& text : texts)
        envp.push_back(text.data());
    envp.push_back(nullptr);
    std::string command = QFile::encodeName(link).toStdString();
    char* argv[] = { command.data(), nullptr };

    EXPECT_TRUE(withoutRoot(dir.path(), [&] {
        ::execve(argv[0], argv, envp.data());
        ADD_FAILURE() << "could not start " << argv[0];
    }));
}
