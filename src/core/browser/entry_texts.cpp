#include "core/browser/entry_texts.h"

#include <cstdio>
#include <ctime>

#include "core/platform/unicode.h"

namespace nibblet {

std::u16string sizeText(std::uint64_t size) {
  char text[48];
  unsigned long long n = size;
  if (n < 10000) {
    std::snprintf(text, sizeof text, "%llu", n);
  } else if (n < 1000000) {
    std::snprintf(text, sizeof text, "%lluKB", n / 1000);
  } else if (n < 100000000) {
    std::snprintf(text, sizeof text, "%llu,%03lluKB", n / 1000000, (n / 1000) % 1000);
  } else {
    std::snprintf(text, sizeof text, "%lluMB", n / 1000000);
  }
  return fromAscii(text);
}

std::u16string dateText(std::int64_t seconds) {
  std::time_t time = static_cast<std::time_t>(seconds);
  std::tm local{};
  if (::localtime_r(&time, &local) == nullptr) return {};
  char text[80];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return fromAscii(text);
}

}  // namespace nibblet
