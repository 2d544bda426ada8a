#pragma once

#include <cstdint>
#include <optional>

#include <QString>

// Times of day as the controls keep them: a date-time is a day count (a double; day 0, the
// fraction is the time), and a time of day is its time part in whole seconds, 0 to 86399.

inline constexpr std::int32_t kSecondsPerDay = 86400;

// The time part of a date-time, in seconds rounded to the nearest second (23:59:59.6 is
// 00:00:00); a negative day count keeps its time part as a positive fraction. nullopt for a
// value that is not a date at all (not finite, or beyond the years 100 to 9999).
std::optional<std::int32_t> timeOfDaySeconds(double dateTime);

// The date-time of day 0 at that time.
double dayFraction(std::int32_t seconds);

// hh:nn:ss with two-digit hours, whatever the desktop's locale ("09:05:00"): the characters at
// positions 4 and 5 are always the minutes.
QString timeText(std::int32_t seconds);

// A time formatted by a picture: h hh (hours), n nn (minutes; m and mm also mean minutes right
// after an hour or right before seconds), s ss (seconds), AM/PM am/pm A/P a/p AMPM (a 12-hour
// clock with the marker in the case written), "quoted text" and \c as literal text. Every
// other character stands for itself. "h:nn am/pm" gives "3:05 pm" for 15:05.
QString formatTime(std::int32_t seconds, const QString& picture);
