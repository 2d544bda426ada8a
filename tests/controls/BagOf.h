#pragma once

#include "controls/PropertyBag.h"

#include <initializer_list>
#include <utility>

// A bag filled in code the way a host fills it with a window's stored values, in this order.
inline PropertyBag bagOf(std::initializer_list<std::pair<const char*, QVariant>> values)
{
    PropertyBag bag;
    for (const auto& [name, value] : values)
        bag.set(QString::fromLatin1(name), value);
    return bag;
}
