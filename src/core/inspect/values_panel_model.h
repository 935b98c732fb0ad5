#pragma once
// The rules of the values panel docked under the hex view: which byte it reads (the last one
// tapped or held), the byte order, whether it is open or collapsed to its title line (both kept
// in the registry key as "valuesPanel" and "valuesBigEndian", "1" for on; anything else reads as
// collapsed and little endian), its rows of values, the size, sum and CRC-32 of the selection,
// and copying a row's bytes into the view's clipboard. Editing a row is ValueEntryModel's.

#include <cstdint>
#include <string>
#include <vector>

#include "core/inspect/value_decoder.h"

namespace nibblet {

class HexView;
class RegistryKey;
class Texts;

// One line of the panel: a name and its text.
struct PanelRow {
  ValueKind kind = ValueKind::Binary;  // for the value rows
  std::u16string name;
  std::u16string text;
  bool copyable = false;  // the row reads a value whose bytes Copy takes
  bool editable = false;  // the view is editable and holds the bytes the kind needs
};

class ValuesPanelModel {
 public:
  // Reads the stored state from `key`; the references must outlive the model.
  ValuesPanelModel(HexView& view, const Texts& texts, RegistryKey& key);
  ValuesPanelModel(const ValuesPanelModel&) = delete;
  ValuesPanelModel& operator=(const ValuesPanelModel&) = delete;

  // --- Stored state -----------------------------------------------------------------------------
  bool isOpen() const { return m_open; }
  // Opens or collapses the panel and stores the choice.
  void setOpen(bool open);
  ByteOrder byteOrder() const { return m_order; }
  // Sets the byte order, stores it and decodes the rows again.
  void setByteOrder(ByteOrder order);

  // --- The byte and its values ------------------------------------------------------------------
  // The offset the values are read from; 0 until a byte is followed.
  std::uint32_t offset() const { return m_offset; }
  // Reads the values from `offset` from now on and decodes them; an offset past the end is
  // ignored.
  void follow(std::uint32_t offset);
  // Decodes the rows and the selection again from the document's bytes (after an edit, an undo,
  // a new selection).
  void refresh();

  // The offset as the view's offset column writes it, "001A".
  std::u16string offsetText() const;
  // "Values" and the offset.
  std::u16string title() const;
  // "Little endian" or "Big endian".
  std::u16string byteOrderText() const;
  // One row per ValueKind, in ValueKind order.
  const std::vector<PanelRow>& rows() const { return m_rows; }
  // The selected bytes' count, sum and CRC-32; empty without a selection.
  const std::vector<PanelRow>& selectionRows() const { return m_selection; }

  // Copies the bytes the row reads into the view's clipboard; false when it reads none.
  bool copyRow(ValueKind kind);
  // The row's bytes as the byte menu shows a byte: "001A: 41 42 43 44"; empty when it has none.
  std::u16string rowBytesText(ValueKind kind) const;

  HexView& view() { return m_view; }
  const ValueDecoder& decoder() const { return m_decoder; }
  const Texts& texts() const { return m_texts; }

 private:
  std::size_t available() const;
  void decodeSelection();

  HexView& m_view;
  const Texts& m_texts;
  RegistryKey& m_key;
  ValueDecoder m_decoder;
  bool m_open = false;
  ByteOrder m_order = ByteOrder::Little;
  std::uint32_t m_offset = 0;
  std::vector<PanelRow> m_rows;
  std::vector<PanelRow> m_selection;
};

}  // namespace nibblet
