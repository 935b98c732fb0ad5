#pragma once
// The state of a property sheet without its window: the pages, the rows of the current page,
// the active row and the hint the editor pane shows. The sheet widget forwards taps, keys and
// editor notifications here and shows the result.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/settings_ui/property_row.h"

namespace nibblet {

class Texts;

class PropertySheetModel {
 public:
  using PageBuilder = std::function<void(PropertySheetModel&)>;

  // "No" and "Yes" of the No/Yes rows come from `texts`.
  explicit PropertySheetModel(const Texts& texts);
  PropertySheetModel(const PropertySheetModel&) = delete;
  PropertySheetModel& operator=(const PropertySheetModel&) = delete;

  // Appends a page; returns its index.
  int addPage(std::u16string title, PageBuilder builder);
  int pageCount() const { return static_cast<int>(m_pages.size()); }
  const std::u16string& pageTitle(int index) const { return m_pages.at(static_cast<std::size_t>(index)).title; }
  // -1 until a page was selected.
  int currentPage() const { return m_currentPage; }

  // Leaves no row active (the active one is committed first), frees the rows and lets the
  // page's builder add the new ones, each refreshed from its variable. False, changing
  // nothing, for an index outside the pages.
  bool selectPage(int index);

  // Called by a builder: the row's owner and index are set and it is appended. A null row is
  // refused (false).
  bool addRow(std::unique_ptr<PropertyRow> row);
  // Creates the row of `plan` and adds it; returns it.
  PropertyRow& addRow(const RowSpec& plan);

  int rowCount() const { return static_cast<int>(m_rows.size()); }
  // Null for an index outside the rows.
  PropertyRow* row(int index);
  const PropertyRow* row(int index) const;

  // The active row's index, or -1.
  int activeIndex() const { return m_active; }
  PropertyRow* activeRow() { return row(m_active); }
  // Commits the active row, then makes `index` active (refreshed from its variable); an index
  // outside the rows leaves none active.
  void activateRow(int index);

  // Editor notifications for the active row; false when no row is active.
  bool editText(std::u16string_view text);
  bool editChoice(int index);
  bool editDateTime(const CalendarTime& time);
  // Runs the active row's "..." action; false when there is none or it reported no change.
  bool pressButton();

  void setDefaultHint(std::u16string hint) { m_defaultHint = std::move(hint); }
  const std::u16string& defaultHint() const { return m_defaultHint; }
  // What the pane shows: the active row's hint below its editor, or the default hint across
  // the pane while no row (or a caption row) is active.
  const std::u16string& paneText() const;
  bool paneTextBelowEditor() const;

 private:
  struct Page {
    std::u16string title;
    PageBuilder builder;
  };

  std::u16string m_no;
  std::u16string m_yes;
  std::vector<Page> m_pages;
  std::vector<std::unique_ptr<PropertyRow>> m_rows;
  int m_currentPage = -1;
  int m_active = -1;
  std::u16string m_defaultHint;
};

// Rectangles of a sheet in device pixels (right and bottom exclusive), from lengths given for
// 96 dots per inch.
struct SheetRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  friend bool operator==(const SheetRect&, const SheetRect&) = default;
};

struct SheetLayout {
  SheetRect pane;      // the editor pane, relative to the sheet
  SheetRect editor;    // the editor line, relative to the pane
  SheetRect button;    // the "..." button, relative to the pane; empty without one
  SheetRect hint;      // the hint area, relative to the pane
  SheetRect list;      // the row list, relative to the sheet
  SheetRect tabs;      // the tab strip's band along the bottom, relative to the sheet
  int dropDownHeight = 0;    // how deep the drop-down opens
  int dropDownMinWidth = 0;  // how wide it opens at least
};

// Lays out a sheet of `width` x `height` device pixels. The editor line, the "..." button and the
// tab band are at least `minTarget` pixels in both directions (a finger's size on a hand-held;
// 0 keeps the lengths for 96 dots per inch). Lengths never go negative, however small the sheet.
SheetLayout layoutSheet(int width, int height, int dpiX, int dpiY, bool hasButton, int minTarget = 0);

// The row height of the list: twice the height of "Text" in the bold font plus 4 logical px.
inline int rowHeight(int boldTextHeight, int dpiY) { return 2 * boldTextHeight + (4 * dpiY + 48) / 96; }

}  // namespace nibblet
