#pragma once

#include <optional>

#include <QString>
#include <QStringView>

// One value the program keeps between runs: where it is stored (Software\Taktovia\<section>),
// its default as stored, and the rule by which a stored text reads as a value. The program
// writes every value as text, a number in decimal; the rule is what keeps a text the user edited
// by hand, or an earlier run wrote, from becoming a value nothing can use. The values themselves
// are named in StoredValues.h.
struct StoredValue
{
    enum class Rule {
        // Any text, as stored.
        Text,
        // A numeric text as a whole (IsNumeric), read by Val: " 102 ", "115.0".
        Number,
        // A number that CInt takes: numeric as a whole, halves to even, within 16 bits.
        Integer16,
        // A whole number within min..max, numeric as a whole.
        WholeNumber,
        // A text whose leading number (Val) lies within min..max, kept as the text it is.
        LeadingNumber,
    };

    // The application key every value is stored under.
    static constexpr QStringView kAppKey = u"Taktovia";

    QStringView section;
    QStringView name;
    Rule rule = Rule::Text;
    // What a missing value reads as; a value with a default only known at run time has none.
    QStringView defaultText;
    double min = 0;
    double max = 0;

    // True when `text` reads as a value by the rule.
    bool accepts(const QString& text) const;
    // The number `text` holds by the rule; nullopt when the rule refuses it, and for a Text.
    std::optional<double> numberIn(const QString& text) const;
    // The default's number, 0 for a value with no number as its default.
    double defaultNumber() const;
};
