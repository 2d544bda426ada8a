#include "platform/settings/SettingsStore.h"

#include "platform/basic/MessageBoxService.h"
#include "platform/files/FileStore.h"
#include "platform/files/UserFolders.h"
#include "platform/settings/SettingsFile.h"

#include <algorithm>
#include <chrono>

#include <QDir>
#include <QFileInfo>

namespace {

std::int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::system_clock::now().time_since_epoch())
        .count();
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
    if (load() != Load::Ok || !m_parsed->file.hasSection(path))
        return {};
    return Key { path, true };
}

std::int32_t SettingsStore::QueryValueEx(
    const Key& KeyHandle, const QString& ValueName, QVariant& Value) const
{
    if (!KeyHandle.open)
        return kInvalidHandle;
    if (const auto kept = m_kept.find(keptName(KeyHandle.path, ValueName)); kept != m_kept.end()) {
        Value = kept->second.value;
        return kSuccess;
    }
    if (load() != Load::Ok)
        return kAccessDenied;
    const auto found = m_parsed->file.find(KeyHandle.path, ValueName);
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
    if (Type == kTypeString)
        return setValue(KeyHandle, ValueName, SettingsFile::Value::text(Value.toString()));
    if (Type != kTypeNumber)
        return kSuccess;
    bool ok = false;
    const qlonglong n = Value.toLongLong(&ok);
    return setValue(
        KeyHandle, ValueName, SettingsFile::Value::number(static_cast<std::int32_t>(ok ? n : 0)));
}

std::int32_t SettingsStore::setValue(
    const Key& KeyHandle, const QString& ValueName, const SettingsFile::Value& Value)
{
    if (!KeyHandle.open)
        return kInvalidHandle;
    const std::int32_t status = writeValue(KeyHandle.path, ValueName, Value);
    if (status == kSuccess)
        m_kept.erase(keptName(KeyHandle.path, ValueName));
    else
        m_kept[keptName(KeyHandle.path, ValueName)] = Value;
    return status;
}

std::int32_t SettingsStore::writeValue(
    const QString& path, const QString& name, const SettingsFile::Value& value)
{
    // A file we cannot read must not be replaced by one holding only the new value.
    const Load loaded = load();
    if (loaded == Load::Unreadable)
        return kAccessDenied;
    SettingsFile file = loaded == Load::Ok ? m_parsed->file : SettingsFile();
    if (!file.set(path, name, value))
        return kAccessDenied;
    QByteArray bytes = file.bytes();
    if (loaded == Load::Ok && bytes == m_parsed->bytes)
        return kSuccess;

    if (!QDir().mkpath(QFileInfo(m_filePath).absolutePath())
        || !m_files.writeAtomically(m_filePath, bytes, nullptr))
        return kAccessDenied;
    // What was written is what the next read would parse; it is taken as read once a read has
    // found those bytes under the file's new stamp.
    m_parsed = Parsed { m_files.stamp(m_filePath), std::move(bytes), std::move(file), false };
    return kSuccess;
}

SettingsStore::Load SettingsStore::load() const
{
    // Taken before the stamp: a change after it gets a change time of its own, later than a
    // settled stamp's.
    const std::int64_t readAt = nowNs();
    const std::optional<FileStamp> stamp = m_files.stamp(m_filePath);
    if (!stamp && !QFileInfo::exists(m_filePath)) {
        m_parsed.reset();
        return Load::Missing;
    }
    if (stamp && m_parsed && m_parsed->settled && m_parsed->stamp == stamp)
        return Load::Ok;
    std::optional<QByteArray> bytes = m_files.readAll(m_filePath);
    if (!bytes) {
        m_parsed.reset();
        return Load::Unreadable;
    }
    if (!m_parsed || m_parsed->bytes != *bytes)
        m_parsed = Parsed { {}, *bytes, SettingsFile::parse(*bytes), false };
    m_parsed->stamp = stamp;
    // Changes within the file system's stamp resolution of this one would look alike, so a
    // stamp is trusted only once it is older than that.
    m_parsed->settled = stamp
        && std::max(stamp->modifiedNs, stamp->changedNs)
            < readAt - std::int64_t { kSettleMs } * 1'000'000;
    return Load::Ok;
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
    if (setValue(key, ValueName, SettingsFile::Value::text(Value)) == kSuccess)
        return true;
    writeFailed();
    return false;
}

QString SettingsStore::text(const StoredValue& value, const QString& fallback)
{
    const QString def = value.defaultText.isNull() ? fallback : value.defaultText.toString();
    return GetRegValue(
        StoredValue::kAppKey.toString(), value.section.toString(), value.name.toString(), def)
        .toString();
}

QString SettingsStore::usableText(const StoredValue& value)
{
    const QString stored = text(value);
    return value.accepts(stored) ? stored : value.defaultText.toString();
}

std::optional<double> SettingsStore::number(const StoredValue& value)
{
    return value.numberIn(text(value));
}

double SettingsStore::numberOrDefault(const StoredValue& value)
{
    return number(value).value_or(value.defaultNumber());
}

bool SettingsStore::save(const StoredValue& value, const QString& text)
{
    return SaveRegValue(
        StoredValue::kAppKey.toString(), value.section.toString(), value.name.toString(), text);
}

bool SettingsStore::save(const StoredValue& value, std::int32_t number)
{
    return save(value, QString::number(number));
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
