#include "platform/settings/SettingsStore.h"

#include "platform/basic/MessageBoxService.h"
#include "platform/files/FileStore.h"
#include "platform/files/UserFolders.h"
#include "platform/settings/SettingsFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

enum class Load { Ok, Missing, Unreadable };

Load loadFile(FileStore& files, const QString& path, SettingsFile& file)
{
    if (!QFileInfo::exists(path))
        return Load::Missing;
    const std::optional<QByteArray> bytes = files.readAll(path);
    if (!bytes)
        return Load::Unreadable;
    file = SettingsFile::parse(*bytes);
    return Load::Ok;
}

} // namespace

SettingsStore::SettingsStore(QString filePath, FileStore& files)
    : m_filePath(std::move(filePath))
    , m_files(files)
{}

QString SettingsStore::defaultFilePath()
{
    return xdgConfigHome() + QStringLiteral("/kadentor/settings.reg");
}

QString SettingsStore::keyPath(const QString& Prefix, const QString& AppKey, const QString& Section)
{
    QString path = Prefix;
    for (const QString& part : { AppKey, Section }) {
        if (part.isEmpty())
            continue;
        if (!path.isEmpty())
            path += u'\\';
        path += part;
    }
    return path;
}

SettingsStore::Key SettingsStore::openKey(std::uint32_t RootKey, const QString& path) const
{
    if (RootKey != kCurrentUser)
        return {};
    if (keepsValuesIn(path))
        return Key { path, true };
    SettingsFile file;
    if (loadFile(m_files, m_filePath, file) != Load::Ok || !file.hasSection(path))
        return {};
    return Key { path, true };
}

std::int32_t SettingsStore::QueryValueEx(
    const Key& KeyHandle, const QString& ValueName, QVariant& Value) const
{
    if (!KeyHandle.open)
        return kInvalidHandle;
    if (const auto kept = m_kept.find(keptName(KeyHandle.path, ValueName)); kept != m_kept.end()) {
        Value = kept->second;
        return kSuccess;
    }
    SettingsFile file;
    if (loadFile(m_files, m_filePath, file) != Load::Ok)
        return kAccessDenied;
    const auto found = file.find(KeyHandle.path, ValueName);
    if (!found)
        return kFileNotFound;
    if (found->type == kTypeUnsupported)
        return kUnsupportedType;
    // A present but empty text is a value of its own: it reads as "", not as missing.
    Value = found->value;
    return kSuccess;
}

std::int32_t SettingsStore::SetValueEx(
    const Key& KeyHandle, const QString& ValueName, std::int32_t Type, const QVariant& Value)
{
    if (!KeyHandle.open)
        return kInvalidHandle;
    if (Type != kTypeString && Type != kTypeNumber)
        return kSuccess;
    QVariant value = Value.toString();
    if (Type == kTypeNumber) {
        bool ok = false;
        const qlonglong n = Value.toLongLong(&ok);
        value = static_cast<qint32>(ok ? n : 0);
    }
    const std::int32_t status = writeValue(KeyHandle.path, ValueName, Type, value);
    if (status == kSuccess)
        m_kept.erase(keptName(KeyHandle.path, ValueName));
    else
        m_kept[keptName(KeyHandle.path, ValueName)] = value;
    return status;
}

std::int32_t SettingsStore::writeValue(
    const QString& path, const QString& name, std::int32_t type, const QVariant& value)
{
    SettingsFile file;
    // A file we cannot read must not be replaced by one holding only the new value.
    const Load load = loadFile(m_files, m_filePath, file);
    if (load == Load::Unreadable)
        return kAccessDenied;
    const QByteArray before = file.bytes();
    if (!file.set(path, name, type, value))
        return kAccessDenied;
    if (load == Load::Ok && file.bytes() == before)
        return kSuccess;

    if (!QDir().mkpath(QFileInfo(m_filePath).absolutePath()))
        return kAccessDenied;
    return m_files.writeAtomically(m_filePath, file.bytes(), nullptr) ? kSuccess : kAccessDenied;
}

QVariant SettingsStore::GetRegValue(const QString& AppKey,
    const QString& Section,
    const QString& ValueName,
    const QString& Default,
    std::uint32_t RootKey,
    const QString& Prefix)
{
    const Key key = openKey(RootKey, keyPath(Prefix, AppKey, Section));
    QVariant value;
    QueryValueEx(key, ValueName, value);
    if (!value.isValid())
        value = Default;
    return value;
}

bool SettingsStore::SaveRegValue(const QString& AppKey,
    const QString& Section,
    const QString& ValueName,
    const QString& Value,
    std::uint32_t RootKey,
    const QString& Prefix)
{
    if (RootKey != kCurrentUser || ValueName.isEmpty())
        return false;
    // Creating the key is part of the write itself: the section appears with its first value.
    const Key key { keyPath(Prefix, AppKey, Section), true };
    if (SetValueEx(key, ValueName, kTypeString, Value) == kSuccess)
        return true;
    writeFailed();
    return false;
}

SettingsStore::KeptName SettingsStore::keptName(const QString& path, const QString& name)
{
    return { path.toCaseFolded(), name.toCaseFolded() };
}

bool SettingsStore::keepsValuesIn(const QString& path) const
{
    const auto first = m_kept.lower_bound({ path.toCaseFolded(), QString() });
    return first != m_kept.end() && first->first.first == path.toCaseFolded();
}

void SettingsStore::writeFailed()
{
    if (!m_boxes || m_toldWriteFailure)
        return;
    m_toldWriteFailure = true;
    m_boxes->msgBox(QStringLiteral("The settings could not be saved in %1. What you change now is "
                                   "kept only until Kadentor closes; the next start uses the "
                                   "settings saved before.")
                        .arg(QDir::toNativeSeparators(m_filePath)),
        MsgButtons::OK, MsgIcon::Critical);
}
