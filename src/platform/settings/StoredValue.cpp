#include "platform/settings/StoredValue.h"

#include "platform/basic/Conversions.h"

#include <cmath>

bool StoredValue::accepts(const QString& text) const
{
    return rule == Rule::Text || numberIn(text).has_value();
}

double StoredValue::defaultNumber() const
{
    return numberIn(defaultText.toString()).value_or(0);
}

std::optional<double> StoredValue::numberIn(const QString& text) const
{
    switch (rule) {
    case Rule::Text:
        return std::nullopt;
    case Rule::Number:
        return IsNumeric(text) ? std::optional<double>(Val(text)) : std::nullopt;
    case Rule::Integer16:
        if (const auto n = CInt(text))
            return *n;
        return std::nullopt;
    case Rule::WholeNumber: {
        const double v = Val(text);
        if (!IsNumeric(text) || v < min || v > max || v != std::floor(v))
            return std::nullopt;
        return v;
    }
    case Rule::LeadingNumber: {
        const double v = Val(text);
        return v >= min && v <= max ? std::optional<double>(v) : std::nullopt;
    }
    }
    return std::nullopt;
}
