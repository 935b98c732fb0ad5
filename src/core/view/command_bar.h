#pragma once
// The row of buttons at the top of dialog 930 (entry, search and goto): the command of each
// button and the text id of its tooltip, and the rules each of the three dialogs gives the
// widget. The image index equals the position.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "core/i18n/command_ids.h"
#include "core/i18n/string_ids.h"
#include "core/view/hex_keypad.h"

namespace nibblet {

struct BarButton {
  int command;
  int tooltipId;
};

constexpr std::array<BarButton, 8> kCommandBar{{
    {kCmdEntryHex, kIdsHex},
    {kCmdEntryText, kIdsText},
    {kCmdEntryUnicode, kIdsUnicodeText},
    {kCmdSearchAtFirst, kIdsSearchAtFirst},
    {kCmdOk, kIdsOk},
    {kCmdCancel, kIdsCancel},
    {kCmdBarCopy, kIdsCopy},
    {kCmdBarPaste, kIdsPaste},
}};

// The rules of one use of dialog 930: the widget shows this state and forwards its commands.
class BarDialogModel {
 public:
  virtual ~BarDialogModel() = default;
  virtual std::u16string caption() const = 0;
  // How many buttons of kCommandBar the bar holds, from the first.
  virtual std::size_t buttonCount() const { return kCommandBar.size(); }
  virtual bool isShown(int command) const = 0;
  virtual bool isChecked(int command) const = 0;
  // The edit line.
  virtual const std::u16string& text() const = 0;
  // What the user typed; cut to maxChars().
  virtual void setText(std::u16string_view text) = 0;
  // The longest line the dialog reads.
  virtual std::size_t maxChars() const = 0;
  // Runs a bar command (or Ok 1 / Cancel 2 from the keyboard). Returns true when the dialog ends.
  virtual bool command(int id) = 0;
  // True while the line takes hexadecimal pairs: the dialog then shows its hex keypad in place
  // of the system keyboard.
  virtual bool showsHexKeypad() const { return false; }
  // The keypad the dialog shows in place of the system keyboard, or null for none: the hex pad
  // while showsHexKeypad(). The layout must not change while the dialog is open.
  virtual const KeypadLayout* keypad() const { return showsHexKeypad() ? &kHexKeypad : nullptr; }
};

}  // namespace nibblet
