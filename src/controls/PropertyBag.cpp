#include "controls/PropertyBag.h"

#include "platform/basic/Conversions.h"

#include <cmath>

#include <QPixmap>

namespace {

// Fonts outside this range are garbage, not a design: they would make every text unusable.
constexpr double kLargestFontPoints = 1000;

bool isTextValue(const QVariant& value)
{
    return value.typeId() == QMetaType::QString;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool usableFont(const QFont& font)
{
    const double points = font.pointSizeF();
    return points > 0 && points <= kLargestFontPoints && !font.family().isEmpty();
}

// A font written as text: at least the family and the point size ("Tahoma,8.25,...").
bool parseFont(const QString& text, QFont& font)
{
    return text.count(u',') >= 1 && font.fromString(text);
}

} // namespace

void PropertyBag::set(const QString& name, const QVariant& value)
{
    for (Entry& entry : m_entries) {
        if (sameName(entry.name, name)) {
            entry.value = value;
            return;
        }
    }
    m_entries.push_back({ name, value });
}

void PropertyBag::remove(const QString& name)
{
    std::erase_if(m_entries, [&](const Entry& entry) {
        return sameName(entry.name, name);
    });
}

bool PropertyBag::contains(const QString& name) const
{
    return find(name) != nullptr;
}

QVariant PropertyBag::value(const QString& name) const
{
    const Entry* entry = find(name);
    return entry ? entry->value : QVariant();
}

QStringList PropertyBag::names() const
{
    QStringList list;
    for (const Entry& entry : m_entries)
        list << entry.name;
    return list;
}

const PropertyBag::Entry* PropertyBag::find(const QString& name) const
{
    for (const Entry& entry : m_entries) {
        if (sameName(entry.name, name))
            return &entry;
    }
    return nullptr;
}

std::optional<double> PropertyBag::number(const QString& name) const
{
    const Entry* entry = find(name);
    if (!entry || !entry->value.isValid())
        return std::nullopt;
    const QVariant& v = entry->value;
    if (isTextValue(v)) {
        const QString text = v.toString();
        if (!IsNumeric(text))
            return std::nullopt;
        return Val(text);
    }
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? -1.0 : 0.0;
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

bool PropertyBag::readBool(const QString& name, bool defaultValue) const
{
    const Entry* entry = find(name);
    if (entry && isTextValue(entry->value)) {
        const QString text = entry->value.toString().trimmed();
        if (sameName(text, QStringLiteral("True")))
            return true;
        if (sameName(text, QStringLiteral("False")))
            return false;
    }
    const auto n = number(name);
    return n ? *n != 0 : defaultValue;
}

std::int16_t PropertyBag::readInt16(const QString& name, std::int16_t defaultValue) const
{
    const auto n = number(name);
    const auto v = n ? CInt(*n) : std::nullopt;
    return v.value_or(defaultValue);
}

std::int32_t PropertyBag::readInt32(const QString& name, std::int32_t defaultValue) const
{
    const auto n = number(name);
    const auto v = n ? CLng(*n) : std::nullopt;
    return v.value_or(defaultValue);
}

OleColor PropertyBag::readColor(const QString& name, OleColor defaultValue) const
{
    // A colour is a 32-bit number: a form that wrote it signed (-2147483633 for &H8000000F)
    // and one that wrote it unsigned must both read back as the same colour.
    const auto n = number(name);
    if (!n)
        return defaultValue;
    const double r = roundHalfEven(*n);
    if (r < -2147483648.0 || r > 4294967295.0)
        return defaultValue;
    return static_cast<OleColor>(static_cast<std::int64_t>(r));
}

QString PropertyBag::readString(const QString& name, const QString& defaultValue) const
{
    const Entry* entry = find(name);
    if (!entry)
        return defaultValue;
    const QVariant& v = entry->value;
    if (isTextValue(v))
        return v.toString();
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (const auto n = number(name))
        return NumText(*n);
    return defaultValue;
}

QFont PropertyBag::readFont(const QString& name, const QFont& defaultValue) const
{
    const Entry* entry = find(name);
    if (!entry)
        return defaultValue;
    QFont font;
    if (entry->value.typeId() == QMetaType::QFont)
        font = entry->value.value<QFont>();
    else if (!isTextValue(entry->value) || !parseFont(entry->value.toString(), font))
        return defaultValue;
    return usableFont(font) ? font : defaultValue;
}

QImage PropertyBag::readPicture(const QString& name, const QImage& defaultValue) const
{
    const Entry* entry = find(name);
    if (!entry)
        return defaultValue;
    const QVariant& v = entry->value;
    if (v.typeId() == QMetaType::QImage)
        return v.value<QImage>();
    if (v.typeId() == QMetaType::QPixmap)
        return v.value<QPixmap>().toImage();
    return defaultValue;
}

void PropertyBag::store(const QString& name, const QVariant& value, bool isDefault)
{
    if (isDefault)
        remove(name);
    else
        set(name, value);
}

void PropertyBag::writeBool(const QString& name, bool value, bool defaultValue)
{
    store(name, value, value == defaultValue);
}

void PropertyBag::writeInt16(const QString& name, std::int16_t value, std::int16_t defaultValue)
{
    store(name, static_cast<int>(value), value == defaultValue);
}

void PropertyBag::writeInt32(const QString& name, std::int32_t value, std::int32_t defaultValue)
{
    store(name, static_cast<int>(value), value == defaultValue);
}

void PropertyBag::writeColor(const QString& name, OleColor value, OleColor defaultValue)
{
    store(name, static_cast<uint>(value), value == defaultValue);
}

void PropertyBag::writeString(
    const QString& name, const QString& value, const QString& defaultValue)
{
    store(name, value, value == defaultValue);
}

void PropertyBag::writeFont(const QString& name, const QFont& value, const QFont& defaultValue)
{
    store(name, value, value == defaultValue);
}

void PropertyBag::writePicture(const QString& name, const QImage& value, const QImage& defaultValue)
{
    store(name, value, value == defaultValue);
}

void PropertyReader::operator()(const char* key, bool& field, bool def) const
{
    field = bag.readBool(QString::fromLatin1(key), def);
}

void PropertyReader::operator()(const char* key, std::int16_t& field, std::int16_t def) const
{
    field = bag.readInt16(QString::fromLatin1(key), def);
}

void PropertyReader::operator()(const char* key, std::int32_t& field, std::int32_t def) const
{
    field = bag.readInt32(QString::fromLatin1(key), def);
}

void PropertyReader::operator()(const char* key, OleColor& field, OleColor def) const
{
    field = bag.readColor(QString::fromLatin1(key), def);
}

void PropertyReader::operator()(const char* key, QString& field, const QString& def) const
{
    field = bag.readString(QString::fromLatin1(key), def);
}

void PropertyReader::operator()(const char* key, QFont& field, const QFont& def) const
{
    field = bag.readFont(QString::fromLatin1(key), def);
}

void PropertyWriter::operator()(const char* key, bool field, bool def) const
{
    bag.writeBool(QString::fromLatin1(key), field, def);
}

void PropertyWriter::operator()(const char* key, std::int16_t field, std::int16_t def) const
{
    bag.writeInt16(QString::fromLatin1(key), field, def);
}

void PropertyWriter::operator()(const char* key, std::int32_t field, std::int32_t def) const
{
    bag.writeInt32(QString::fromLatin1(key), field, def);
}

void PropertyWriter::operator()(const char* key, OleColor field, OleColor def) const
{
    bag.writeColor(QString::fromLatin1(key), field, def);
}

void PropertyWriter::operator()(const char* key, const QString& field, const QString& def) const
{
    bag.writeString(QString::fromLatin1(key), field, def);
}

void PropertyWriter::operator()(const char* key, const QFont& field, const QFont& def) const
{
    bag.writeFont(QString::fromLatin1(key), field, def);
}

void PropertyReader::operator()(const char* key, QImage& field, const QImage& def) const
{
    field = bag.readPicture(QString::fromLatin1(key), def);
}

void PropertyWriter::operator()(const char* key, const QImage& field, const QImage& def) const
{
    bag.writePicture(QString::fromLatin1(key), field, def);
}
