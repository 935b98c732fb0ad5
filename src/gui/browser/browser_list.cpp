#include "gui/browser/browser_list.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <algorithm>

namespace nibblet {

// Opens the name editor only when the dialog agrees, and keeps rows tall enough to tap.
class RenameDelegate : public QStyledItemDelegate {
 public:
  RenameDelegate(BrowserList* list, int rowHeight)
      : QStyledItemDelegate(list), m_list(list), m_rowHeight(rowHeight) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    if (index.column() != 0 || !m_list->startRename(index.row())) return nullptr;
    return QStyledItemDelegate::createEditor(parent, option, index);
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), m_rowHeight));
    return size;
  }

 private:
  BrowserList* m_list;
  int m_rowHeight;
};

BrowserList::BrowserList(int rowHeight, QWidget* parent) : QTreeWidget(parent) {
  setItemDelegate(new RenameDelegate(this, rowHeight));
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
  setAllColumnsShowFocus(true);
  connect(this, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* item) { emit tapped(indexOfTopLevelItem(item)); });
  connect(this, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { emit doubleTapped(indexOfTopLevelItem(item)); });
}

void BrowserList::renameRow(int row) {
  QTreeWidgetItem* item = topLevelItem(row);
  if (!item) return;
  setFocus();
  scrollToItem(item);
  setCurrentItem(item);
  editItem(item, 0);
}

bool BrowserList::startRename(int row) {
  if (m_renaming || !m_renameStart || !m_renameStart(row)) return false;
  m_renaming = true;
  m_committed = false;
  m_typedName.clear();
  return true;
}

void BrowserList::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete && !m_renaming) {
    if (QTreeWidgetItem* item = currentItem()) emit deletePressed(indexOfTopLevelItem(item));
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

void BrowserList::contextMenuEvent(QContextMenuEvent* event) {
  // Tap-and-hold (or a right click) counts as a tap on the entry under it.
  if (QTreeWidgetItem* item = itemAt(event->pos())) {
    setCurrentItem(item);
    emit tapped(indexOfTopLevelItem(item));
  }
  event->accept();
}

void BrowserList::commitData(QWidget* editor) {
  // The item keeps its old text: the list is refilled from the folder after the move.
  if (auto* line = qobject_cast<QLineEdit*>(editor)) {
    m_typedName = line->text();
    m_committed = true;
  }
}

void BrowserList::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  QTreeWidget::closeEditor(editor, hint);
  if (!m_renaming) return;
  m_renaming = false;
  QString name = m_typedName;
  bool committed = m_committed && hint != QAbstractItemDelegate::RevertModelCache;
  if (m_renameEnd) m_renameEnd(committed ? &name : nullptr);
}

}  // namespace nibblet
