#pragma once

#include <QByteArray>
#include <QString>

// Tag text is Windows-1252, one byte per character, whatever the desktop's locale: our own fixed
// table both ways, so that a 30-character title always fills exactly its 30 bytes.

// A character the table lacks (and each character outside the Basic Multilingual Plane, as one)
// becomes "?".
QByteArray toWindows1252(const QString& text);

// Every byte has a character, the five the code page leaves unassigned included (as the control
// characters of the same number), so that text read and written back keeps its bytes.
QString fromWindows1252(const QByteArray& bytes);
