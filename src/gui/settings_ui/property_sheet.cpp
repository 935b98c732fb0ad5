#include "gui/settings_ui/property_sheet.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QScopedValueRollback>
#include <QTabBar>
#include <QTreeWidget>

#include "core/settings/colour_text.h"
#include "gui/platform/physical_size.h"
#include "gui/platform/qt_text.h"
#include "gui/settings_ui/editor_pane.h"
#include "gui/settings_ui/row_delegate.h"
#include "gui/settings_ui/sheet_accessibility.h"

namespace nibblet {
namespace {

QRect toQRect(const SheetRect& r) { return QRect(r.left, r.top, r.width(), r.height()); }

CalendarTime calendarOfQt(const QDateTime& t) {
  return CalendarTime{t.date().year(), t.date().month(), t.date().day(), t.time().hour(), t.time().minute(),
                      t.time().second()};
}

bool isKey(QEvent* event, std::initializer_list<int> keys) {
  if (event->type() != QEvent::KeyPress) return false;
  int key = static_cast<QKeyEvent*>(event)->key();
  for (int k : keys)
    if (k == key) return true;
  return false;
}

}  // namespace

PropertySheet::PropertySheet(QWidget* parent, const Texts& texts, const ScreenScale& scale)
    : QWidget(parent), m_texts(texts), m_scale(scale), m_model(texts) {
  setObjectName("propertySheet");
  // The sheet covers the window's own drawing between its parts.
  setAutoFillBackground(true);
  m_tabs = new QTabBar(this);
  m_tabs->setObjectName("809");
  m_tabs->setShape(QTabBar::RoundedSouth);
  m_tabs->setIconSize(QSize(scale.x(16), scale.y(16)));
  m_tabs->setFocusPolicy(Qt::NoFocus);
  m_pane = new EditorPane(this);
  m_list = new QTreeWidget(this);
  m_list->setObjectName("808");
  m_list->setHeaderHidden(true);
  m_list->setColumnCount(1);
  m_list->setRootIsDecorated(false);
  m_list->setUniformRowHeights(true);
  m_list->setSelectionMode(QAbstractItemView::SingleSelection);
  m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_list->setAllColumnsShowFocus(true);
  m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  // The one column is as wide as the list, in either orientation of the screen.
  m_list->header()->setStretchLastSection(true);
  m_list->setTabKeyNavigation(false);
  QPalette palette = m_list->palette();
  palette.setColor(QPalette::Highlight, QColor(192, 192, 192));
  palette.setColor(QPalette::HighlightedText, Qt::black);
  m_list->setPalette(palette);
  m_delegate = new RowDelegate(m_model, m_list);
  m_list->setItemDelegate(m_delegate);
  m_list->installEventFilter(this);

  QLineEdit* box = m_pane->textBox();
  box->installEventFilter(this);
  m_digitsOnly = new QRegularExpressionValidator(QRegularExpression("[0-9]*"), box);
  connect(box, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (m_filling || !m_model.editText(toU16(text))) return;
    rowChanged();
  });
  QComboBox* drop = m_pane->dropDown();
  drop->installEventFilter(this);
  fitDropDownToFinger(drop);
  connect(drop, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (m_filling || !m_model.editChoice(index)) return;
    rowChanged();
  });
  QDateTimeEdit* picker = m_pane->picker();
  picker->installEventFilter(this);
  connect(picker, &QDateTimeEdit::dateTimeChanged, this, [this](const QDateTime& time) {
    if (m_filling || !m_model.editDateTime(calendarOfQt(time))) return;
    rowChanged();
  });
  connect(m_pane->button(), &QPushButton::clicked, this, [this] { pressButton(); });
  connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] { selectionChanged(); });
  connect(m_list, &QTreeWidget::itemActivated, this, [this] { focusEditor(); });
  connect(m_list, &QTreeWidget::itemPressed, this, [] { QGuiApplication::inputMethod()->hide(); });
  connect(m_tabs, &QTabBar::tabBarClicked, this, [this](int index) {
    if (index >= 0) selectPage(index);
  });

  makeFonts();
  relayout();
}

