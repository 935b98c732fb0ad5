#pragma once
// The rules of Search: the search dialog (dialog 930 with the Search at first button), the
// pattern its line gives in each mode, the forward scan from the top row or the start of the
// file, and Search next from the byte after the last hit.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/view/command_bar.h"
#include "core/view/search_state.h"

namespace nibblet {

class CodePage;
class HexView;
class MessageBox;
class Texts;
class WaitCursor;

// The search line: 513 characters and a terminator.
constexpr std::size_t kSearchMaxChars = 513;

// Longest patterns: Hex pairs and Unicode text (two bytes for each of 513 characters).
constexpr std::size_t kMaxHexPattern = 255;
constexpr std::size_t kMaxUnicodePattern = 1026;

class SearchDialogModel : public BarDialogModel {
 public:
  // Opens with the view's last mode and text and "Search at first" off. `messages` shows
  // "Not found" over the dialog.
  SearchDialogModel(HexView& view, const Texts& texts, const CodePage& codePage, MessageBox& messages,
                    WaitCursor& waitCursor);

  std::u16string caption() const override;
  bool isShown(int command) const override;
  bool isChecked(int command) const override;
  bool showsHexKeypad() const override { return m_mode == SearchMode::Hex; }
  const std::u16string& text() const override { return m_text; }
  void setText(std::u16string_view text) override;
  std::size_t maxChars() const override { return kSearchMaxChars; }
  bool command(int id) override;

  SearchMode mode() const { return m_mode; }
  bool searchFromStart() const { return m_fromStart; }

  // The bytes searched for `text` in `mode`; false when the code page cannot represent the text.
  static bool formPattern(SearchMode mode, std::u16string_view text, const CodePage& codePage,
                          std::vector<std::uint8_t>& out);

  // Search next: from the byte after the last hit to the end, with the last pattern. Nothing
  // (and no message) without a hit to go on from, or when the hit is the last byte. When nothing
  // is found, `messages` says so and the hit is cleared; a search the user stopped changes
  // nothing. Returns true on a new hit.
  static bool searchNext(HexView& view, const Texts& texts, MessageBox& messages, WaitCursor& waitCursor);

 private:
  bool ok();

  HexView& m_view;
  const Texts& m_texts;
  const CodePage& m_codePage;
  MessageBox& m_messages;
  WaitCursor& m_waitCursor;
  SearchMode m_mode;
  bool m_fromStart = false;
  std::u16string m_text;
};

}  // namespace nibblet
