#include "gui/inspect/values_panel.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScroller>
#include <QTimer>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "core/i18n/string_ids.h"
#include "core/i18n/string_module.h"
#include "core/inspect/value_entry_model.h"
#include "core/view/byte_menu_model.h"
#include "gui/inspect/value_row.h"
#include "gui/platform/physical_size.h"
#include "gui/platform/qt_text.h"
#include "gui/view/bar_dialog.h"
#include "gui/view/byte_menu.h"
#include "gui/view/hex_view_widget.h"

namespace nibblet {
namespace {

// A row is a target for a finger: at least this tall on the glass.
constexpr double kRowMillimetres = 7.0;
// The open panel takes at most this share of its parent's height; the view keeps the rest.
constexpr int kMostPercent = 45;
constexpr int kMostColumns = 3;

QString arrowed(bool open, const std::u16string& title) {
  return QString(QChar(open ? 0x25BE : 0x25B8)) + QLatin1Char(' ') + toQString(title);
}

}  // namespace

ValuesPanel::ValuesPanel(HexViewWidget* view, RegistryKey& key, const Texts& texts, MessageBox& messages)
    : QFrame(view->parentWidget()),
      m_view(view),
      m_texts(texts),
      m_messages(messages),
      m_model(view->view(), texts, key),
      m_title(new QPushButton(this)),
      m_order(new QPushButton(this)),
      m_scroll(new QScrollArea(this)),
      m_rowsHost(new QWidget(this)),
      m_grid(new QGridLayout(m_rowsHost)) {
  setObjectName("valuesPanel");
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setLineWidth(1);
  setAutoFillBackground(true);
  setStyleSheet(
      "#valuesTitleBar { background: #dde4ee; }"
      "#valuesTitleBar QPushButton { border: none; padding: 0 8px; font-weight: bold; color: #1c2b45;"
      " text-align: left; }"
      "#valuesTitleBar QPushButton:pressed, #valuesTitleBar QPushButton:checked { background: #c5d0e0; }");
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  white.setColor(QPalette::WindowText, Qt::black);
  white.setColor(QPalette::PlaceholderText, QColor(0x5a, 0x63, 0x70));
  setPalette(white);

  m_rowHeight = std::max(physicalPixels(kRowMillimetres, view), fontMetrics().height() + 10);

  auto* titleBar = new QWidget(this);
  titleBar->setObjectName("valuesTitleBar");
  titleBar->setAttribute(Qt::WA_StyledBackground);
  auto* titleLine = new QHBoxLayout(titleBar);
  titleLine->setContentsMargins(0, 0, 0, 0);
  titleLine->setSpacing(0);
  m_title->setObjectName("valuesTitle");
  m_title->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  m_title->setMinimumHeight(m_rowHeight);
  m_title->setFocusPolicy(Qt::NoFocus);
  m_order->setObjectName("valuesByteOrder");
  m_order->setCheckable(true);
  m_order->setMinimumHeight(m_rowHeight);
  m_order->setFocusPolicy(Qt::NoFocus);
  titleLine->addWidget(m_title, 1);
  titleLine->addWidget(m_order);
  connect(m_title, &QPushButton::clicked, this, [this] { setOpen(!m_model.isOpen()); });
  connect(m_order, &QPushButton::clicked, this, [this](bool big) {
    m_model.setByteOrder(big ? ByteOrder::Big : ByteOrder::Little);
    showState();
  });

  // The rows: the names in one column as wide as the widest name.
  int nameWidth = 0;
  for (int id : {kIdsSelected, kIdsSum, kIdsCrc32})
    nameWidth = std::max(nameWidth, fontMetrics().horizontalAdvance(toQString(texts.loadText(id))));
  for (const PanelRow& row : m_model.rows())
    nameWidth = std::max(nameWidth, fontMetrics().horizontalAdvance(toQString(row.name)));
  nameWidth += 4;
  m_nameWidth = nameWidth;
  m_rowsHost->hide();  // until the rows are made and it goes into the scroll area
  m_grid->setContentsMargins(0, 0, 0, 0);
  m_grid->setSpacing(0);
  m_scroll->setWidgetResizable(true);
  m_scroll->setFrameShape(QFrame::NoFrame);
  m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // The arrow keys stay with the main window, which scrolls the view with them.
  m_scroll->setFocusPolicy(Qt::NoFocus);
  // A finger swipes the rows; a tap still edits one.
  QScroller::grabGesture(m_scroll->viewport(), QScroller::TouchGesture);
  // The bar is as wide as the view's, for the same finger.
  m_scroll->verticalScrollBar()->setFixedWidth(
      std::max(m_scroll->verticalScrollBar()->sizeHint().width(), physicalPixels(HexViewWidget::kScrollBarMillimetres, view)));

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(titleBar);
  column->addWidget(m_scroll, 1);

  view->setValuesItemShown(true);
  connect(view, &HexViewWidget::byteTouched, this, [this](quint32 offset) {
    m_model.follow(offset);
    showState();
  });
  connect(view, &HexViewWidget::valuesRequested, this, [this](quint32 offset) {
    m_model.follow(offset);
    setOpen(true);
  });
  connect(view, &HexViewWidget::contentChanged, this, [this] {
    m_model.refresh();
    showState();
  });
  connect(view, &QObject::destroyed, this, &ValuesPanel::viewGone);
  view->installEventFilter(this);
  parentWidget()->installEventFilter(this);

  // Open at start, the panel gets its rows right after the view's first paint
  m_rowsDeferred = m_model.isOpen();
  showState();
  fit();
  setVisible(!view->isHidden());
  // (and at the latest after a second, for a view that is not painted).
  if (m_rowsDeferred) QTimer::singleShot(1000, this, &ValuesPanel::endDeferral);
}

void ValuesPanel::endDeferral() {
  if (!m_rowsDeferred) return;
  m_rowsDeferred = false;
  showState();
  fit();
}

void ValuesPanel::buildRows() {
  if (m_rowsBuilt) return;
  m_rowsBuilt = true;
  const int nameWidth = m_nameWidth;
  for (int i = 0; i < 3; ++i) {
    auto* row = new ValueRow(m_rowsHost, m_rowHeight, nameWidth);
    row->setObjectName(QString("selectionRow%1").arg(i));
    row->setEditable(false);
    row->hide();
    m_selection.push_back(row);
  }
  for (const PanelRow& panelRow : m_model.rows()) {
    auto* row = new ValueRow(m_rowsHost, m_rowHeight, nameWidth);
    const ValueKind kind = panelRow.kind;
    row->setObjectName(QString("valueRow%1").arg(static_cast<int>(kind)));
    connect(row, &ValueRow::tapped, this, [this, kind] { editRow(kind); });
    connect(row, &ValueRow::held, this, [this, kind](QPoint at) { rowMenu(kind, at); });
    m_rows.push_back(row);
  }
  m_scroll->setWidget(m_rowsHost);
  m_columns = 0;  // arranged by the next fit
}

void ValuesPanel::viewGone() {
  // The model reads the view's state: nothing may use it from here on.
  m_view = nullptr;
  hide();
  deleteLater();
}

void ValuesPanel::setOpen(bool open) {
  m_model.setOpen(open);
  showState();
  fit();
}

void ValuesPanel::showState() {
  const bool open = m_model.isOpen();
  m_title->setText(arrowed(open, m_model.title()));
  m_order->setText(toQString(m_model.byteOrderText()));
  m_order->setChecked(m_model.byteOrder() == ByteOrder::Big);
  if (open && !m_rowsDeferred) buildRows();
  m_scroll->setVisible(open && m_rowsBuilt);
  if (!m_rowsBuilt) return;

  for (const PanelRow& row : m_model.rows()) {
    ValueRow* widget = m_rows[static_cast<std::size_t>(row.kind)];
    widget->setTexts(toQString(row.name), toQString(row.text));
    widget->setEditable(row.editable);
  }
  const std::vector<PanelRow>& selection = m_model.selectionRows();
  for (std::size_t i = 0; i < m_selection.size(); ++i)
    if (i < selection.size()) m_selection[i]->setTexts(toQString(selection[i].name), toQString(selection[i].text));
  if (selection.empty() == m_selectionShown) {
    m_selectionShown = !selection.empty();
    arrangeRows();
    fit();
  }
}

void ValuesPanel::arrangeRows() {
  while (m_grid->count() > 0) delete m_grid->takeAt(0);
  std::vector<ValueRow*> shown;
  for (ValueRow* row : m_selection) {
    row->setVisible(m_selectionShown);
    if (m_selectionShown) shown.push_back(row);
  }
  shown.insert(shown.end(), m_rows.begin(), m_rows.end());
  // Down the first column, then the next: the rows keep their order for the eye.
  const int columns = std::max(1, m_columns);
  const int perColumn = static_cast<int>((shown.size() + static_cast<std::size_t>(columns) - 1) / static_cast<std::size_t>(columns));
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const int r = static_cast<int>(i) % perColumn, c = static_cast<int>(i) / perColumn;
    // Every other row is shaded, so the eye keeps to a row from its name to its value.
    QPalette shade = shown[i]->palette();
    shade.setColor(QPalette::Window, r % 2 == 1 ? QColor(0xeb, 0xef, 0xf5) : QColor(Qt::white));
    shown[i]->setPalette(shade);
    shown[i]->setAutoFillBackground(true);
    m_grid->addWidget(shown[i], r, c);
  }
  m_grid->setRowStretch(perColumn, 1);
}

