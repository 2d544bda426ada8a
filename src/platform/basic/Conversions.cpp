#include "platform/basic/Conversions.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include <QChar>

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

// Hex and octal literals are 16-bit when they fit in four hex digits (or six octal ones) and
// 32-bit otherwise, so "&HFFFF" is -1 and "&H10000" is 65536.
double radixValue(const QString& digits, int radix)
{
    if (digits.isEmpty())
        return 0;
    std::uint64_t v = 0;
    for (QChar c : digits) {
        v = v * static_cast<unsigned>(radix)
            + static_cast<unsigned>(
                c.digitValue() >= 0 ? c.digitValue() : c.toUpper().unicode() - u'A' + 10);
        v &= 0xFFFFFFFFull;
    }
    const bool fitsShort = radix == 16 ? digits.size() <= 4 : v <= 0xFFFF;
    if (fitsShort)
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(v));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
}

bool isRadixDigit(QChar c, int radix)
{
    if (radix == 8)
        return c >= u'0' && c <= u'7';
    return c.isDigit() || (c.toUpper() >= u'A' && c.toUpper() <= u'F');
}

// Reads a number from the start of `text`; `end` receives how many characters it used and
// `complete` whether the number was well formed up to there. Blanks are skipped anywhere when
// `skipInnerBlanks` is set (Val), only around the number otherwise (IsNumeric).
double scanNumber(const QString& text, bool skipInnerBlanks, qsizetype& end, bool& sawDigits)
{
    QString compact;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skip = [&] {
        while (i < n && isBlank(text[i]))
            ++i;
    };
    sawDigits = false;
    skip();
    if (i + 1 < n && text[i] == u'&') {
        const QChar kind = text[i + 1].toUpper();
        const int radix = kind == u'H' ? 16 : kind == u'O' ? 8 : 0;
        if (radix != 0) {
            i += 2;
            QString digits;
            while (i < n) {
                if (skipInnerBlanks && isBlank(text[i])) {
                    ++i;
                    continue;
                }
                if (!isRadixDigit(text[i], radix))
                    break;
                digits += text[i++];
            }
            end = i;
            sawDigits = !digits.isEmpty();
            return radixValue(digits, radix);
        }
    }
    auto next = [&]() -> QChar {
        if (skipInnerBlanks)
            skip();
        return i < n ? text[i] : QChar();
    };
    if (next() == u'+' || next() == u'-')
        compact += text[i++];
    bool point = false;
    for (QChar c = next(); !c.isNull(); c = next()) {
        if (c.isDigit() && c.unicode() < 128) {
            compact += c;
            sawDigits = true;
        } else if (c == u'.' && !point) {
            compact += c;
            point = true;
        } else {
            break;
        }
        ++i;
    }
    end = i;
    QChar e = next();
    if (sawDigits && (e.toUpper() == u'E' || e.toUpper() == u'D')) {
        const qsizetype save = i;
        ++i;
        QString exponent = QStringLiteral("e");
        QChar s = next();
        if (s == u'+' || s == u'-') {
            exponent += s;
            ++i;
        }
        bool expDigits = false;
        for (QChar c = next(); !c.isNull() && c.isDigit() && c.unicode() < 128; c = next()) {
            exponent += c;
            expDigits = true;
            ++i;
        }
        if (expDigits) {
            compact += exponent;
            end = i;
        } else {
            i = save;
        }
    }
    if (!sawDigits)
        return 0;
    const QByteArray latin = compact.toLatin1();
    const double v = std::strtod(latin.constData(), nullptr);
    return std::isfinite(v) ? v : 0;
}

} // namespace

double Val(const QString& text)
{
    qsizetype end = 0;
    bool digits = false;
    return scanNumber(text, true, end, digits);
}

bool IsNumeric(const QString& text)
{
    qsizetype end = 0;
    bool digits = false;
    scanNumber(text, false, end, digits);
    if (!digits)
        return false;
    for (qsizetype i = end; i < text.size(); ++i) {
        if (!isBlank(text[i]))
            return false;
    }
    return true;
}

double roundHalfEven(double value)
{
    return std::nearbyint(value); // the default rounding mode is to nearest, ties to even
}

namespace {

template <typename T> std::optional<T> convertWhole(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double r = roundHalfEven(value);
    if (r < static_cast<double>(std::numeric_limits<T>::min())
        || r > static_cast<double>(std::numeric_limits<T>::max()))
        return std::nullopt;
    return static_cast<T>(r);
}

} // namespace

std::optional<std::int16_t> CInt(double value)
{
    return convertWhole<std::int16_t>(value);
}

std::optional<std::int32_t> CLng(double value)
{
    return convertWhole<std::int32_t>(value);
}

std::optional<std::int16_t> CInt(const QString& text)
{
    if (!IsNumeric(text))
        return std::nullopt;
    return CInt(Val(text));
}

std::optional<std::int32_t> CLng(const QString& text)
{
    if (!IsNumeric(text))
        return std::nullopt;
    return CLng(Val(text));
}

QString NumText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("Inf") : QStringLiteral("-Inf");
    if (value == 0)
        return QStringLiteral("0");
    char buf[64];
    // 15 significant digits, then decide between plain and E notation by the decimal exponent.
    std::snprintf(buf, sizeof buf, "%.14e", value);
    const QString sci = QString::fromLatin1(buf);
    const qsizetype ePos = sci.indexOf(u'e');
    const int exponent = sci.mid(ePos + 1).toInt();
    QString mantissa = sci.left(ePos);
    const bool negative = mantissa.startsWith(u'-');
    if (negative)
        mantissa.remove(0, 1);
    QString digits = mantissa;
    digits.remove(u'.');
    while (digits.size() > 1 && digits.endsWith(u'0'))
        digits.chop(1);
    QString out;
    if (exponent >= 15 || exponent < -5) {
        out = digits.left(1);
        if (digits.size() > 1)
            out += u'.' + digits.mid(1);
        out += exponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+");
        out += QString::number(std::abs(exponent)).rightJustified(2, u'0');
    } else if (exponent < 0) {
        out = QStringLiteral("0.") + QString(-exponent - 1, u'0') + digits;
    } else if (digits.size() <= exponent + 1) {
        out = digits + QString(exponent + 1 - digits.size(), u'0');
    } else {
        out = digits.left(exponent + 1) + u'.' + digits.mid(exponent + 1);
    }
    return negative ? u'-' + out : out;
}

QString Str(double value)
{
    QString plain = NumText(value);
    // The runtime's Str form drops the zero before the point: " .5", "-.5".
    if (plain.startsWith(QStringLiteral("0.")))
        plain.remove(0, 1);
    else if (plain.startsWith(QStringLiteral("-0.")))
        plain.remove(1, 1);
    return plain.startsWith(u'-') ? plain : u' ' + plain;
}

QString TimeText(std::int64_t seconds)
{
    auto field = [](std::int64_t v) {
        if (v < 1)
            return QStringLiteral("00");
        return v < 10 ? QStringLiteral("0") + QString::number(v) : QString::number(v);
    };
    const std::int64_t hours = seconds >= 0 ? seconds / 3600 : -((-seconds + 3599) / 3600);
    const std::int64_t rest = seconds % 3600;
    const std::int64_t minutes = rest >= 0 ? rest / 60 : -((-rest + 59) / 60);
    const std::int64_t secs = rest % 60;
    QString out;
    if (hours >= 1)
        out = QString::number(hours) + u':';
    return out + field(minutes) + u':' + field(secs);
}
