#pragma once

#include <algorithm>
#include <map>
#include <vector>

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

// The pitch classes a text of note names names, sorted: a letter with its sharps and flats ("Es"
// is E-flat); "(H)" and the parentheses of a note a chord may leave out are not notes of their
// own.
inline std::vector<int> pitchClasses(const QString& names)
{
    static const std::map<QChar, int> kLetters { { u'C', 0 }, { u'D', 2 }, { u'E', 4 }, { u'F', 5 },
        { u'G', 7 }, { u'A', 9 }, { u'B', 11 } };
    QString text = names;
    text.remove(QStringLiteral("(H)")).remove(u'(').remove(u')');
    std::vector<int> found;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        const auto letter = kLetters.find(word[0]);
        if (letter == kLetters.end()) {
            ADD_FAILURE() << "no note: " << word.toStdString();
            continue;
        }
        const QString rest = word.mid(1);
        const int shift = static_cast<int>(rest.count(u'#') - rest.count(u'b') - rest.count(u's'));
        found.push_back(((letter->second + shift) % 12 + 12) % 12);
    }
    std::sort(found.begin(), found.end());
    return found;
}
