#pragma once
// The system's multi-byte code page through Qt's converter for the system encoding.

#include "core/platform/code_page.h"

namespace nibblet {

class QtCodePage : public CodePage {
 public:
  bool toMultiByte(std::u16string_view text, std::string& out) const override;
  bool toWide(std::string_view bytes, std::u16string& out) const override;
};

}  // namespace nibblet
