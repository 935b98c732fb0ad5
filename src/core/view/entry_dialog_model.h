#pragma once
// The rules of the byte entry dialog: its caption, which bar buttons it shows and
// checks, the Hex / Text / Unicode text switches, Paste, and Ok, which overwrites the document
// from the tapped byte on. The dialog widget shows this state and forwards its commands.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/i18n/command_ids.h"
#include "core/view/command_bar.h"

namespace nibblet {

class CodePage;
class HexView;
class MessageBox;
class Texts;

// The input kind the edit line holds; the values are the commands of its buttons.
enum class EntryMode { Hex = kCmdEntryHex, Text = kCmdEntryText, Unicode = kCmdEntryUnicode };

// The edit line's buffer: 513 characters and a terminator.
constexpr std::size_t kEntryTextChars = 514;
constexpr std::size_t kEntryMaxChars = kEntryTextChars - 1;

class EntryDialogModel : public BarDialogModel {
 public:
  // `view` must hold a tapped byte (tapOffset set). Opening marks the entry as begun, so the
  // view paints its marker, and sets the starting mode and text from the tap.
  EntryDialogModel(HexView& view, const Texts& texts, const CodePage& codePage, MessageBox& messages);
  EntryDialogModel(const EntryDialogModel&) = delete;
  EntryDialogModel& operator=(const EntryDialogModel&) = delete;

  std::u16string caption() const override;

  EntryMode entryMode() const { return m_mode; }
  // The edit line.
  const std::u16string& text() const override { return m_text; }
  // What the user typed; cut to 513 characters.
  void setText(std::u16string_view text) override;
  std::size_t maxChars() const override { return kEntryMaxChars; }

  bool isShown(int command) const override;
  bool isChecked(int command) const override;
  bool showsHexKeypad() const override { return m_mode == EntryMode::Hex; }

  // Runs a bar command (or Ok 1 / Cancel 2 from the keyboard). Returns true when the dialog ends.
  bool command(int id) override;
  // Bytes written by the last Ok.
  std::uint32_t bytesWritten() const { return m_written; }

  // The bytes Ok writes for `text` in `mode`; false when the code page cannot represent it.
  static bool formBytes(EntryMode mode, std::u16string_view text, const CodePage& codePage,
                        std::vector<std::uint8_t>& out);

 private:
  void switchToHex();
  bool ok();

  HexView& m_view;
  const Texts& m_texts;
  const CodePage& m_codePage;
  MessageBox& m_messages;
  EntryMode m_mode = EntryMode::Hex;
  std::u16string m_text;
  std::uint32_t m_written = 0;
};

}  // namespace nibblet
