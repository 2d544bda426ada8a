// libFuzzer entry for the settings file: any bytes read and written back unchanged are the same
// bytes; one value written changes that value only: every other value reads the same, every
// other line keeps its bytes, and the written value reads back as written.
//
// The first input byte picks the write: bit 0 an existing value's name (bits 1-7 which one) or a
// new one, and its low bits also the length of the text, taken from the bytes after it. The
// rest of the input (from byte 1) is the file.
#include "platform/settings/SettingsFile.h"

#include <algorithm>
#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

bool sameName(const SettingsFile::Name& a, const QString& section, const QString& name)
{
    return a.section.compare(section, Qt::CaseInsensitive) == 0
        && a.name.compare(name, Qt::CaseInsensitive) == 0;
}

bool sameValue(
    const std::optional<SettingsFile::Value>& a, const std::optional<SettingsFile::Value>& b)
{
    if (a.has_value() != b.has_value())
        return false;
    return !a || (a->type == b->type && a->value == b->value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const unsigned pick = data[0];
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    SettingsFile file = SettingsFile::parse(bytes);
    check(file.bytes() == bytes);
    const std::vector<QByteArray> linesBefore = file.lines();
    const std::vector<SettingsFile::Name> names = file.names();
    std::vector<std::optional<SettingsFile::Value>> before;
    for (const auto& n : names)
        before.push_back(file.find(n.section, n.name));

    QString section = QStringLiteral("Software\\Taktovia\\Gitara");
    QString name = QStringLiteral("Zv1");
    if ((pick & 1) && !names.empty()) {
        const auto& n = names[(pick >> 1) % names.size()];
        section = n.section;
        name = n.name;
    }
    const auto textBytes = std::min<std::size_t>(size - 1, (pick >> 1) % 12);
    const QString text = QString::fromUtf8(
        reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(textBytes));

    const bool written = file.set(section, name, SettingsFile::Value::text(text));
    const QByteArray after = file.bytes();
    if (!written) {
        check(after == bytes);
        return 0;
    }
    const SettingsFile reread = SettingsFile::parse(after);
    const auto value = reread.find(section, name);
    check(value && value->type == SettingsFile::kTypeString && value->value.toString() == text);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (!sameName(names[i], section, name))
            check(sameValue(before[i], reread.find(names[i].section, names[i].name)));
    }

    // The lines differ in one run at most: one line changed in place, or one or two lines (a
    // value, a section and its value) added.
    const std::vector<QByteArray> linesAfter = reread.lines();
    std::size_t head = 0;
    while (head < linesBefore.size() && head < linesAfter.size()
        && linesBefore[head] == linesAfter[head])
        ++head;
    std::size_t tail = 0;
    while (tail < linesBefore.size() - head && tail < linesAfter.size() - head
        && linesBefore[linesBefore.size() - 1 - tail] == linesAfter[linesAfter.size() - 1 - tail])
        ++tail;
    const std::size_t removed = linesBefore.size() - head - tail;
    const std::size_t added = linesAfter.size() - head - tail;
    check(removed <= 1 && added <= 2 && (removed == 0 || added == 1));
    // A line changed in place keeps the file's ending as it was.
    if (removed == 1)
        check(after.endsWith('\n') == bytes.endsWith('\n'));
    return 0;
}
