#pragma once
// The system's multi-byte code page, used for text typed in the entry, search and converter
// dialogs. The program uses the system's converter; tests use Utf8CodePage.

#include <string>
#include <string_view>

namespace nibblet {

class CodePage {
 public:
  virtual ~CodePage() = default;
  // Converts to the code page; false when the text cannot be represented.
  virtual bool toMultiByte(std::u16string_view text, std::string& out) const = 0;
  virtual bool toWide(std::string_view bytes, std::u16string& out) const = 0;
};

class Utf8CodePage : public CodePage {
 public:
  bool toMultiByte(std::u16string_view text, std::string& out) const override;
  bool toWide(std::string_view bytes, std::u16string& out) const override;
};

}  // namespace nibblet
