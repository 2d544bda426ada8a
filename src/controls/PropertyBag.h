#pragma once

#include "controls/OleColor.h"

#include <cstdint>
#include <optional>
#include <vector>

#include <QFont>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QVariant>

// A control's stored design-time properties: named values that the host keeps for each control
// instance and hands back when the window loads. Names match regardless of case and keep the case
// of their first write. The host fills a bag in code with set() (the values a window was designed
// with); the control reads each of its keys with a default and writes them back with the same
// default, and a value equal to its default is not stored at all, so reading it back gives the
// default.
//
// Reading never fails: a key that is missing, or whose value cannot be read as the asked type (a
// text where a number belongs, a number beyond the type's range, a font that does not parse or has
// an absurd size), gives the default. Numbers may be given as numbers or as numeric text
// ("&H8000000F", " 23"); fractions round halves to even, as every conversion to a whole number
// does. Pictures are stored as QImage or QPixmap values; a null picture stands for none.
class PropertyBag
{
public:
    void set(const QString& name, const QVariant& value);
    void remove(const QString& name);
    bool contains(const QString& name) const;
    // The raw stored value; invalid when missing.
    QVariant value(const QString& name) const;
    // Stored names in the order of their first write.
    QStringList names() const;

    bool readBool(const QString& name, bool defaultValue) const;
    std::int16_t readInt16(const QString& name, std::int16_t defaultValue) const;
    std::int32_t readInt32(const QString& name, std::int32_t defaultValue) const;
    OleColor readColor(const QString& name, OleColor defaultValue) const;
    QString readString(const QString& name, const QString& defaultValue) const;
    QFont readFont(const QString& name, const QFont& defaultValue) const;
    QImage readPicture(const QString& name, const QImage& defaultValue) const;

    // Stores `value` under `name`, or removes the name when the value equals the default.
    void writeBool(const QString& name, bool value, bool defaultValue);
    void writeInt16(const QString& name, std::int16_t value, std::int16_t defaultValue);
    void writeInt32(const QString& name, std::int32_t value, std::int32_t defaultValue);
    void writeColor(const QString& name, OleColor value, OleColor defaultValue);
    void writeString(const QString& name, const QString& value, const QString& defaultValue);
    void writeFont(const QString& name, const QFont& value, const QFont& defaultValue);
    void writePicture(const QString& name, const QImage& value, const QImage& defaultValue);

private:
    struct Entry
    {
        QString name;
        QVariant value;
    };

    const Entry* find(const QString& name) const;
    void store(const QString& name, const QVariant& value, bool isDefault);
    // The stored number when the value is one (or numeric text) and is finite; nullopt otherwise.
    std::optional<double> number(const QString& name) const;

    std::vector<Entry> m_entries;
};

// A control lists its stored keys once, as calls io(key, field, default) in reading and writing
// order, and runs that list with a PropertyReader to load and a PropertyWriter to save, so the
// keys, their order and their defaults cannot drift apart between the two.
struct PropertyReader
{
    const PropertyBag& bag;
    void operator()(const char* key, bool& field, bool def) const;
    void operator()(const char* key, std::int16_t& field, std::int16_t def) const;
    void operator()(const char* key, std::int32_t& field, std::int32_t def) const;
    void operator()(const char* key, OleColor& field, OleColor def) const;
    void operator()(const char* key, QString& field, const QString& def) const;
    void operator()(const char* key, QFont& field, const QFont& def) const;
    void operator()(const char* key, QImage& field, const QImage& def) const;
};

struct PropertyWriter
{
    PropertyBag& bag;
    void operator()(const char* key, bool field, bool def) const;
    void operator()(const char* key, std::int16_t field, std::int16_t def) const;
    void operator()(const char* key, std::int32_t field, std::int32_t def) const;
    void operator()(const char* key, OleColor field, OleColor def) const;
    void operator()(const char* key, const QString& field, const QString& def) const;
    void operator()(const char* key, const QFont& field, const QFont& def) const;
    void operator()(const char* key, const QImage& field, const QImage& def) const;
};
