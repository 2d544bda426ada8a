#include "controls/TimeOfDay.h"

#include <cmath>
#include <vector>

namespace {

// The day counts of 1 January 100 and 31 December 9999, the range of a date-time.
constexpr double kFirstDay = -657434;
constexpr double kLastDay = 2958465;

QString twoDigits(int v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

enum class Kind { Literal, Hour, Minute, MonthOrMinute, Second, Marker };

struct Token
{
    Kind kind;
    QString text; // literal text, or the marker pattern as written
    int width = 1; // 1 or 2 digits
};

bool startsWithNoCase(const QString& s, qsizetype at, QLatin1String what)
{
    return s.mid(at, what.size()).compare(what, Qt::CaseInsensitive) == 0;
}

std::vector<Token> tokenize(const QString& picture)
{
    std::vector<Token> tokens;
    const qsizetype n = picture.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = picture[i];
        const QChar lower = c.toLower();
        auto run = [&](QChar letter) {
            qsizetype k = i;
            while (k < n && picture[k].toLower() == letter && k - i < 2)
                ++k;
            return static_cast<int>(k - i);
        };
        if (c == u'"') {
            const qsizetype close = picture.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? n : close;
            tokens.push_back({ Kind::Literal, picture.mid(i + 1, end - i - 1) });
            i = end + 1;
        } else if (c == u'\\' && i + 1 < n) {
            tokens.push_back({ Kind::Literal, picture.mid(i + 1, 1) });
            i += 2;
        } else if (startsWithNoCase(picture, i, QLatin1String("am/pm"))) {
            tokens.push_back({ Kind::Marker, picture.mid(i, 5) });
            i += 5;
        } else if (startsWithNoCase(picture, i, QLatin1String("a/p"))) {
            tokens.push_back({ Kind::Marker, picture.mid(i, 3) });
            i += 3;
        } else if (startsWithNoCase(picture, i, QLatin1String("ampm"))) {
            tokens.push_back({ Kind::Marker, QStringLiteral("AM/PM") });
            i += 4;
        } else if (lower == u'h' || lower == u'n' || lower == u's' || lower == u'm') {
            const int width = run(lower);
            const Kind kind = lower == u'h' ? Kind::Hour
                : lower == u'n'             ? Kind::Minute
                : lower == u's'             ? Kind::Second
                                            : Kind::MonthOrMinute;
            tokens.push_back({ kind, QString(), width });
            i += width;
        } else {
            tokens.push_back({ Kind::Literal, QString(c) });
            ++i;
        }
    }
    // m means minutes after an hour or before seconds (literals between do not count).
    for (std::size_t t = 0; t < tokens.size(); ++t) {
        if (tokens[t].kind != Kind::MonthOrMinute)
            continue;
        auto neighbour = [&](int step) {
            for (auto k = static_cast<std::ptrdiff_t>(t) + step;
                 k >= 0 && k < static_cast<std::ptrdiff_t>(tokens.size()); k += step) {
                if (tokens[static_cast<std::size_t>(k)].kind != Kind::Literal)
                    return tokens[static_cast<std::size_t>(k)].kind;
            }
            return Kind::Literal;
        };
        if (neighbour(-1) == Kind::Hour || neighbour(1) == Kind::Second)
            tokens[t].kind = Kind::Minute;
    }
    return tokens;
}

QString marker(const QString& pattern, bool pm)
{
    // "am/pm" -> am or pm in the case of the letters written; "a/p" -> one letter.
    const qsizetype slash = pattern.indexOf(u'/');
    return pm ? pattern.mid(slash + 1) : pattern.left(slash);
}

} // namespace

std::optional<std::int32_t> timeOfDaySeconds(double dateTime)
{
    if (!std::isfinite(dateTime) || dateTime < kFirstDay || dateTime >= kLastDay + 1)
        return std::nullopt;
    const double fraction = std::abs(dateTime - std::trunc(dateTime));
    const auto seconds = static_cast<std::int32_t>(std::floor(fraction * kSecondsPerDay + 0.5));
    return seconds % kSecondsPerDay;
}

double dayFraction(std::int32_t seconds)
{
    return static_cast<double>(seconds) / kSecondsPerDay;
}

QString timeText(std::int32_t seconds)
{
    return twoDigits(seconds / 3600) + u':' + twoDigits(seconds / 60 % 60) + u':'
        + twoDigits(seconds % 60);
}

QString formatTime(std::int32_t seconds, const QString& picture)
{
    const std::vector<Token> tokens = tokenize(picture);
    bool twelveHour = false;
    for (const Token& t : tokens)
        twelveHour = twelveHour || t.kind == Kind::Marker;
    const int hour = seconds / 3600;
    const bool pm = hour >= 12;
    QString out;
    for (const Token& t : tokens) {
        auto digits = [&](int v) {
            return t.width == 2 ? twoDigits(v) : QString::number(v);
        };
        switch (t.kind) {
        case Kind::Literal:
            out += t.text;
            break;
        case Kind::Hour:
            out += digits(twelveHour ? (hour % 12 == 0 ? 12 : hour % 12) : hour);
            break;
        case Kind::Minute:
            out += digits(seconds / 60 % 60);
            break;
        case Kind::MonthOrMinute:
            // Day 0 lies in December.
            out += digits(12);
            break;
        case Kind::Second:
            out += digits(seconds % 60);
            break;
        case Kind::Marker:
            out += marker(t.text, pm);
            break;
        }
    }
    return out;
}
