#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// One saved pattern as a line of the pattern file: the name, ";", the pattern, "|", the start.
struct PatternRecord
{
    QString name;
    QString pattern;
    QString start;

    // name;pattern|start
    QString line() const;

    // The name runs to the first ";" (a line without one is all name), the pattern from there to
    // the first "|" after it (to the end of a line without one) and the start after that "|". A
    // ";" in a pattern is a silent step and stays part of the pattern.
    static PatternRecord split(const QString& line);

    // line() splits back into these very fields and stays one line: the name holds no ";" or "|",
    // the pattern no "|", and no field a line end.
    bool readsBack() const;
};

// The lines of the pattern file's bytes. CR, CR LF and a lone LF each end a line; an empty line
// is no record, and nothing follows the last line end. Each line is UTF-8 when it is valid UTF-8,
// else Windows-1252, so that a file written by another program keeps its names.
QStringList patternFileLines(const QByteArray& bytes);

// The pattern file's bytes for these lines: UTF-8, each line ended by CR LF.
QByteArray patternFileBytes(const QStringList& lines);

// The start step clamped into 1 .. the pattern's length as the start field keeps it: below 1 it
// becomes "1", past the end the length; an empty pattern has only the step "1". A start in range
// stays as typed ("2.5" stays).
QString clampedPatternStart(const QString& start, qsizetype patternLength);
