#pragma once

#include "platform/files/FileStore.h"
#include "platform/settings/SettingsFile.h"
#include "platform/settings/StoredValue.h"

#include <cstdint>
#include <map>
#include <optional>
#include <utility>

#include <QString>
#include <QVariant>

class MessageBoxService;

// The program's persistent settings: named values in a tree of keys ("Software\Taktovia\Gitara"),
// kept in one per-user text file in place of a registry. Values are plain text, expandable text
// (returned as stored) or 32-bit numbers; the program writes only text. Key and value names match
// regardless of case and keep the case of their first write.
//
// Every call reads the file afresh: a hand edit is seen at the next call. The file is parsed
// again only when it changed: each call looks at its stamp (which file, size, modification and
// change times), and reads and compares its bytes only while the last change is younger than
// kSettleMs, within which a file system may stamp two changes alike. Every write replaces the
// whole file atomically (written beside it, then renamed over it), so a failure half-way leaves
// the old values intact. A write changes only its own value's bytes (SettingsFile has the
// format); a write of the value already stored leaves the file alone. A value whose write failed
// is kept by the store and read back for the rest of its life (the run), ahead of what the file
// holds, until a write of it succeeds. A file that cannot be parsed yields defaults for what it
// cannot read and is never changed by a read. UI thread only.
class SettingsStore
{
public:
    // How long after a change of the file its stamp is not trusted on its own: covers file
    // systems whose times step by a second (and FAT's two).
    static constexpr int kSettleMs = 2000;

    // The only root the store keeps; other roots read as missing and refuse writes.
    static constexpr std::uint32_t kCurrentUser = 0x80000001u;

    // Status codes as the callers know them.
    static constexpr std::int32_t kSuccess = 0;
    static constexpr std::int32_t kFileNotFound = 2;
    static constexpr std::int32_t kAccessDenied = 5;
    static constexpr std::int32_t kInvalidHandle = 6;
    static constexpr std::int32_t kUnsupportedType = -1;

    static constexpr std::int32_t kTypeUnsupported = SettingsFile::kTypeUnsupported;
    static constexpr std::int32_t kTypeString = SettingsFile::kTypeString;
    static constexpr std::int32_t kTypeExpandString = SettingsFile::kTypeExpandString;
    static constexpr std::int32_t kTypeNumber = SettingsFile::kTypeNumber;

    // An opened key: 0 when the key could not be opened.
    struct Key
    {
        QString path;
        bool open = false;
    };

    // Reads and writes go through `files`, which must outlive the store.
    SettingsStore(QString filePath, FileStore& files);

    // $XDG_CONFIG_HOME/kadentor/settings.reg, or ~/.config/kadentor/settings.reg.
    static QString defaultFilePath();

    const QString& filePath() const { return m_filePath; }

    // Prefix, AppKey and Section joined by "\", empty parts skipped.
    static QString keyPath(const QString& Prefix, const QString& AppKey, const QString& Section);

    // The stored text or number, else Default as text. Never creates anything.
    QVariant GetRegValue(const QString& AppKey,
        const QString& Section,
        const QString& ValueName,
        const QString& Default,
        std::uint32_t RootKey = kCurrentUser,
        const QString& Prefix = QStringLiteral("Software"));

    // From now on the first write that fails is told to the user through `boxes` (which must
    // outlive the store), once for the store's life, which is the program's run: every window
    // saves through here, so one box says that changes will not be kept, and later failures (a
    // slider's every step) stay quiet. Without it failures are only returned.
    void tellWriteFailuresThrough(MessageBoxService& boxes) { m_boxes = &boxes; }

    // Writes Value as text, creating the key as needed. True only when the file was written.
    bool SaveRegValue(const QString& AppKey,
        const QString& Section,
        const QString& ValueName,
        const QString& Value,
        std::uint32_t RootKey = kCurrentUser,
        const QString& Prefix = QStringLiteral("Software"));

    // The program's own values (StoredValues.h), under Software\Taktovia. text: the stored text
    // (a number as its decimal text), else the value's default, else `fallback`. usableText: the
    // same, and the default in place of a text the value's rule refuses. number: the number the
    // stored or default text holds by the rule, nullopt when it holds none; numberOrDefault the
    // default's number then.
    QString text(const StoredValue& value, const QString& fallback = QString());
    QString usableText(const StoredValue& value);
    std::optional<double> number(const StoredValue& value);
    double numberOrDefault(const StoredValue& value);

    // Writes a value of the program's as SaveRegValue writes, a number as its decimal text.
    bool save(const StoredValue& value, const QString& text);
    bool save(const StoredValue& value, std::int32_t number);

    // Opens an existing key, or one holding a value kept from a failed write (never creates one).
    Key openKey(std::uint32_t RootKey, const QString& path) const;

    // Reads a value into Value (a QString or a qint32); Value is untouched unless the read
    // succeeds. Returns a status code.
    std::int32_t QueryValueEx(
        const Key& KeyHandle, const QString& ValueName, QVariant& Value) const;

    // Writes a value of type kTypeString or kTypeNumber, creating the key. Any other type writes
    // nothing and returns kSuccess. A number is taken as a whole number and cut to its low 32
    // bits (a text that is none is 0). Returns a status code.
    std::int32_t SetValueEx(
        const Key& KeyHandle, const QString& ValueName, std::int32_t Type, const QVariant& Value);
    // The same write of a value made by SettingsFile::Value::text or ::number, as it goes into
    // the file.
    std::int32_t setValue(
        const Key& KeyHandle, const QString& ValueName, const SettingsFile::Value& Value);

private:
    enum class Load { Ok, Missing, Unreadable };

    // The file as last read (or written), parsed.
    struct Parsed
    {
        std::optional<FileStamp> stamp;
        QByteArray bytes;
        SettingsFile file;
        // The stamp is old enough to stand for the bytes without reading them.
        bool settled = false;
    };

    // Brings m_parsed up to the file as it is now: Ok with m_parsed set, else m_parsed empty.
    Load load() const;

    // A key path and a value name as the file matches them: regardless of case.
    using KeptName = std::pair<QString, QString>;

    static KeptName keptName(const QString& path, const QString& name);
    // True when a value of the key at `path` is kept from a failed write.
    bool keepsValuesIn(const QString& path) const;
    // Writes into the file, without the kept values; a status code.
    std::int32_t writeValue(
        const QString& path, const QString& name, const SettingsFile::Value& value);
    void writeFailed();

    QString m_filePath;
    FileStore& m_files;
    MessageBoxService* m_boxes = nullptr;
    bool m_toldWriteFailure = false;
    // The values whose last write failed (a read-only folder, a full disk), as they were to be
    // written: every read returns them until a write of the same name succeeds, so that what
    // the user changed lasts the run even where the file cannot keep it.
    std::map<KeptName, SettingsFile::Value> m_kept;
    mutable std::optional<Parsed> m_parsed;
};
