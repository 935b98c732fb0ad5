#include "core/inspect/date_text.h"

#include <cstdio>

#include "core/platform/unicode.h"

namespace nibblet {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar, and back: the
// calendar repeats every 400 years (146097 days), counted here from a year that starts in March
// so that the leap day ends the year.
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yearOfEra = y - era * 400;
  const std::int64_t dayOfYear = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void civilFromDays(std::int64_t days, CivilTime& out) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t mp = (5 * dayOfYear + 2) / 153;
  out.day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  out.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  out.year = yearOfEra + era * 400 + (out.month <= 2);
}

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Reads exactly `count` digits at `at`, moving past them.
bool digits(std::u16string_view s, std::size_t& at, std::size_t count, std::int64_t& value) {
  if (s.size() - at < count) return false;
  value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (!isDigit(s[at + i])) return false;
    value = value * 10 + (s[at + i] - u'0');
  }
  at += count;
  return true;
}

bool expect(std::u16string_view s, std::size_t& at, char16_t c) {
  if (at >= s.size() || s[at] != c) return false;
  ++at;
  return true;
}

}  // namespace

int daysInMonth(std::int64_t year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
  return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

CivilTime civilFromSeconds(std::int64_t seconds) {
  std::int64_t days = seconds / kSecondsPerDay;
  std::int64_t rest = seconds % kSecondsPerDay;
  if (rest < 0) {
    rest += kSecondsPerDay;
    --days;
  }
  CivilTime out;
  civilFromDays(days, out);
  out.hour = static_cast<int>(rest / 3600);
  out.minute = static_cast<int>(rest / 60 % 60);
  out.second = static_cast<int>(rest % 60);
  return out;
}

std::int64_t secondsFromCivil(const CivilTime& t) {
  return daysFromCivil(t.year, t.month, t.day) * kSecondsPerDay + t.hour * 3600 + t.minute * 60 + t.second;
}

std::u16string dateText(const CivilTime& t) {
  char buffer[48];
  int n = std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", static_cast<int>(t.year), t.month,
                        t.day, t.hour, t.minute, t.second);
  std::string out(buffer, static_cast<std::size_t>(n));
  if (t.ticks != 0) {
    std::snprintf(buffer, sizeof buffer, ".%07u", static_cast<unsigned>(t.ticks));
    std::string fraction(buffer);
    while (fraction.back() == '0') fraction.pop_back();
    out += fraction;
  }
  return fromAscii(out);
}

bool parseDateText(std::u16string_view text, int maxFractionDigits, CivilTime& out) {
  std::size_t first = text.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) return false;
  std::u16string_view s = text.substr(first, text.find_last_not_of(u' ') - first + 1);
  CivilTime t;
  std::int64_t v[6] = {0, 1, 1, 0, 0, 0};
  std::size_t at = 0;
  if (!digits(s, at, 4, v[0]) || !expect(s, at, u'-') || !digits(s, at, 2, v[1]) || !expect(s, at, u'-') ||
      !digits(s, at, 2, v[2]))
    return false;
  if (at < s.size()) {
    if (s[at] != u' ' && s[at] != u'T' && s[at] != u't') return false;
    ++at;
    if (!digits(s, at, 2, v[3]) || !expect(s, at, u':') || !digits(s, at, 2, v[4]) || !expect(s, at, u':') ||
        !digits(s, at, 2, v[5]))
      return false;
    if (at < s.size()) {
      if (!expect(s, at, u'.')) return false;
      const std::size_t count = s.size() - at;
      std::int64_t fraction = 0;
      if (count == 0 || count > static_cast<std::size_t>(maxFractionDigits) || !digits(s, at, count, fraction))
        return false;
      for (std::size_t i = count; i < 7; ++i) fraction *= 10;
      t.ticks = static_cast<std::uint32_t>(fraction);
    }
  }
  t.year = v[0];
  t.month = static_cast<int>(v[1]);
  t.day = static_cast<int>(v[2]);
  t.hour = static_cast<int>(v[3]);
  t.minute = static_cast<int>(v[4]);
  t.second = static_cast<int>(v[5]);
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > daysInMonth(t.year, t.month) || t.hour > 23 ||
      t.minute > 59 || t.second > 59)
    return false;
  out = t;
  return true;
}

}  // namespace nibblet
