#pragma once
// The property list control: a sheet filling its parent with the editor pane on top, the row
// list (id 808) of the current page and the tab strip (id 809) along the bottom. It shows the
// state of a PropertySheetModel and forwards taps, keys and editor changes to it.

#include <QFont>
#include <QIcon>
#include <QWidget>

#include "core/settings_ui/property_sheet_model.h"
#include "gui/platform/screen_scale.h"

class QTabBar;
class QValidator;
class QTreeWidget;
class QTreeWidgetItem;

namespace nibblet {

class EditorPane;
class RowDelegate;
class Texts;

class PropertySheet : public QWidget {
  Q_OBJECT
 public:
  // Creates the sheet over the whole of `parent`, at 13 points.
  PropertySheet(QWidget* parent, const Texts& texts, const ScreenScale& scale);
  ~PropertySheet() override;

  PropertySheetModel& model() { return m_model; }
  EditorPane* pane() const { return m_pane; }
  QTreeWidget* rowList() const { return m_list; }
  QTabBar* tabs() const { return m_tabs; }

  // Appends a page and its tab (with `icon` when it is not null).
  int addPage(const std::u16string& title, PropertySheetModel::PageBuilder builder, const QIcon& icon = {});
  // Selects the tab, rebuilds the rows from their variables and gives the list the focus.
  // False, changing nothing, for an index outside the pages.
  bool selectPage(int index);
  // Makes row `index` active (any other index: none) and shows its editor.
  void activateRow(int index);
  // Puts the focus into the active row's editor; nothing without an active row.
  void focusEditor();
  // Runs the active row's "..." action.
  void pressButton();

  void setDefaultHint(const std::u16string& hint);
  // Points of both fonts (13 until set); the editors, tabs and rows follow.
  void setPointSize(int points);
  int pointSize() const { return m_points; }
  // The width of the list's one column, which always spans the list.
  int columnWidth() const;

  // Hidden: disabled and hidden. Shown: enabled, shown, focus on the row list.
  void showSheet(bool visible);
  // Fits the sheet to its parent again and lays out its parts.
  void relayout();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void makeFonts();
  void layoutParts();
  void showEditor();
  // One list entry per row of the current page.
  void fillList();
  void fillEditors();
  void rowChanged();
  void redrawRow(int index);
  void updateButtonFace();
  void focusList();
  void selectionChanged();

  const Texts& m_texts;
  const ScreenScale& m_scale;
  PropertySheetModel m_model;
  EditorPane* m_pane;
  QTreeWidget* m_list;
  QTabBar* m_tabs;
  RowDelegate* m_delegate;
  QValidator* m_digitsOnly;  // the number box's
  int m_points = 13;
  QFont m_normal;
  QFont m_bold;
  bool m_filling = false;
};

}  // namespace nibblet
