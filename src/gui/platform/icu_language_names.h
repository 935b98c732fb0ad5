#pragma once
// The system's names of language ids, from ICU's locale data, written in one chosen language:
// the language the program shows its texts in.

#include <string>

#include "core/i18n/language_list.h"

namespace nibblet {

class IcuLanguageNames : public LanguageNames {
 public:
  // Names written in the language of id `shownIn`; 0 (or an id ICU does not know) stands for
  // English, the language of the program's own texts.
  explicit IcuLanguageNames(std::uint16_t shownIn = 0);

  // The display name of the locale ICU maps the language id to ("German (Germany)" for 0x0407
  // in English, "Deutsch (Deutschland)" in German), at most 259 characters; false when ICU
  // knows no locale for it.
  bool name(std::uint16_t id, std::u16string& out) const override;

 private:
  std::string m_shownIn;  // ICU's locale name of the language the names are written in
};

}  // namespace nibblet
