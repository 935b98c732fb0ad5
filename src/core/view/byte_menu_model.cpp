#include "core/view/byte_menu_model.h"

#include "core/diff/diff_set.h"
#include "core/document/change_log.h"
#include "core/i18n/show_message.h"
#include "core/i18n/string_ids.h"
#include "core/i18n/string_module.h"
#include "core/i18n/text_format.h"
#include "core/view/hex_view.h"

namespace nibblet {

ByteMenuModel::ByteMenuModel(HexView& view, const Texts& texts, MessageBox& messages)
    : m_view(view), m_texts(texts), m_messages(messages), m_offset(view.tapOffset()) {}

std::u16string ByteMenuModel::pasteLabel(const Texts& texts, const std::uint8_t* c, int count) {
  std::u16string paste = texts.loadText(kIdsPaste);
  switch (count) {
    case 0: return paste;
    case 1: return formatText(u"%s (%02X)", {paste, c[0]});
    case 2: return formatText(u"%s (%02X %02X)", {paste, c[0], c[1]});
    case 4: return formatText(u"%s (%02X %02X %02X %02X)", {paste, c[0], c[1], c[2], c[3]});
    default: return formatText(u"%s %d B", {paste, count});
  }
}

std::u16string ByteMenuModel::byteInformation() const {
  std::u16string format = formatText(u"%%0%dX: %%02X", {m_view.offsetDigits()});
  return formatText(format, {m_offset, m_view.byteAt(m_offset)});
}

std::vector<ByteMenuItem> ByteMenuModel::items() const {
  const ChangeLog* log = m_view.changeLog();
  const bool hasStart = m_view.selectionStart() != kNoOffset;
  std::vector<ByteMenuItem> out;
  out.push_back({kByteMenuCopy, m_texts.loadText(kIdsCopy), true});
  out.push_back({kByteMenuPaste, pasteLabel(m_texts, m_view.clipboard(), m_view.clipboardCount()),
                 m_view.clipboardCount() > 0});
  out.push_back({kByteMenuSeparator, u"", true});
  out.push_back({kByteMenuUndo, m_texts.loadText(kIdsUndo), log && !log->isEmpty()});
  out.push_back({kByteMenuSelection, m_texts.loadText(hasStart ? kIdsEndSelection : kIdsStartSelection), true});
  if (hasStart) out.push_back({kByteMenuClearSelection, m_texts.loadText(kIdsClearSelection), true});
  out.push_back({kByteMenuSeparator, u"", true});
  out.push_back({kByteMenuByteInfo, byteInformation(), false});
  if (const DiffSet* diffs = m_view.diffSet())
    if (const DiffEntry* e = diffs->find(m_offset))
      out.push_back({kByteMenuDiffValue, formatText(m_texts.loadText(kIdsDiffValue), {e->otherValue}), true});
  return out;
}

bool ByteMenuModel::command(int id) {
  if (m_offset == kNoOffset || m_offset >= m_view.size()) return false;
  switch (id) {
    case kByteMenuCopy:
      copy();
      return false;
    case kByteMenuDiffValue:
      if (const DiffSet* diffs = m_view.diffSet())
        if (const DiffEntry* e = diffs->find(m_offset)) m_view.setClipboard(&e->otherValue, 1);
      return false;
    case kByteMenuPaste: {
      if (m_view.clipboardCount() < 1) return false;
      // Overwrites from the tapped byte; what would fall past the end of the file is dropped.
      std::uint32_t written = m_view.writeBytes(m_offset, m_view.clipboard(),
                                                static_cast<std::size_t>(m_view.clipboardCount()), m_messages);
      m_view.rebuildText();
      return written > 0;
    }
    case kByteMenuUndo:
      return m_view.undoLast();
    case kByteMenuSelection:
      extendSelection();
      m_view.rebuildText();
      return false;
    case kByteMenuClearSelection:
      m_view.setSelection(kNoOffset, kNoOffset);
      m_view.rebuildText();
      return false;
    default:
      return false;
  }
}

void ByteMenuModel::copy() {
  const std::uint32_t start = m_view.selectionStart(), end = m_view.selectionEnd();
  if (start == kNoOffset) {
    std::uint8_t byte = m_view.byteAt(m_offset);
    m_view.setClipboard(&byte, 1);
  } else if (end == kNoOffset) {
    std::uint8_t byte = m_view.byteAt(start);
    m_view.setClipboard(&byte, 1);
  } else if (end >= start && end < m_view.size()) {
    std::uint64_t count = std::min<std::uint64_t>(std::uint64_t{end} - start + 1, kMaxSelection);
    m_view.setClipboard(m_view.bytes() + start, static_cast<std::size_t>(count));
  }
}

void ByteMenuModel::extendSelection() {
  const std::uint32_t oldStart = m_view.selectionStart(), oldEnd = m_view.selectionEnd();
  if (oldStart == kNoOffset) {
    m_view.setSelection(m_offset, kNoOffset);
    return;
  }
  // An end before the start becomes the start, and the old start the end.
  std::uint32_t start = oldStart, end = m_offset;
  if (m_offset < oldStart) {
    start = m_offset;
    end = oldStart;
  }
  if (end - start > kMaxSelection - 1) {
    m_view.setSelection(oldStart, oldEnd);
    showMessage(m_messages, m_texts.loadText(kIdsError), kStyleError, m_texts.loadText(kIdsSelectionTooLong));
    return;
  }
  m_view.setSelection(start, end);
}

}  // namespace nibblet
