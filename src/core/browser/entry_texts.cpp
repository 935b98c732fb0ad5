#include "core/browser/entry_texts.h"

#include <ctime>

namespace nibblet {
namespace {

// Digits written by hand: a folder of a hundred thousand files asks for two texts per entry.
void appendNumber(std::u16string& out, unsigned long long n) {
  char16_t digits[20];
  int count = 0;
  do {
    digits[count++] = static_cast<char16_t>(u'0' + n % 10);
    n /= 10;
  } while (n != 0);
  while (count > 0) out += digits[--count];
}

void appendPadded(std::u16string& out, unsigned long long n, int width) {
  char16_t digits[20];
  int count = 0;
  do {
    digits[count++] = static_cast<char16_t>(u'0' + n % 10);
    n /= 10;
  } while (n != 0 || count < width);
  while (count > 0) out += digits[--count];
}

}  // namespace

std::u16string sizeText(std::uint64_t size) {
  std::u16string text;
  unsigned long long n = size;
  if (n < 10000) {
    appendNumber(text, n);
  } else if (n < 1000000) {
    appendNumber(text, n / 1000);
    text += u"KB";
  } else if (n < 100000000) {
    appendNumber(text, n / 1000000);
    text += u',';
    appendPadded(text, (n / 1000) % 1000, 3);
    text += u"KB";
  } else {
    appendNumber(text, n / 1000000);
    text += u"MB";
  }
  return text;
}

std::u16string dateText(std::int64_t seconds) {
  std::time_t time = static_cast<std::time_t>(seconds);
  std::tm local{};
  if (::localtime_r(&time, &local) == nullptr) return {};
  std::u16string text;
  text.reserve(19);
  // As "%04d" writes it: a sign counts towards the four places.
  long long year = static_cast<long long>(local.tm_year) + 1900;
  if (year < 0) text += u'-';
  appendPadded(text, static_cast<unsigned long long>(year < 0 ? -year : year), year < 0 ? 3 : 4);
  const int parts[] = {local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
  const char16_t separators[] = {u'-', u'-', u' ', u':', u':'};
  for (int i = 0; i < 5; ++i) {
    text += separators[i];
    appendPadded(text, static_cast<unsigned long long>(parts[i] < 0 ? 0 : parts[i]), 2);
  }
  return text;
}

}  // namespace nibblet
