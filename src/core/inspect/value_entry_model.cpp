#include "core/inspect/value_entry_model.h"

#include <vector>

#include "core/i18n/command_ids.h"
#include "core/i18n/string_ids.h"
#include "core/i18n/string_module.h"
#include "core/i18n/text_format.h"
#include "core/inspect/values_panel_model.h"
#include "core/view/hex_view.h"

namespace nibblet {

ValueEntryModel::ValueEntryModel(ValuesPanelModel& panel, ValueKind kind, MessageBox& messages)
    : m_panel(panel), m_kind(kind), m_messages(messages), m_offset(panel.offset()) {
  const HexView& view = panel.view();
  if (view.bytes() && m_offset < view.size())
    m_text = ValueDecoder::editText(kind, view.bytes() + m_offset, view.size() - m_offset, panel.byteOrder());
}

std::u16string ValueEntryModel::caption() const {
  return formatText(m_panel.texts().loadText(kIdsValueAt), {m_panel.decoder().name(m_kind), m_panel.offsetText()});
}

bool ValueEntryModel::isShown(int command) const { return command == kCmdOk || command == kCmdCancel; }

void ValueEntryModel::setText(std::u16string_view text) { m_text.assign(text.substr(0, kMaxChars)); }

bool ValueEntryModel::command(int id) {
  if (id == kCmdOk) return ok();
  return id == kCmdCancel;
}

bool ValueEntryModel::ok() {
  HexView& view = m_panel.view();
  if (!view.bytes() || m_offset >= view.size() || !view.isEditable()) return false;
  std::vector<std::uint8_t> bytes;
  if (!ValueDecoder::encode(m_kind, m_text, m_panel.byteOrder(), view.size() - m_offset, bytes)) return false;
  // The same way as an entry's bytes: each one logged (and so journaled) before it is written.
  m_written = view.writeBytes(m_offset, bytes.data(), bytes.size(), m_messages);
  view.rebuildText();
  m_panel.refresh();
  return true;
}

}  // namespace nibblet
