#pragma once
// The values panel, docked under the hex view in the view's parent: a title line with the
// offset (a tap opens or collapses the panel) and the byte order switch, then one row per kind
// of value read from the last byte tapped or held, and the size, sum and CRC-32 of a selection.
// A tap on a row edits its value, a tap-and-hold offers to copy its bytes. The panel keeps room
// for itself under the view, so it follows every relayout, a rotation and a new font; it lives
// as long as the view.

#include <QFrame>
#include <vector>

#include "core/inspect/values_panel_model.h"

class QGridLayout;
class QScrollArea;
class QPushButton;

namespace nibblet {

class HexViewWidget;
class MessageBox;
class RegistryKey;
class Texts;
class ValueRow;

class ValuesPanel : public QFrame {
  Q_OBJECT

 public:
  // Docks a panel under `view`; the references must outlive it. The panel deletes itself with
  // the view.
  ValuesPanel(HexViewWidget* view, RegistryKey& key, const Texts& texts, MessageBox& messages);

  ValuesPanelModel& model() { return m_model; }
  // Opens the panel or collapses it to its title line; the choice is stored.
  void setOpen(bool open);
  QPushButton* titleButton() const { return m_title; }
  QPushButton* orderButton() const { return m_order; }
  QScrollArea* scrollArea() const { return m_scroll; }
  ValueRow* row(ValueKind kind) {
    buildRows();
    return m_rows[static_cast<std::size_t>(kind)];
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void showState();
  // Makes the rows, once: a panel that starts collapsed costs its title line only.
  void buildRows();
  // Makes the rows of a panel open at start, once the view has been painted.
  void endDeferral();
  void arrangeRows();
  void fit();
  int columnsFor(int width) const;
  void place();
  void editRow(ValueKind kind);
  void rowMenu(ValueKind kind, QPoint globalPos);
  void viewGone();

  HexViewWidget* m_view;
  const Texts& m_texts;
  MessageBox& m_messages;
  ValuesPanelModel m_model;
  QPushButton* m_title;
  QPushButton* m_order;
  QScrollArea* m_scroll;
  QWidget* m_rowsHost;
  QGridLayout* m_grid;
  std::vector<ValueRow*> m_rows;       // one per ValueKind
  std::vector<ValueRow*> m_selection;  // count, sum, CRC-32
  int m_rowHeight;
  int m_nameWidth = 0;
  int m_columns = 0;
  bool m_selectionShown = false;
  bool m_rowsBuilt = false;
  bool m_rowsDeferred = false;  // the rows of a panel open at start come after the first paint
};

}  // namespace nibblet