void ValuesPanel::fit() {
  if (!m_view) return;
  QWidget* parent = parentWidget();
  const int columns = columnsFor(m_view->width());
  if (columns != m_columns) {
    m_columns = columns;
    arrangeRows();
  }
  const int frame = 2 * frameWidth();
  int height = m_rowHeight + frame;
  if (m_model.isOpen()) {
    const int rows = static_cast<int>((m_model.rows().size() + (m_selectionShown ? m_selection.size() : 0) +
                                       static_cast<std::size_t>(columns) - 1) / static_cast<std::size_t>(columns));
    const int most = std::max(height + m_rowHeight, parent->height() * kMostPercent / 100);
    height = std::min(height + rows * m_rowHeight, most);
  }
  m_view->setPanelHeight(height);
  place();
}

int ValuesPanel::columnsFor(int width) const {
  // Columns side by side where the width has room for them, as on a turned screen.
  const int columnWidth = m_nameWidth + 24 +
                          fontMetrics().horizontalAdvance(QStringLiteral("-1.7976931348623157e+308"));
  return std::clamp(width / std::max(1, columnWidth), 1, kMostColumns);
}

void ValuesPanel::place() {
  if (!m_view) return;
  const QRect above = m_view->geometry();
  setGeometry(above.left(), above.bottom() + 1, above.width(), m_view->panelHeight());
  raise();
}

