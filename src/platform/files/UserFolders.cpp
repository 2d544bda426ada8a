#include "platform/files/UserFolders.h"

#include <QDir>

namespace {

QString baseFolder(const char* variable, const QString& underHome)
{
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return value;
    return QDir::homePath() + underHome;
}

} // namespace

QString xdgConfigHome()
{
    return baseFolder("XDG_CONFIG_HOME", QStringLiteral("/.config"));
}

QString xdgDataHome()
{
    return baseFolder("XDG_DATA_HOME", QStringLiteral("/.local/share"));
}

QString xdgCacheHome()
{
    return baseFolder("XDG_CACHE_HOME", QStringLiteral("/.cache"));
}
