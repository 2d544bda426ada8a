#pragma once

#include <cstdint>
#include <optional>

#include <QString>

// An error a control raises when a caller gives a property a value it refuses. The control keeps
// its old state (nothing stored, nothing drawn, nothing reported to the host) and hands the error
// back to the caller, who decides whether to stop or go on; nothing is thrown.
struct ControlError
{
    std::int32_t number = 0;
    QString source;
    QString description;
};

// The result of a property set that can refuse its value: empty when the value was taken.
//     if (const PropertyError error = slider.setMin(20)) { ... error->number ... }
using PropertyError = std::optional<ControlError>;

// The runtime's own error for a number that does not fit the property's type.
inline constexpr std::int32_t kOverflowError = 6;