PropertySheet::~PropertySheet() = default;

int PropertySheet::addPage(const std::u16string& title, PropertySheetModel::PageBuilder builder, const QIcon& icon) {
  int index = m_model.addPage(title, std::move(builder));
  m_filling = true;
  if (icon.isNull())
    m_tabs->addTab(toQString(title));
  else
    m_tabs->addTab(icon, toQString(title));
  m_filling = false;
  return index;
}

bool PropertySheet::selectPage(int index) {
  if (index < 0 || index >= m_model.pageCount()) return false;
  m_tabs->setCurrentIndex(index);
  m_list->hide();
  m_filling = true;
  m_list->clear();
  m_model.selectPage(index);
  m_list->setAccessibleName(toQString(m_model.pageTitle(index)));
  showEditor();
  fillList();
  m_list->setCurrentItem(nullptr);
  m_list->clearSelection();
  m_filling = false;
  m_list->show();
  m_list->setFocus();
  return true;
}

void PropertySheet::fillList() {
  for (int i = 0; i < m_model.rowCount(); ++i) {
    auto* item = new QTreeWidgetItem(m_list);
    item->setData(0, Qt::UserRole, i);
    item->setSizeHint(0, QSize(0, m_delegate->rowHeight()));
    nameRowEntry(item, *m_model.row(i));
  }
}

void PropertySheet::selectionChanged() {
  // The list makes its first entry current, unselected, when it gets the focus; only a
  // selected entry is a row the user moved to or tapped.
  if (m_filling) return;
  QList<QTreeWidgetItem*> selected = m_list->selectedItems();
  if (selected.isEmpty()) return;
  int index = selected.first()->data(0, Qt::UserRole).toInt();
  if (index != m_model.activeIndex()) activateRow(index);
}

void PropertySheet::activateRow(int index) {
  int previous = m_model.activeIndex();
  m_model.activateRow(index);
  redrawRow(previous);
  showEditor();
  if (m_model.activeIndex() >= 0) {
    QTreeWidgetItem* item = m_list->topLevelItem(m_model.activeIndex());
    if (item && m_list->currentItem() != item) {
      m_filling = true;
      m_list->setCurrentItem(item);
      m_filling = false;
    }
  }
  m_list->viewport()->update();
}

void PropertySheet::showEditor() {
  {
    // Filling the editors is not an edit.
    QScopedValueRollback<bool> filling(m_filling, true);
    fillEditors();
  }
  nameEditors(m_pane, m_model.activeRow(), m_texts);
  updateButtonFace();
  layoutParts();
}

void PropertySheet::fillEditors() {
  const PropertyRow* row = m_model.activeRow();
  QLineEdit* box = m_pane->textBox();
  QComboBox* drop = m_pane->dropDown();
  QDateTimeEdit* picker = m_pane->picker();
  EditorKind editor = row ? editorOf(row->rowKind) : EditorKind::None;
  box->setVisible(editor == EditorKind::Text || editor == EditorKind::Number);
  drop->setVisible(editor == EditorKind::Choice);
  picker->setVisible(editor == EditorKind::Time || editor == EditorKind::DateTime);
  m_pane->button()->setVisible(row && row->hasButton());
  if (editor == EditorKind::Text) {
    box->setValidator(nullptr);
    box->setAlignment(Qt::AlignLeft);
    box->setMaxLength(row->maxChars > 1 ? row->maxChars - 1 : 32767);
    box->setText(toQString(row->valueText));
  } else if (editor == EditorKind::Number) {
    box->setMaxLength(32767);
    box->setValidator(m_digitsOnly);
    box->setAlignment(Qt::AlignRight);
    box->setText(toQString(row->valueText));
  } else if (editor == EditorKind::Choice) {
    drop->clear();
    for (const std::u16string& choice : row->choices) drop->addItem(toQString(choice));
    drop->setCurrentIndex(row->choiceIndex);
  } else if (editor == EditorKind::Time) {
    picker->setDisplayFormat("HH:mm");
    picker->setDateTime(QDateTime(QDate::currentDate(), QTime(row->dateTime.hour, row->dateTime.minute)));
  } else if (editor == EditorKind::DateTime) {
    picker->setDisplayFormat("yyyy/MM/dd HH:mm");
    const CalendarTime& t = row->dateTime;
    picker->setDateTime(QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second)));
  }
}

