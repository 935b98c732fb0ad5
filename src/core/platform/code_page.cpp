#include "core/platform/code_page.h"

#include "core/platform/unicode.h"

namespace nibblet {

bool Utf8CodePage::toMultiByte(std::u16string_view text, std::string& out) const {
  out = toUtf8(text);
  return true;
}

bool Utf8CodePage::toWide(std::string_view bytes, std::u16string& out) const {
  out = fromUtf8(bytes);
  return true;
}

}  // namespace nibblet
