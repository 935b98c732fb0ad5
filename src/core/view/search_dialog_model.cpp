#include "core/view/search_dialog_model.h"

#include <algorithm>

#include "core/i18n/command_ids.h"
#include "core/i18n/show_message.h"
#include "core/i18n/string_ids.h"
#include "core/i18n/string_module.h"
#include "core/platform/wait_cursor.h"
#include "core/view/entry_dialog_model.h"
#include "core/view/find_in_pieces.h"
#include "core/view/hex_pairs.h"
#include "core/view/hex_view.h"

namespace nibblet {
namespace {

// The first hit of `pattern` in [from, size) behind the wait cursor, as a document offset in
// `offset` (kNoOffset when there is none). False when the user stopped the search.
bool scan(const HexView& view, std::uint32_t from, const std::vector<std::uint8_t>& pattern, WaitCursor& waitCursor,
          std::uint32_t& offset) {
  offset = kNoOffset;
  if (from > view.size()) return true;
  WaitCursorScope busy(waitCursor);
  const std::uint8_t* hit = nullptr;
  if (findBytesInPieces(view.bytes() + from, view.size() - from, pattern.data(), pattern.size(), busy.report(),
                        hit) != 0)
    return false;
  if (hit) offset = static_cast<std::uint32_t>(hit - view.bytes());
  return true;
}

void notFound(const Texts& texts, MessageBox& messages) {
  showMessage(messages, texts.loadText(kIdsSearch), kStyleInformation, texts.loadText(kIdsNotFound));
}

}  // namespace

SearchDialogModel::SearchDialogModel(HexView& view, const Texts& texts, const CodePage& codePage,
                                     MessageBox& messages, WaitCursor& waitCursor)
    : m_view(view),
      m_texts(texts),
      m_codePage(codePage),
      m_messages(messages),
      m_waitCursor(waitCursor),
      m_mode(view.searchState().mode),
      m_text(view.searchState().text) {}

std::u16string SearchDialogModel::caption() const { return m_texts.loadText(kIdsSearch); }

bool SearchDialogModel::isShown(int command) const {
  switch (command) {
    case kCmdEntryHex:
    case kCmdEntryText:
    case kCmdEntryUnicode:
    case kCmdSearchAtFirst:
    case kCmdOk:
    case kCmdCancel:
      return true;
    case kCmdBarPaste:
      return m_view.clipboardCount() >= 1;
    default:
      return false;
  }
}

bool SearchDialogModel::isChecked(int command) const {
  switch (command) {
    case kCmdEntryHex: return m_mode == SearchMode::Hex;
    case kCmdEntryText: return m_mode == SearchMode::Text;
    case kCmdEntryUnicode: return m_mode == SearchMode::Unicode;
    case kCmdSearchAtFirst: return m_fromStart;
    default: return false;
  }
}

void SearchDialogModel::setText(std::u16string_view text) { m_text.assign(text.substr(0, kSearchMaxChars)); }

bool SearchDialogModel::command(int id) {
  switch (id) {
    case kCmdEntryHex: m_mode = SearchMode::Hex; return false;
    case kCmdEntryText: m_mode = SearchMode::Text; return false;
    case kCmdEntryUnicode: m_mode = SearchMode::Unicode; return false;
    case kCmdSearchAtFirst: m_fromStart = !m_fromStart; return false;
    case kCmdBarPaste:
      if (m_view.clipboardCount() >= 1) {
        m_mode = SearchMode::Hex;
        m_text.clear();
        appendHexPairs(m_text, m_view.clipboard(), static_cast<std::size_t>(m_view.clipboardCount()), kSearchMaxChars);
      }
      return false;
    case kCmdOk: return ok();
    case kCmdCancel: return true;
    default: return false;
  }
}

bool SearchDialogModel::formPattern(SearchMode mode, std::u16string_view text, const CodePage& codePage,
                                    std::vector<std::uint8_t>& out) {
  switch (mode) {
    case SearchMode::Hex:
      out.resize(kMaxHexPattern);
      out.resize(parseHexPairs(text, out.data(), kMaxHexPattern));
      return true;
    case SearchMode::Text:
      return EntryDialogModel::formBytes(EntryMode::Text, text.substr(0, kSearchMaxChars), codePage, out);
    case SearchMode::Unicode:
      return EntryDialogModel::formBytes(EntryMode::Unicode, text.substr(0, kMaxUnicodePattern / 2), codePage, out);
  }
  return false;
}

bool SearchDialogModel::ok() {
  SearchState& state = m_view.searchState();
  std::vector<std::uint8_t> previous = std::move(state.pattern);
  state.pattern.clear();
  const std::uint32_t from = m_fromStart ? 0 : m_view.topOffset();
  if (m_text.empty()) {
    m_view.setSearchMatch(kNoOffset, 0);
    return false;
  }
  state.mode = m_mode;
  state.text = m_text;

  std::vector<std::uint8_t> pattern;
  bool formed = formPattern(m_mode, m_text, m_codePage, pattern);
  // A line that gives no byte (a lone hex digit, only blanks) is refused like an empty one:
  // finding "nothing" at the top row would close the dialog with nothing to show.
  if (formed && pattern.empty()) {
    m_view.setSearchMatch(kNoOffset, 0);
    return false;
  }
  std::uint32_t hit = kNoOffset;
  if (formed && !scan(m_view, from, pattern, m_waitCursor, hit)) {
    // A search the user stopped changes nothing: the last hit stays marked, and Search next
    // still goes on from it with its pattern. The dialog stays open.
    state.pattern = std::move(previous);
    return false;
  }
  if (hit == kNoOffset) {
    notFound(m_texts, m_messages);
    m_view.setSearchMatch(kNoOffset, 0);
    return false;
  }
  m_view.setSearchMatch(hit, static_cast<std::uint32_t>(pattern.size()));
  state.pattern = std::move(pattern);
  m_view.gotoOffset(hit);
  m_view.updateScrollBar();
  return true;
}

bool SearchDialogModel::searchNext(HexView& view, const Texts& texts, MessageBox& messages, WaitCursor& waitCursor) {
  SearchState& state = view.searchState();
  const std::uint32_t last = view.searchMatch();
  if (last == kNoOffset || std::uint64_t{last} + 1 >= view.size() || state.pattern.empty()) {
    state.pattern.clear();
    return false;
  }
  // From the byte after the hit, so a hit may overlap the one before.
  std::uint32_t hit = kNoOffset;
  // A search the user stopped moves nothing and leaves the last hit marked.
  if (!scan(view, last + 1, state.pattern, waitCursor, hit)) return false;
  if (hit != kNoOffset) {
    view.setSearchMatch(hit, view.searchLength());
    view.gotoOffset(hit);
  } else {
    notFound(texts, messages);
    view.setSearchMatch(kNoOffset, 0);
  }
  view.updatePlainScrollBar();
  return hit != kNoOffset;
}

}  // namespace nibblet