void PropertySheet::rowChanged() {
  updateButtonFace();
  m_pane->update();
  redrawRow(m_model.activeIndex());
}

void PropertySheet::redrawRow(int index) {
  QTreeWidgetItem* item = m_list->topLevelItem(index);
  if (!item) return;
  if (const PropertyRow* row = m_model.row(index)) nameRowEntry(item, *row);
  m_list->viewport()->update(m_list->visualItemRect(item));
}

void PropertySheet::updateButtonFace() {
  const PropertyRow* row = m_model.activeRow();
  QColor face;
  if (row && row->isColourRow) {
    std::uint32_t c = parseColour(row->valueText);
    face = QColor(redOf(c), greenOf(c), blueOf(c));
  }
  m_pane->button()->setFaceColour(face);
}

void PropertySheet::focusEditor() {
  const PropertyRow* row = m_model.activeRow();
  QTreeWidgetItem* current = m_list->currentItem();
  if (current && current->isSelected() && (!row || row->index != current->data(0, Qt::UserRole).toInt())) {
    activateRow(current->data(0, Qt::UserRole).toInt());
    row = m_model.activeRow();
  }
  if (!row) return;
  switch (editorOf(row->rowKind)) {
    case EditorKind::Text:
    case EditorKind::Number:
      m_pane->textBox()->setFocus();
      m_pane->textBox()->selectAll();
      QGuiApplication::inputMethod()->show();
      break;
    case EditorKind::Choice: m_pane->dropDown()->setFocus(); break;
    case EditorKind::Time:
    case EditorKind::DateTime:
      m_pane->picker()->setFocus();
      QGuiApplication::inputMethod()->show();
      break;
    case EditorKind::None: break;
  }
}

void PropertySheet::pressButton() {
  if (!m_model.activeRow()) return;
  m_model.pressButton();
  // The action may have stored a new value: the editor, the button and the row show it.
  if (const PropertyRow* row = m_model.activeRow()) {
    QLineEdit* box = m_pane->textBox();
    if (box->isVisible() && box->text() != toQString(row->valueText)) {
      m_filling = true;
      box->setText(toQString(row->valueText));
      m_filling = false;
    }
  }
  rowChanged();
  focusList();
}

void PropertySheet::focusList() {
  m_list->setFocus();
  QGuiApplication::inputMethod()->hide();
}

void PropertySheet::setDefaultHint(const std::u16string& hint) {
  m_model.setDefaultHint(hint);
  layoutParts();
}

void PropertySheet::setPointSize(int points) {
  m_points = points;
  makeFonts();
  for (int i = 0; i < m_list->topLevelItemCount(); ++i)
    m_list->topLevelItem(i)->setSizeHint(0, QSize(0, m_delegate->rowHeight()));
  m_list->doItemsLayout();
}

void PropertySheet::makeFonts() {
  QFont base = QApplication::font();
  base.setPixelSize(qMax(1, m_points * m_scale.dpiY / 72));
  m_normal = base;
  m_normal.setWeight(QFont::Normal);
  m_bold = base;
  m_bold.setWeight(QFont::Bold);
  for (QWidget* editor : {static_cast<QWidget*>(m_pane->textBox()), static_cast<QWidget*>(m_pane->dropDown()),
                          static_cast<QWidget*>(m_pane->button()), static_cast<QWidget*>(m_pane->picker())})
    editor->setFont(m_bold);
  m_tabs->setFont(m_normal);
  m_pane->setTextFont(m_normal);
  const int finger = fingerPixels(this);
  m_delegate->setFonts(m_normal, m_bold, m_scale.dpiY, finger);
  if (finger > 0) m_tabs->setStyleSheet(QStringLiteral("QTabBar::tab { min-height: %1px; }").arg(finger));
}

int PropertySheet::columnWidth() const { return m_list->columnWidth(0); }

