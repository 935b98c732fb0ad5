#pragma once
// The browser's entry list (control 903): a list or three-column report of names that reports
// taps, double taps, tap-and-hold, the Delete key and the start and end of renaming in place.

#include <QString>
#include <QTreeWidget>
#include <functional>

namespace nibblet {

class BrowserList : public QTreeWidget {
  Q_OBJECT

 public:
  // `rowHeight` is the least height of a row in device pixels (a comfortable touch target).
  BrowserList(int rowHeight, QWidget* parent);

  // Called when editing of row's name is about to start; returning false keeps the editor shut.
  void setRenameStart(std::function<bool(int row)> start) { m_renameStart = std::move(start); }
  // Called when the editor closes: with the typed name, or null when the edit was cancelled.
  void setRenameEnd(std::function<void(const QString* name)> end) { m_renameEnd = std::move(end); }
  bool isRenaming() const { return m_renaming; }

  // Starts editing the name in `row` (selected, focused and scrolled into view).
  void renameRow(int row);

 signals:
  void tapped(int row);
  void doubleTapped(int row);
  void deletePressed(int row);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void commitData(QWidget* editor) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

 private:
  friend class RenameDelegate;
  bool startRename(int row);

  std::function<bool(int)> m_renameStart;
  std::function<void(const QString*)> m_renameEnd;
  bool m_renaming = false;
  bool m_committed = false;
  QString m_typedName;
};

}  // namespace nibblet
