#include "core/view/goto_dialog_model.h"

#include "core/i18n/command_ids.h"
#include "core/i18n/string_ids.h"
#include "core/i18n/string_module.h"
#include "core/i18n/text_format.h"
#include "core/view/hex_pairs.h"
#include "core/view/hex_view.h"

namespace nibblet {

GotoDialogModel::GotoDialogModel(HexView& view, const Texts& texts) : m_view(view), m_texts(texts) {}

std::u16string GotoDialogModel::caption() const {
  std::uint32_t upper = m_view.size() >= m_view.bytesPerRow() ? m_view.size() - m_view.bytesPerRow() : 0;
  return formatText(m_texts.loadText(kIdsGotoRange), {0, upper});
}

bool GotoDialogModel::isShown(int command) const { return command == kCmdOk || command == kCmdCancel; }

void GotoDialogModel::setText(std::u16string_view text) { m_text.assign(text.substr(0, kGotoMaxChars)); }

bool GotoDialogModel::command(int id) {
  if (id == kCmdCancel) return true;
  if (id != kCmdOk) return false;
  std::uint32_t offset;
  if (!parseOffset(m_text, offset) || offset > m_view.size()) return false;
  m_view.gotoOffset(offset);
  return true;
}

bool GotoDialogModel::parseOffset(std::u16string_view text, std::uint32_t& out) {
  std::size_t i = 0;
  while (i < text.size() && isCSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  // "0x" counts as a prefix only before a digit; otherwise its 0 is the number.
  if (i + 2 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X') &&
      hexDigitValue(text[i + 2]) >= 0)
    i += 2;
  std::uint64_t value = 0;
  std::size_t digits = 0;
  for (; i < text.size() && hexDigitValue(text[i]) >= 0; ++i, ++digits) {
    value = value * 16 + static_cast<unsigned>(hexDigitValue(text[i]));
    if (value > 0xFFFFFFFFu) return false;
  }
  if (digits == 0 || (negative && value != 0)) return false;
  out = static_cast<std::uint32_t>(value);
  return true;
}

}  // namespace nibblet