bool ValuesPanel::eventFilter(QObject* watched, QEvent* event) {
  if (m_view && watched == m_view) {
    switch (event->type()) {
      case QEvent::Move: place(); break;
      case QEvent::Resize:
        // A wider or narrower view may take another number of columns, and so another height.
        if (columnsFor(m_view->width()) != m_columns)
          fit();
        else
          place();
        break;
      case QEvent::Show: show(); break;
      case QEvent::Hide: hide(); break;
      case QEvent::Paint:
        // After the paint and whatever the paint itself sets going: two turns of the loop.
        if (m_rowsDeferred)
          QTimer::singleShot(0, this, [this] { QTimer::singleShot(0, this, &ValuesPanel::endDeferral); });
        break;
      default: break;
    }
  } else if (m_view && watched == parentWidget() && event->type() == QEvent::Resize) {
    fit();
  }
  return QFrame::eventFilter(watched, event);
}

void ValuesPanel::editRow(ValueKind kind) {
  if (!m_view || !m_model.rows()[static_cast<std::size_t>(kind)].editable) return;
  ValueEntryModel entry(m_model, kind, m_messages);
  BarDialog dialog(m_view, entry, m_texts, m_view->logicalDpiX() > 0 ? m_view->logicalDpiX() : 96);
  dialog.exec();
  if (m_view && entry.bytesWritten() > 0) m_view->rebuildText();
}

void ValuesPanel::rowMenu(ValueKind kind, QPoint globalPos) {
  if (!m_view) return;
  const PanelRow& row = m_model.rows()[static_cast<std::size_t>(kind)];
  std::vector<ByteMenuItem> items{{kByteMenuCopy, m_texts.loadText(kIdsCopy), row.copyable}};
  const std::u16string bytes = m_model.rowBytesText(kind);
  if (!bytes.empty()) {
    items.push_back({kByteMenuSeparator, u"", true});
    items.push_back({kByteMenuByteInfo, bytes, false});
  }
  if (runByteMenu(this, items, globalPos) == kByteMenuCopy && m_view) m_model.copyRow(kind);
}

}  // namespace nibblet
