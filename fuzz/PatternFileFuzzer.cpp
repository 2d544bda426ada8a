// libFuzzer entry for the pattern file's reader: any bytes must give lines that are not empty and
// hold no line end, that write out and read back unchanged, and whose records split without a
// crash; a record that may be saved must split back into its own fields.
#include "app/PatternFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList lines = patternFileLines(bytes);
    for (const QString& line : lines) {
        if (line.isEmpty() || line.contains(u'\r') || line.contains(u'\n'))
            std::abort();
        const PatternRecord record = PatternRecord::split(line);
        if (record.line().size() > line.size() + 2)
            std::abort();
        if (record.readsBack()) {
            const PatternRecord back = PatternRecord::split(record.line());
            if (back.name != record.name || back.pattern != record.pattern
                || back.start != record.start)
                std::abort();
        }
    }
    if (patternFileLines(patternFileBytes(lines)) != lines)
        std::abort();
    return 0;
}
