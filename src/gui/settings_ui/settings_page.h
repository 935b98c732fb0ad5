#pragma once
// The settings page inside the main window: a property sheet with one page, "Settings", whose
// twelve rows edit the Settings record in place. Its "..." actions run the folder browser and
// the colour picker.

#include <memory>

#include "core/settings_ui/settings_rows.h"

class QWidget;

namespace nibblet {

struct AppContext;
class PropertySheet;

class SettingsPage {
 public:
  // Builds the sheet hidden over the whole of `parent`, at 10 points, with the program's icon
  // on its tab. `context` must outlive the page.
  SettingsPage(QWidget* parent, AppContext& context);
  ~SettingsPage();
  SettingsPage(const SettingsPage&) = delete;
  SettingsPage& operator=(const SettingsPage&) = delete;

  PropertySheet* sheet() const { return m_sheet; }

  // Rebuilds the rows from the record with no row active and shows the page, focus on the list.
  void open();
  // Hides the page and remembers the list's column width in the record.
  void close();
  // Fits the page to its parent again.
  void relayout();

 private:
  AppContext& m_context;
  PropertySheet* m_sheet;
  SettingsDialogs m_dialogs;
};

}  // namespace nibblet
