#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QVariant>

// The settings file's text, kept as the lines of bytes it was read from. Only a line the program
// changes is written anew (in UTF-8); every other line, and every byte of the changed line around
// its value, goes back as it came: a file edited by hand in another encoding, with CR LF line
// ends, comments or lines the store cannot read, keeps all of it.
//
// Reading: names and texts are UTF-8 where their bytes are valid UTF-8, else Latin-1 (each byte
// one character), so a hand-edited "jos\xe9" reads as "josé" instead of losing the letter.
//
// The format, one section per key:
//   [Software\Taktovia\Gitara]
//   "Zv1"="103"
//   "Count"=dword:0000002a
//   "Path"=expand:"~/music"
//   "Raw"=hex:01,02            (a type the store does not read)
// Quoted names and texts escape '\' and '"' with '\', and line breaks as \n and \r. Key and value
// names match regardless of case; the first section of a name is the key, the first value of a
// name in it is the value.
class SettingsFile
{
public:
    static constexpr std::int32_t kTypeUnsupported = -1;
    static constexpr std::int32_t kTypeString = 1;
    static constexpr std::int32_t kTypeExpandString = 2;
    static constexpr std::int32_t kTypeNumber = 4;

    struct Value
    {
        std::int32_t type = kTypeUnsupported;
        // A QString for the text types, a qint32 for a number, invalid for an unsupported type.
        QVariant value;

        static Value text(const QString& text) { return { kTypeString, text }; }

        static Value number(std::int32_t number)
        {
            return { kTypeNumber, QVariant::fromValue<qint32>(number) };
        }
    };

    struct Name
    {
        QString section;
        QString name;
    };

    static SettingsFile parse(const QByteArray& bytes);

    QByteArray bytes() const;

    bool hasSection(const QString& section) const;
    std::optional<Value> find(const QString& section, const QString& name) const;

    // Sets a value made by Value::text or Value::number, adding the section and the value as
    // needed. A value equal to the one stored (same type, same value) leaves the line as it is.
    // False when the section or name cannot be kept in the file (a line feed in a section, an
    // empty section or name), or the value is of another type, and then nothing is changed.
    bool set(const QString& section, const QString& name, const Value& value);

    // Every value line in file order with the section it stands in, readable by find or not
    // (a value in a repeated section is not).
    std::vector<Name> names() const;
    // The file's lines without their line feeds.
    std::vector<QByteArray> lines() const;

private:
    struct Line
    {
        QByteArray raw;
        enum class Kind { Other, Header, Value } kind = Kind::Other;
        // The header's path, or the value's name.
        QString text;
        Value value;
        // Where the value's own bytes stand in `raw` (after "=", before trailing blanks).
        qsizetype valueBegin = 0;
        qsizetype valueEnd = 0;
    };

    static Line parseLine(const QByteArray& raw, qsizetype from);
    // The header line of the first section named so, or -1.
    qsizetype findHeader(const QString& section) const;
    // The value line of name within the section starting at `header`, or -1.
    qsizetype findValue(qsizetype header, const QString& name) const;
    QByteArray lineEnd() const;
    void indexKeyed();

    std::vector<Line> m_lines;
    // The header and value lines, in order: lookups skip the comments, however many.
    std::vector<std::size_t> m_keyed;
    bool m_finalLineFeed = false;
};
