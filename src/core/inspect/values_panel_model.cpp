#include "core/inspect/values_panel_model.h"

#include <algorithm>

#include "core/i18n/string_ids.h"
#include "core/i18n/string_module.h"
#include "core/i18n/text_format.h"
#include "core/inspect/crc32.h"
#include "core/platform/registry_key.h"
#include "core/view/hex_view.h"

namespace nibblet {
namespace {

constexpr char16_t kOpenValue[] = u"valuesPanel";
constexpr char16_t kBigEndianValue[] = u"valuesBigEndian";

// A stored switch: on only for the string "1"; missing, damaged or other values read as off.
bool readSwitch(RegistryKey& key, const std::u16string& name) {
  RegistryValue value;
  return key.query(name, value) && value.type == ValueType::String && value.text == u"1";
}

}  // namespace

ValuesPanelModel::ValuesPanelModel(HexView& view, const Texts& texts, RegistryKey& key)
    : m_view(view), m_texts(texts), m_key(key), m_decoder(texts) {
  m_open = readSwitch(key, kOpenValue);
  m_order = readSwitch(key, kBigEndianValue) ? ByteOrder::Big : ByteOrder::Little;
  m_rows.resize(kValueKindCount);
  for (int i = 0; i < kValueKindCount; ++i) {
    PanelRow& row = m_rows[static_cast<std::size_t>(i)];
    row.kind = static_cast<ValueKind>(i);
    row.name = m_decoder.name(row.kind);
  }
  refresh();
}

void ValuesPanelModel::setOpen(bool open) {
  m_open = open;
  m_key.setString(kOpenValue, open ? u"1" : u"0");
}

void ValuesPanelModel::setByteOrder(ByteOrder order) {
  m_order = order;
  m_key.setString(kBigEndianValue, order == ByteOrder::Big ? u"1" : u"0");
  refresh();
}

void ValuesPanelModel::follow(std::uint32_t offset) {
  if (offset >= m_view.size()) return;
  m_offset = offset;
  refresh();
}

std::size_t ValuesPanelModel::available() const {
  return m_offset < m_view.size() ? m_view.size() - m_offset : 0;
}

void ValuesPanelModel::refresh() {
  const std::uint8_t* at = m_view.bytes() ? m_view.bytes() + m_offset : nullptr;
  const std::size_t left = at ? available() : 0;
  for (PanelRow& row : m_rows) {
    row.text = m_decoder.text(row.kind, at, left, m_order);
    row.copyable = ValueDecoder::valueBytes(row.kind, at, left, m_order) > 0;
    row.editable = m_view.isEditable() && left >= ValueDecoder::width(row.kind);
  }
  decodeSelection();
}

void ValuesPanelModel::decodeSelection() {
  m_selection.clear();
  std::uint32_t start = m_view.selectionStart(), end = m_view.selectionEnd();
  if (start == kNoOffset || start >= m_view.size()) return;
  if (end == kNoOffset) end = start;
  // A selection whose end lies before its start is none, as the view paints it.
  if (end < start || !m_view.bytes()) return;
  end = std::min(end, m_view.size() - 1);
  const std::uint8_t* bytes = m_view.bytes() + start;
  const std::size_t count = std::size_t{end} - start + 1;
  unsigned sum = 0;
  for (std::size_t i = 0; i < count; ++i) sum += bytes[i];
  m_selection.push_back({ValueKind::Binary, m_texts.loadText(kIdsSelected),
                         count == 1 ? m_texts.loadText(kIdsOneByte)
                                    : formatText(m_texts.loadText(kIdsBytes), {static_cast<int>(count)})});
  m_selection.push_back({ValueKind::Binary, m_texts.loadText(kIdsSum), formatText(u"%u (0x%X)", {sum, sum})});
  m_selection.push_back({ValueKind::Binary, m_texts.loadText(kIdsCrc32), formatText(u"%08X", {crc32(bytes, count)})});
}

std::u16string ValuesPanelModel::offsetText() const {
  return formatText(formatText(u"%%0%dX", {m_view.offsetDigits()}), {m_offset});
}

std::u16string ValuesPanelModel::title() const { return m_texts.loadText(kIdsValues) + u"  " + offsetText(); }

std::u16string ValuesPanelModel::byteOrderText() const {
  return m_texts.loadText(m_order == ByteOrder::Big ? kIdsBigEndian : kIdsLittleEndian);
}

bool ValuesPanelModel::copyRow(ValueKind kind) {
  if (!m_view.bytes()) return false;
  const std::size_t count = ValueDecoder::valueBytes(kind, m_view.bytes() + m_offset, available(), m_order);
  if (count == 0) return false;
  m_view.setClipboard(m_view.bytes() + m_offset, count);
  return true;
}

std::u16string ValuesPanelModel::rowBytesText(ValueKind kind) const {
  if (!m_view.bytes()) return {};
  const std::uint8_t* at = m_view.bytes() + m_offset;
  const std::size_t count = ValueDecoder::valueBytes(kind, at, available(), m_order);
  if (count == 0) return {};
  std::u16string out = offsetText() + u":";
  for (std::size_t i = 0; i < count; ++i) out += formatText(u" %02X", {at[i]});
  return out;
}

}  // namespace nibblet
