#pragma once
// The rules of the Goto dialog (dialog 930 with only Ok and Cancel): its caption with the range
// of offsets, the reading of the typed offset, and the jump that makes its row the top row.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/view/command_bar.h"

namespace nibblet {

class HexView;
class Texts;

// The goto line's buffer: 254 characters and a terminator.
constexpr std::size_t kGotoMaxChars = 254;

class GotoDialogModel : public BarDialogModel {
 public:
  GotoDialogModel(HexView& view, const Texts& texts);

  // "Goto (0x0-0x...)" up to size - bytesPerRow; 0 for a file shorter than one row.
  std::u16string caption() const override;
  // The bar holds the first six buttons; only Ok and Cancel are shown.
  std::size_t buttonCount() const override { return 6; }
  bool isShown(int command) const override;
  bool isChecked(int) const override { return false; }
  // The offset is typed on a keypad of 0-F, without the blanks of pairs.
  const KeypadLayout* keypad() const override { return &kHexNumberKeypad; }
  const std::u16string& text() const override { return m_text; }
  void setText(std::u16string_view text) override;
  std::size_t maxChars() const override { return kGotoMaxChars; }
  // Ok goes to the typed offset and ends the dialog; a line without a number, or a value past
  // the end of the file, keeps it open without a message.
  bool command(int id) override;

  // Reads a hexadecimal number as a "%x" scan does: leading white space, an optional sign, an
  // optional 0x or 0X, the digits up to the first other character; the tail is ignored. False
  // when there are no digits, for a negative number and for one above 0xFFFFFFFF.
  static bool parseOffset(std::u16string_view text, std::uint32_t& out);

 private:
  HexView& m_view;
  const Texts& m_texts;
  std::u16string m_text;
};

}  // namespace nibblet
