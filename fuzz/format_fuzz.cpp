// Runs arbitrary formats (UTF-16, two bytes a unit) against every pattern of arguments the
// program passes to formatted texts; the first byte picks the length limit.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/i18n/text_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t limits[] = {1023, 0, 1, 16, 4096};
  const std::size_t limit = limits[data[0] % 5];
  std::u16string format;
  for (std::size_t i = 1; i + 1 < size; i += 2)
    format += static_cast<char16_t>(data[i] | (data[i + 1] << 8));

  const std::u16string path = u"/home/user/" + std::u16string(300, u'f') + u".bin";
  auto check = [&](const std::u16string& text) {
    if (text.size() > limit) std::abort();
  };
  check(nibblet::formatText(format, {path, 2}, limit));                       // 40010
  check(nibblet::formatText(format, {-1, path}, limit));                      // 40064, 40082
  check(nibblet::formatText(format, {INT32_MIN}, limit));                     // 40029, 40069, 40085
  check(nibblet::formatText(format, {path}, limit));                          // 40092, 40093
  check(nibblet::formatText(format, {path, 100, path, 4294967295u}, limit));  // 40068
  check(nibblet::formatText(format, {0u, 0xFFFFFFF0u}, limit));               // 40020
  check(nibblet::formatText(format, {1, 12}, limit));                         // 40019
  check(nibblet::formatText(format, {0xAB}, limit));                          // 40075
  check(nibblet::formatText(format, {1, 0, 50}, limit));                      // 40033
  check(nibblet::formatText(format, {}, limit));
  return 0;
}
