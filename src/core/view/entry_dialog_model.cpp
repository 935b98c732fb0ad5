#include "core/view/entry_dialog_model.h"

#include <string>

#include "core/i18n/string_ids.h"
#include "core/i18n/string_module.h"
#include "core/platform/code_page.h"
#include "core/view/hex_pairs.h"
#include "core/view/hex_view.h"

namespace nibblet {
namespace {

// The code-page bytes of `text` up to a zero byte; false when the conversion fails.
bool codePageBytes(std::u16string_view text, const CodePage& codePage, std::vector<std::uint8_t>& out) {
  std::string converted;
  if (!codePage.toMultiByte(text, converted)) return false;
  std::size_t end = converted.find('\0');
  if (end == std::string::npos) end = converted.size();
  out.assign(converted.begin(), converted.begin() + static_cast<std::ptrdiff_t>(end));
  return true;
}

void utf16LittleEndian(std::u16string_view text, std::vector<std::uint8_t>& out) {
  out.clear();
  out.reserve(text.size() * 2);
  for (char16_t c : text) {
    out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
}

}  // namespace

EntryDialogModel::EntryDialogModel(HexView& view, const Texts& texts, const CodePage& codePage,
                                   MessageBox& messages)
    : m_view(view), m_texts(texts), m_codePage(codePage), m_messages(messages) {
  m_view.beginEntry();
  if (m_view.tapInText()) {
    m_mode = EntryMode::Text;
  } else {
    m_mode = EntryMode::Hex;
    std::uint8_t byte = m_view.byteAt(m_view.tapOffset());
    appendHexPairs(m_text, &byte, 1, kEntryMaxChars);
  }
}

std::u16string EntryDialogModel::caption() const { return m_texts.loadText(kIdsEnterBytes); }

void EntryDialogModel::setText(std::u16string_view text) {
  m_text.assign(text.substr(0, kEntryMaxChars));
}

bool EntryDialogModel::isShown(int command) const {
  switch (command) {
    case kCmdEntryHex:
    case kCmdEntryText:
    case kCmdEntryUnicode:
    case kCmdOk:
    case kCmdCancel:
      return true;
    case kCmdBarPaste:
      return m_view.clipboardCount() >= 1;
    default:
      return false;
  }
}

bool EntryDialogModel::isChecked(int command) const { return command == static_cast<int>(m_mode); }

bool EntryDialogModel::command(int id) {
  switch (id) {
    case kCmdEntryText:
    case kCmdEntryUnicode:
      // The typed text is not converted: the line starts again in the new kind.
      m_text.clear();
      m_mode = static_cast<EntryMode>(id);
      return false;
    case kCmdEntryHex:
      switchToHex();
      return false;
    case kCmdBarPaste:
      if (m_view.clipboardCount() >= 1) {
        m_mode = EntryMode::Hex;
        m_text.clear();
        appendHexPairs(m_text, m_view.clipboard(), static_cast<std::size_t>(m_view.clipboardCount()),
                       kEntryMaxChars);
      }
      return false;
    case kCmdOk:
      return ok();
    case kCmdCancel:
      m_view.endEntry();
      return true;
    default:
      return false;
  }
}

void EntryDialogModel::switchToHex() {
  if (m_mode != EntryMode::Hex && !m_text.empty()) {
    std::vector<std::uint8_t> bytes;
    if (m_mode == EntryMode::Text) {
      // A text the code page cannot hold stays as it is, in Text mode.
      if (!codePageBytes(m_text, m_codePage, bytes)) return;
    } else {
      utf16LittleEndian(m_text, bytes);
    }
    // Pairs that do not fit the line's buffer are left out: at most 256 bytes.
    std::u16string pairs;
    appendHexPairs(pairs, bytes.data(), bytes.size(), kEntryMaxChars);
    m_text = pairs;
  }
  m_mode = EntryMode::Hex;
}

bool EntryDialogModel::formBytes(EntryMode mode, std::u16string_view text, const CodePage& codePage,
                                 std::vector<std::uint8_t>& out) {
  out.clear();
  switch (mode) {
    case EntryMode::Text:
      return codePageBytes(text, codePage, out);
    case EntryMode::Hex:
      out.resize(kEntryTextChars);
      out.resize(parseHexPairs(text, out.data(), kEntryTextChars));
      return true;
    case EntryMode::Unicode:
      utf16LittleEndian(text, out);
      return true;
  }
  return false;
}

bool EntryDialogModel::ok() {
  if (m_text.empty()) return false;
  std::vector<std::uint8_t> bytes;
  m_written = 0;
  if (formBytes(m_mode, m_text, m_codePage, bytes) && m_view.tapOffset() != kNoOffset)
    m_written = m_view.writeBytes(m_view.tapOffset(), bytes.data(), bytes.size(), m_messages);
  m_view.rebuildText();
  m_view.endEntry();
  return true;
}

}  // namespace nibblet
