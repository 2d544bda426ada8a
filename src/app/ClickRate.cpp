#include "app/ClickRate.h"

#include "platform/audio/AudioEngine.h"
#include "platform/basic/Conversions.h"

namespace {

// Samples in one minute: the numerator of every interval before the rate divides it.
constexpr std::int64_t kSamplesPerMinute = std::int64_t { AudioEngine::kSampleRate } * 60;

} // namespace

bool clickRateTimeable(double rate)
{
    return rate >= kMinClickRate && rate <= kMaxClickRate;
}

ExactInterval::ExactInterval(Int128 numerator, Int128 denominator)
    : m_numerator(numerator)
    , m_denominator(denominator)
{}

std::optional<ExactInterval> ExactInterval::forRateText(const QString& rate)
{
    const double value = Val(rate);
    if (!clickRateTimeable(value))
        return std::nullopt;
    // NumText gives the shortest decimal form of up to 15 significant digits, which is the
    // typed decimal for any rate a person enters (133.3 and not 133.30000000000001). In the
    // timeable range it never uses E notation.
    const QString decimal = NumText(value);
    const qsizetype point = decimal.indexOf(u'.');
    const QString digits = point < 0 ? decimal : decimal.left(point) + decimal.mid(point + 1);
    const qsizetype fractionDigits = point < 0 ? 0 : decimal.size() - point - 1;

    Int128 rateNumerator = 0;
    for (QChar c : digits)
        rateNumerator = rateNumerator * 10 + c.digitValue();
    Int128 rateDenominator = 1;
    for (qsizetype i = 0; i < fractionDigits; ++i)
        rateDenominator *= 10;

    // samples = kSamplesPerMinute / (rateNumerator / rateDenominator)
    Int128 numerator = Int128 { kSamplesPerMinute } * rateDenominator;
    Int128 denominator = rateNumerator;
    Int128 a = numerator;
    Int128 b = denominator;
    while (b != 0) {
        const Int128 t = a % b;
        a = b;
        b = t;
    }
    return ExactInterval(numerator / a, denominator / a);
}

std::int64_t ExactInterval::offsetOfStep(std::int64_t k) const
{
    // Both are positive, so the division truncates towards the floor.
    return static_cast<std::int64_t>(Int128 { k } * m_numerator / m_denominator);
}

double ExactInterval::milliseconds() const
{
    return static_cast<double>(m_numerator) * 1000.0
        / (static_cast<double>(m_denominator) * AudioEngine::kSampleRate);
}
