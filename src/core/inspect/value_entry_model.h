#pragma once
// The rules of a values panel row's editor, dialog 930 with Ok and Cancel: the line starts with
// the row's value, its keypad fits the kind (digits and "-", ".", "e" for numbers, 0 and 1 for
// the bits, date keys for the times, the system keyboard for characters), and Ok writes the
// typed value's bytes over the document at the panel's offset, each logged in the change log
// like the bytes of an entry. A value that does not fit the kind (or the bytes left in the
// file) keeps the dialog open without a message, as an empty entry does.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/inspect/value_decoder.h"
#include "core/view/command_bar.h"

namespace nibblet {

class MessageBox;
class ValuesPanelModel;

class ValueEntryModel : public BarDialogModel {
 public:
  // Edits row `kind` of `panel` at its offset; the panel must outlive the model.
  ValueEntryModel(ValuesPanelModel& panel, ValueKind kind, MessageBox& messages);

  // The row's name and the offset: "int32 at 001A".
  std::u16string caption() const override;
  std::size_t buttonCount() const override { return 6; }
  bool isShown(int command) const override;
  bool isChecked(int) const override { return false; }
  const std::u16string& text() const override { return m_text; }
  void setText(std::u16string_view text) override;
  std::size_t maxChars() const override { return kMaxChars; }
  const KeypadLayout* keypad() const override { return ValueDecoder::keypad(m_kind); }

  // Ok writes and ends the dialog, or refuses and keeps it open; Cancel ends it.
  bool command(int id) override;
  // Bytes written by Ok.
  std::uint32_t bytesWritten() const { return m_written; }

  static constexpr std::size_t kMaxChars = 64;

 private:
  bool ok();

  ValuesPanelModel& m_panel;
  ValueKind m_kind;
  MessageBox& m_messages;
  std::uint32_t m_offset;
  std::u16string m_text;
  std::uint32_t m_written = 0;
};

}  // namespace nibblet
