#pragma once
// The system's names of language ids, from ICU's locale data in the user's own language.

#include "core/i18n/language_list.h"

namespace nibblet {

class IcuLanguageNames : public LanguageNames {
 public:
  // The display name of the locale ICU maps the language id to ("German (Germany)" for 0x0407
  // under an English locale), at most 259 characters; false when ICU knows no locale for it.
  bool name(std::uint16_t id, std::u16string& out) const override;
};

}  // namespace nibblet
