#include "core/settings_ui/property_sheet_model.h"

#include <algorithm>

#include "core/i18n/string_ids.h"
#include "core/i18n/string_module.h"

namespace nibblet {

PropertySheetModel::PropertySheetModel(const Texts& texts)
    : m_no(texts.loadText(kIdsNo)), m_yes(texts.loadText(kIdsYes)) {}

int PropertySheetModel::addPage(std::u16string title, PageBuilder builder) {
  m_pages.push_back(Page{std::move(title), std::move(builder)});
  return pageCount() - 1;
}

bool PropertySheetModel::selectPage(int index) {
  if (index < 0 || index >= pageCount()) return false;
  activateRow(-1);
  m_rows.clear();
  m_currentPage = index;
  const PageBuilder& builder = m_pages[static_cast<std::size_t>(index)].builder;
  if (builder) builder(*this);
  for (auto& row : m_rows) refreshRow(*row);
  return true;
}

bool PropertySheetModel::addRow(std::unique_ptr<PropertyRow> row) {
  if (!row) return false;
  row->owner = this;
  row->index = rowCount();
  m_rows.push_back(std::move(row));
  return true;
}

PropertyRow& PropertySheetModel::addRow(const RowSpec& plan) {
  addRow(makeRow(plan, m_no, m_yes));
  return *m_rows.back();
}

PropertyRow* PropertySheetModel::row(int index) {
  if (index < 0 || index >= rowCount()) return nullptr;
  return m_rows[static_cast<std::size_t>(index)].get();
}

const PropertyRow* PropertySheetModel::row(int index) const {
  if (index < 0 || index >= rowCount()) return nullptr;
  return m_rows[static_cast<std::size_t>(index)].get();
}

void PropertySheetModel::activateRow(int index) {
  // The editors write every change at once, so committing here hands back what the editor holds
  // even when the user only looked at the row.
  if (PropertyRow* current = activeRow()) commitRow(*current);
  PropertyRow* next = row(index);
  m_active = next ? index : -1;
  if (next) refreshRow(*next);
}

bool PropertySheetModel::editText(std::u16string_view text) {
  PropertyRow* active = activeRow();
  if (!active) return false;
  takeText(*active, text);
  return true;
}

bool PropertySheetModel::editChoice(int index) {
  PropertyRow* active = activeRow();
  if (!active) return false;
  takeChoice(*active, index);
  return true;
}

bool PropertySheetModel::editDateTime(const CalendarTime& time) {
  PropertyRow* active = activeRow();
  if (!active) return false;
  takeDateTime(*active, time);
  return true;
}

bool PropertySheetModel::pressButton() {
  PropertyRow* active = activeRow();
  if (!active || !active->onButton) return false;
  return active->onButton(*active);
}

const std::u16string& PropertySheetModel::paneText() const {
  const PropertyRow* active = row(m_active);
  return paneTextBelowEditor() ? active->hint : m_defaultHint;
}

bool PropertySheetModel::paneTextBelowEditor() const {
  const PropertyRow* active = row(m_active);
  return active && active->rowKind != kRowCaption;
}

SheetLayout layoutSheet(int width, int height, int dpiX, int dpiY, bool hasButton, int minTarget) {
  auto sx = [dpiX](int n) { return (n * dpiX + 48) / 96; };
  auto sy = [dpiY](int n) { return (n * dpiY + 48) / 96; };
  width = std::max(width, 0);
  height = std::max(height, 0);
  // What a finger needs beyond the 22-pixel editor line, the 26-pixel button and the 22-pixel
  // tab band.
  const int taller = std::max(0, minTarget - sy(22));
  const int wider = std::max(0, minTarget - sx(26));
  SheetLayout l;
  // The pane is the top band, its bottom 12 + 2 * 22 px below the sheet's top.
  l.pane = {sx(1), sy(1), std::max(sx(1), width - sx(1)),
            std::max(sy(1), std::min(height, sy(12 + 2 * 22) + taller))};
  const int paneW = l.pane.width();
  const int paneH = l.pane.height();
  const int lineRight = std::max(sx(1), paneW - sx(6));
  l.editor = {sx(1), sy(1), lineRight, sy(1) + sy(22) + taller};
  if (hasButton) {
    l.editor.right = std::max(l.editor.left, lineRight - sx(26 + 6) - wider);
    l.button = {std::max(l.editor.left, lineRight - sx(26) - wider), l.editor.top, lineRight, l.editor.bottom};
  }
  l.hint = {sx(1), std::min(paneH, l.editor.bottom + sy(2)), std::max(sx(1), paneW - sx(1)), paneH};
  const int tabBand = sy(22) + taller;
  l.list = {sx(1), l.pane.bottom + sy(1), std::max(sx(1), width - sx(1)),
            std::max(l.pane.bottom + sy(1), height - tabBand)};
  l.tabs = {0, std::max(0, height - tabBand), width, height};
  l.dropDownHeight = sy(5 * 22) + 5 * taller;
  l.dropDownMinWidth = sx(9 * 22);
  return l;
}

}  // namespace nibblet
