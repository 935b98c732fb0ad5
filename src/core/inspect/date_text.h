#pragma once
// Dates of the proleptic Gregorian calendar in UTC as the values panel shows them,
// "YYYY-MM-DD hh:mm:ss" with an optional fraction of a second, and back; and the count of
// seconds from 1970-01-01 00:00:00 that a date stands for.

#include <cstdint>
#include <string>
#include <string_view>

namespace nibblet {

struct CivilTime {
  std::int64_t year = 1970;
  int month = 1;   // 1..12
  int day = 1;     // 1..days in the month
  int hour = 0;    // 0..23
  int minute = 0;  // 0..59
  int second = 0;  // 0..59
  std::uint32_t ticks = 0;  // fraction of the second in units of 100 ns, 0..9999999
};

int daysInMonth(std::int64_t year, int month);

// The date and time `seconds` after 1970-01-01 00:00:00 (negative: before it); ticks 0.
CivilTime civilFromSeconds(std::int64_t seconds);
// The seconds from 1970-01-01 00:00:00 to `time`, without its ticks. The fields must be valid.
std::int64_t secondsFromCivil(const CivilTime& time);

// "YYYY-MM-DD hh:mm:ss", then "." and up to seven digits of the ticks when they are not 0
// (trailing zeros left out). The year has four digits; `time.year` must lie in 0..9999.
std::u16string dateText(const CivilTime& time);

// Reads "YYYY-MM-DD hh:mm:ss" with an optional fraction of one to `maxFractionDigits` (0 to 7)
// digits, blanks around it allowed, a "T" in place of the blank between date and time, and
// "YYYY-MM-DD" alone for midnight. The year has four digits. False for anything else and for a
// field out of its range (a 30th of February, a 24th hour, a 60th second).
bool parseDateText(std::u16string_view text, int maxFractionDigits, CivilTime& out);

}  // namespace nibblet