void PropertySheet::showSheet(bool visible) {
  // A hidden list's entries would still tell a screen reader they are on the screen: while the
  // sheet is hidden its list holds none, and they come back from the rows when it is shown.
  {
    QScopedValueRollback<bool> filling(m_filling, true);
    if (!visible) {
      m_list->clear();
    } else if (m_list->topLevelItemCount() == 0) {
      fillList();
      if (QTreeWidgetItem* item = m_list->topLevelItem(m_model.activeIndex())) m_list->setCurrentItem(item);
    }
  }
  setEnabled(visible);
  setVisible(visible);
  if (visible) {
    raise();
    m_list->setFocus();
  }
}

void PropertySheet::relayout() {
  if (parentWidget()) setGeometry(parentWidget()->rect());
  layoutParts();
}

void PropertySheet::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  layoutParts();
}

void PropertySheet::keyPressEvent(QKeyEvent* event) {
  // Navigation keys an editor left unused end here: the window behind the sheet would scroll
  // its hidden view with them. Others (Escape) go on to the window.
  switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: event->accept(); return;
    default: QWidget::keyPressEvent(event);
  }
}

void PropertySheet::layoutParts() {
  const PropertyRow* row = m_model.activeRow();
  SheetLayout l = layoutSheet(width(), height(), m_scale.dpiX, m_scale.dpiY, row && row->hasButton(), fingerPixels(this));
  m_pane->setGeometry(toQRect(l.pane));
  m_pane->textBox()->setGeometry(toQRect(l.editor));
  m_pane->dropDown()->setGeometry(toQRect(l.editor));
  m_pane->dropDown()->view()->setMinimumWidth(l.dropDownMinWidth);
  m_pane->dropDown()->setMaxVisibleItems(qMax(1, l.dropDownHeight / qMax(1, m_pane->dropDown()->height())));
  m_pane->picker()->setGeometry(toQRect(l.editor));
  m_pane->button()->setGeometry(toQRect(l.button));
  m_pane->setHint(toQString(m_model.paneText()), toQRect(l.hint), m_model.paneTextBelowEditor());
  m_list->setGeometry(toQRect(l.list));
  m_tabs->setGeometry(toQRect(l.tabs));
}

bool PropertySheet::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_list && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    int page = m_model.currentPage();
    switch (key->key()) {
      case Qt::Key_Left:
      case Qt::Key_Right: {
        int next = page + (key->key() == Qt::Key_Left ? -1 : 1);
        if (next >= 0 && next < m_model.pageCount()) selectPage(next);
        return true;
      }
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_Home:
      case Qt::Key_End: {
        // With nothing selected yet, the first move selects the first (End: the last) row.
        if (!m_list->selectedItems().isEmpty() || m_list->topLevelItemCount() == 0) return false;
        int row = key->key() == Qt::Key_End ? m_list->topLevelItemCount() - 1 : 0;
        m_list->setCurrentItem(m_list->topLevelItem(row));
        return true;
      }
      case Qt::Key_Tab: {
        // Tab moves the selection down like Down does, rather than leaving the list.
        QTreeWidgetItem* current = m_list->currentItem();
        int row = current && current->isSelected() ? m_list->indexOfTopLevelItem(current) + 1 : 0;
        if (QTreeWidgetItem* item = m_list->topLevelItem(row)) m_list->setCurrentItem(item);
        return true;
      }
      default: break;
    }
    return false;
  }
  if (watched == m_pane->textBox() && event->type() == QEvent::KeyPress) {
    if (isKey(event, {Qt::Key_Return, Qt::Key_Enter})) {
      focusList();
      return true;
    }
    if (isKey(event, {Qt::Key_Up, Qt::Key_Down})) {
      const PropertyRow* row = m_model.activeRow();
      if (row && row->hasButton()) pressButton();
    }
    return false;
  }
  if (watched == m_pane->dropDown() && isKey(event, {Qt::Key_Left, Qt::Key_Right})) {
    focusList();
    return true;
  }
  if (watched == m_pane->picker() && isKey(event, {Qt::Key_Return, Qt::Key_Enter})) {
    focusList();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace nibblet
