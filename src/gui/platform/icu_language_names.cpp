#include "gui/platform/icu_language_names.h"

#include <unicode/uloc.h>

#include <vector>

namespace nibblet {
namespace {

constexpr int kMaxName = 259;

// ICU's locale name for a Windows language id; false when it knows none.
bool localeOf(std::uint16_t id, char (&locale)[ULOC_FULLNAME_CAPACITY]) {
  if (id == 0) return false;
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = uloc_getLocaleForLCID(id, locale, ULOC_FULLNAME_CAPACITY, &status);
  return !U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING && length > 0;
}

}  // namespace

IcuLanguageNames::IcuLanguageNames(std::uint16_t shownIn) : m_shownIn("en") {
  char locale[ULOC_FULLNAME_CAPACITY] = {};
  if (localeOf(shownIn, locale)) m_shownIn = locale;
}

bool IcuLanguageNames::name(std::uint16_t id, std::u16string& out) const {
  char locale[ULOC_FULLNAME_CAPACITY] = {};
  if (!localeOf(id, locale)) return false;
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;

  // One unit more than kept shows whether the cut would fall inside a surrogate pair.
  std::vector<UChar> buffer(kMaxName + 2);
  status = U_ZERO_ERROR;
  length = uloc_getDisplayName(locale, m_shownIn.c_str(), buffer.data(), static_cast<int32_t>(buffer.size()),
                               &status);
  if (status == U_BUFFER_OVERFLOW_ERROR && length > 0) {
    buffer.assign(static_cast<std::size_t>(length) + 1, 0);
    status = U_ZERO_ERROR;
    length = uloc_getDisplayName(locale, m_shownIn.c_str(), buffer.data(),
                                 static_cast<int32_t>(buffer.size()), &status);
  }
  if (U_FAILURE(status) || length <= 0) return false;
  std::u16string name(buffer.begin(), buffer.begin() + length);
  if (name.size() > kMaxName) {
    bool splitsPair = name[kMaxName - 1] >= 0xD800 && name[kMaxName - 1] <= 0xDBFF;
    name.resize(splitsPair ? kMaxName - 1 : kMaxName);
  }
  out = std::move(name);
  return true;
}

}  // namespace nibblet
