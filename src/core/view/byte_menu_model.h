#pragma once
// The rules of the byte menu that a tap-and-hold on a byte opens: its items (texts, greyed
// states, which are present) and its commands: copy into the view's clipboard, paste over the
// document, undo, and a selection of at most 256 bytes. The menu widget shows the items and
// hands back the chosen id.

#include <cstdint>
#include <string>
#include <vector>

namespace nibblet {

class HexView;
class MessageBox;
class Texts;

// Command ids of the byte menu; 0 is a dismissed menu.
constexpr int kByteMenuCopy = 1;
constexpr int kByteMenuPaste = 2;
constexpr int kByteMenuUndo = 3;
constexpr int kByteMenuDiffValue = 5;
constexpr int kByteMenuSelection = 8;  // Start selection, or End selection once a start is set
constexpr int kByteMenuClearSelection = 9;
constexpr int kByteMenuByteInfo = 100;
constexpr int kByteMenuSeparator = -1;

// The largest selection, in bytes.
constexpr std::uint32_t kMaxSelection = 256;

struct ByteMenuItem {
  int id;               // kByteMenuSeparator for a separator
  std::u16string text;
  bool enabled;
};

class ByteMenuModel {
 public:
  // `view` must hold a tapped byte (tapOffset below size).
  ByteMenuModel(HexView& view, const Texts& texts, MessageBox& messages);
  ByteMenuModel(const ByteMenuModel&) = delete;
  ByteMenuModel& operator=(const ByteMenuModel&) = delete;

  // The items in menu order.
  std::vector<ByteMenuItem> items() const;

  // Runs the chosen item; 0 and the greyed items do nothing. Returns true when document bytes
  // were written or restored (Paste, Undo).
  bool command(int id);

  // "Paste", or "Paste" with the clipboard bytes (1, 2 or 4 of them) or its size in bytes.
  static std::u16string pasteLabel(const Texts& texts, const std::uint8_t* clipboard, int count);
  // The tapped offset with offsetDigits digits and its byte: "001A: 3F".
  std::u16string byteInformation() const;

 private:
  void copy();
  void extendSelection();

  HexView& m_view;
  const Texts& m_texts;
  MessageBox& m_messages;
  std::uint32_t m_offset;
};

}  // namespace nibblet
