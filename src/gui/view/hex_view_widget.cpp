#include "gui/view/hex_view_widget.h"

#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>

#include "core/document/change_log.h"
#include "core/i18n/command_ids.h"
#include "core/i18n/string_ids.h"
#include "core/i18n/string_module.h"
#include "core/settings/colour_text.h"
#include "core/settings/settings.h"
#include "gui/platform/qt_text.h"
#include "core/platform/wait_cursor.h"
#include "core/view/byte_menu_model.h"
#include "core/view/entry_dialog_model.h"
#include "core/view/goto_dialog_model.h"
#include "core/view/search_dialog_model.h"
#include "gui/platform/modal_sheet.h"
#include "gui/platform/physical_size.h"
#include "gui/platform/screen_fit.h"
#include "gui/platform/qt_message_box.h"
#include "gui/platform/tap_and_hold.h"
#include "gui/view/bar_dialog.h"
#include "gui/view/byte_menu.h"
#include "gui/view/view_font.h"
#include "gui/view/view_touch.h"

namespace nibblet {
namespace {

QColor colourOf(std::uint32_t colour) { return QColor(redOf(colour), greenOf(colour), blueOf(colour)); }

QRect toQRect(const Rect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

}  // namespace

HexViewWidget::HexViewWidget(QWidget* parent, const Settings& settings, const Texts& texts,
                             MessageBox& messages, const CodePage& codePage)
    : QFrame(parent),
      m_settings(settings),
      m_texts(texts),
      m_messages(messages),
      m_codePage(codePage),
      m_view(m_measure),
      m_scrollBar(new QScrollBar(Qt::Vertical, this)),
      m_tapAndHold(new TapAndHold(this)),
      m_touch(new ViewTouch(this, m_tapAndHold)) {
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setLineWidth(1);
  setAutoFillBackground(true);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  white.setColor(QPalette::WindowText, Qt::black);
  setPalette(white);

  // The rows are painted, not made of widgets: a screen reader gets the view's name.
  setAccessibleName(toQString(texts.loadText(kIdsHexViewName)));
  m_scrollBar->setAccessibleName(toQString(texts.loadText(kIdsScrollBarName)));
  m_scrollBar->setRange(0, kScrollScale);
  m_scrollBar->setSingleStep(1);
  m_scrollBar->setFocusPolicy(Qt::NoFocus);
  m_scrollBar->installEventFilter(this);
  connect(m_scrollBar, &QScrollBar::actionTriggered, this, &HexViewWidget::scrollAction);
  connect(m_scrollBar, &QScrollBar::sliderReleased, this, [this] {
    m_view.scroll(ScrollRequest::ThumbPosition);
    showScrollState();
  });
  connect(m_scrollBar, &QScrollBar::valueChanged, this, &HexViewWidget::barValueChanged);

  connect(m_tapAndHold, &TapAndHold::pressed, this, &HexViewWidget::onPressed);
  connect(m_tapAndHold, &TapAndHold::tapped, this, &HexViewWidget::onTapped);
  connect(m_tapAndHold, &TapAndHold::held, this, &HexViewWidget::onHeld);
  connect(m_touch, &ViewTouch::fontSizeRequested, this, &HexViewWidget::fontSizeRequested);

  m_view.refreshBrushes(m_settings);
  applyFont(m_settings.boundedFontSize());
  m_view.setFontSize(m_settings.boundedFontSize());
  relayout(1, (dpiY() + 48) / 96, 0, 0);
}

HexViewWidget::~HexViewWidget() = default;

int HexViewWidget::dpiX() const { return logicalDpiX() > 0 ? logicalDpiX() : 96; }
int HexViewWidget::dpiY() const { return logicalDpiY() > 0 ? logicalDpiY() : 96; }

QPoint HexViewWidget::clientOrigin() const { return QPoint(frameWidth(), frameWidth()); }

ViewFrame HexViewWidget::frame() const {
  ViewFrame f;
  if (QWidget* parent = parentWidget()) {
    f.parentWidth = parent->contentsRect().width();
    f.parentHeight = parent->contentsRect().height();
  }
  f.dpiX = dpiX();
  f.chromeWidth = 2 * frameWidth() + scrollBarWidth();
  f.chromeHeight = 2 * frameWidth();
  return f;
}

void HexViewWidget::applyFont(int points) {
  int cellHeight = std::max(1, HexView::fontPixelHeight(points, dpiY()));
  QFont font = viewFont(cellHeight, m_settings.useBoldFont ? FontWeight::Bold : FontWeight::Normal,
                        m_settings.useClearType == 1 ? FontSmoothing::Antialiased : FontSmoothing::Default);
  m_measure.setFont(font, cellHeight);
}

void HexViewWidget::setData(std::uint8_t* bytes, std::uint32_t size, std::uint32_t start) {
  m_view.setData(bytes, size, start);
  textChanged();
}

void HexViewWidget::setEditable(bool editable) { m_view.setEditable(editable); }

void HexViewWidget::setChangeLog(ChangeLog* log) {
  m_view.setChangeLog(log);
  update();
}

void HexViewWidget::setDiffSet(const DiffSet* diffs) {
  m_view.setDiffSet(diffs);
  update();
}

void HexViewWidget::setToolbarHeight(int pixels) {
  m_toolbarHeight = pixels;
  m_view.setToolbarHeight(pixels + m_panelHeight);
}

void HexViewWidget::setPanelHeight(int pixels) {
  if (pixels == m_panelHeight) return;
  m_panelHeight = pixels;
  setToolbarHeight(m_toolbarHeight);
  relayout(m_place.x(), m_place.y(), m_place.width(), m_place.height());
}

void HexViewWidget::relayout(int x, int y, int width, int height) {
  m_place = QRect(x, y, width, height);
  m_view.relayout(x, y, width, height, frame());
  setGeometry(m_view.x(), m_view.y(), std::max(0, m_view.width()), std::max(0, m_view.height()));
  placeScrollBar();
  textChanged();
}

void HexViewWidget::setFontSize(int points) {
  applyFont(points);
  m_view.setFontSize(points);
  m_view.rebuildText();
  textChanged();
}

void HexViewWidget::refreshBrushes() {
  m_view.refreshBrushes(m_settings);
  update();
}

void HexViewWidget::rebuildText() {
  m_view.rebuildText();
  textChanged();
}

void HexViewWidget::gotoOffset(std::uint32_t offset) {
  m_view.gotoOffset(offset);
  textChanged();
}

void HexViewWidget::searchNext() {
  NullWaitCursor noCursor;
  MessageOwnerScope owner(m_messages, this);
  SearchDialogModel::searchNext(m_view, m_texts, m_messages, m_waitCursor ? *m_waitCursor : noCursor);
  textChanged();
}

void HexViewWidget::openSearch() {
  NullWaitCursor noCursor;
  SearchDialogModel model(m_view, m_texts, m_codePage, m_messages, m_waitCursor ? *m_waitCursor : noCursor);
  BarDialog dialog(this, model, m_texts, dpiX());
  MessageOwnerScope owner(m_messages, &dialog);  // "Not found" stands over the dialog
  dialog.exec();
  textChanged();
}

void HexViewWidget::openGoto() {
  GotoDialogModel model(m_view, m_texts);
  BarDialog dialog(this, model, m_texts, dpiX());
  dialog.exec();
  textChanged();
}

void HexViewWidget::openByteMenu(int x) {
  if (m_view.tapOffset() == kNoOffset || m_view.tapOffset() >= m_view.size()) return;
  ByteMenuModel model(m_view, m_texts, m_messages);
  QPoint at = mapToGlobal(clientOrigin() + QPoint(x, m_view.tapRowTop()));
  std::vector<ByteMenuItem> items = model.items();
  if (m_valuesItemShown) items.push_back({kCmdValues, m_texts.loadText(kIdsValues), true});
  const std::uint32_t offset = m_view.tapOffset();
  int chosen = runByteMenu(this, items, at);
  if (chosen == kCmdValues) {
    emit valuesRequested(offset);
    return;
  }
  bool changed = model.command(chosen);
  textChanged();
  if (changed) emit bytesChanged();
}

bool HexViewWidget::handleArrowKey(Qt::Key key) {
  switch (key) {
    case Qt::Key_Left: m_view.arrowKey(ArrowKey::Left); break;
    case Qt::Key_Right: m_view.arrowKey(ArrowKey::Right); break;
    case Qt::Key_Up: m_view.arrowKey(ArrowKey::Up); break;
    case Qt::Key_Down: m_view.arrowKey(ArrowKey::Down); break;
    default: return false;
  }
  textChanged();
  return true;
}

bool HexViewWidget::scrollToRow(std::uint64_t row) {
  if (!m_view.scrollToRow(row)) return false;
  textChanged();
  return true;
}

void HexViewWidget::show(bool visible) {
  setVisible(visible);
  raise();
}

void HexViewWidget::refreshDisplayText() {
  const std::u16string& rows = m_view.rowsText();
  QString text = QString::fromUtf16(rows.data(), static_cast<qsizetype>(rows.size()));
  // Two characters break the drawing of a row: the soft hyphen is drawn without width (the rest
  // of its row would slip one cell to the left), and U+009C ends the drawing of all text after
  // it. They are shown as a hyphen and as the box the other C1 controls get.
  text.replace(QChar(0x00AD), QLatin1Char('-'));
  text.replace(QChar(0x009C), QChar(0x0080));
  m_displayRows = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

void HexViewWidget::textChanged() {
  refreshDisplayText();
  showScrollState();
  update();
  emit contentChanged();
}

int HexViewWidget::scrollBarWidth() const {
  // Wide enough for a finger on the glass, and never narrower than the style draws it.
  return std::max(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scrollBar),
                  physicalPixels(kScrollBarMillimetres, this));
}

void HexViewWidget::placeScrollBar() {
  int extent = scrollBarWidth();
  QRect inside = contentsRect();
  m_scrollBar->setGeometry(inside.right() + 1 - extent, inside.top(), extent, inside.height());
}

void HexViewWidget::showScrollState() {
  m_updatingBar = true;
  // The bar's range ends where its page begins, so the thumb is as long as the share of the
  // file on screen and its lowest place is the last page.
  m_scrollBar->setRange(0, m_view.scrollBarMaximum());
  m_scrollBar->setPageStep(std::max(1, m_view.scrollPage()));
  m_scrollBar->setSliderPosition(m_view.scrollThumb());
  m_updatingBar = false;
}

void HexViewWidget::barValueChanged(int value) {
  if (m_updatingBar || m_scrollBar->isSliderDown() || value == m_view.scrollThumb()) return;
  // The bar moved itself without an action ("Scroll here" of its menu): a drag to that place.
  m_view.scroll(ScrollRequest::ThumbTrack, value);
  m_view.scroll(ScrollRequest::ThumbPosition);
  textChanged();
}

void HexViewWidget::scrollAction(int action) {
  if (m_updatingBar) return;
  ScrollRequest request = ScrollRequest::Other;
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: request = ScrollRequest::LineUp; break;
    case QAbstractSlider::SliderSingleStepAdd: request = ScrollRequest::LineDown; break;
    case QAbstractSlider::SliderPageStepSub: request = ScrollRequest::PageUp; break;
    case QAbstractSlider::SliderPageStepAdd: request = ScrollRequest::PageDown; break;
    case QAbstractSlider::SliderToMinimum: request = ScrollRequest::Top; break;
    case QAbstractSlider::SliderToMaximum: request = ScrollRequest::Bottom; break;
    case QAbstractSlider::SliderMove:
      if (m_scrollBar->isSliderDown()) {
        // Dragging: the text follows, the thumb stays where the user holds it.
        m_view.scroll(ScrollRequest::ThumbTrack, m_scrollBar->sliderPosition());
        refreshDisplayText();
        update();
        return;
      }
      break;
    default: break;
  }
  if (m_view.scroll(request)) {
    refreshDisplayText();
    update();
  }
  // Qt has already moved the thumb for the action; the value it applies next must be the
  // view's (unchanged when the request did nothing).
  m_scrollBar->setSliderPosition(m_view.scrollThumb());
}

bool HexViewWidget::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_scrollBar && event->type() == QEvent::Wheel) {
    wheelEvent(static_cast<QWheelEvent*>(event));
    return true;
  }
  return QFrame::eventFilter(watched, event);
}

void HexViewWidget::wheelEvent(QWheelEvent* event) {
  // Fine-grained wheels and touch pads send parts of a notch: they add up to whole notches.
  m_wheelAngle += event->angleDelta().y();
  int notches = m_wheelAngle / 120;
  m_wheelAngle -= notches * 120;
  bool changed = false;
  for (int i = 0; i < 3 * std::abs(notches); ++i)
    changed |= m_view.scroll(notches > 0 ? ScrollRequest::LineUp : ScrollRequest::LineDown);
  if (changed) textChanged();
  event->accept();
}

void HexViewWidget::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  placeScrollBar();
}

void HexViewWidget::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  if (!m_view.hasRowsText()) return;
  QPainter p(this);
  QRect client(clientOrigin(), QSize(m_view.clientWidth(), m_view.clientHeight()));
  p.setClipRect(client);
  p.translate(client.topLeft());
  m_view.collectMarks(m_marks);
  for (const Mark& mark : m_marks) {
    QColor colour = colourOf(m_view.markColour(mark.kind));
    p.fillRect(toQRect(mark.hexCell), colour);
    p.fillRect(toQRect(mark.textCell), colour);
  }
  p.setFont(m_measure.font());
  p.setPen(Qt::black);
  // Row by row at the view's pitch: the font's own lines may be a pixel lower than a cell.
  const int pitch = m_view.lineHeight();
  for (qsizetype row = 0; row < m_displayRows.size(); ++row) {
    QRect line(0, static_cast<int>(row) * pitch, m_view.clientWidth(), pitch);
    if (!line.intersects(event->rect().translated(-client.topLeft()))) continue;
    p.drawText(line, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_displayRows[row]);
  }
}

void HexViewWidget::onPressed(QPoint pos) {
  QPoint at = pos - clientOrigin();
  switch (m_view.tap(at.x(), at.y())) {
    case TapResult::Goto:
      // A stylus opens Goto as it touches down; a finger may be starting a swipe, so its tap
      // decides.
      if (m_tapAndHold->isFingerPress()) break;
      m_tapAndHold->cancel();
      emit gotoRequested();
      break;
    case TapResult::Nothing:
      m_tapAndHold->cancel();
      break;
    case TapResult::Byte:
      break;  // a tap or a hold decides
  }
}

void HexViewWidget::onTapped(QPoint pos) {
  QPoint at = pos - clientOrigin();
  switch (m_view.tap(at.x(), at.y())) {
    case TapResult::Byte:
      emit byteTouched(m_view.tapOffset());
      openEntry();
      break;
    case TapResult::Goto: emit gotoRequested(); break;  // a finger's tap on the offset column
    case TapResult::Nothing: break;
  }
}

void HexViewWidget::onHeld(QPoint pos) {
  QPoint at = pos - clientOrigin();
  if (m_view.tap(at.x(), at.y()) != TapResult::Byte) return;
  emit byteTouched(m_view.tapOffset());
  emit byteMenuRequested(at.x(), at.y());
}

void HexViewWidget::openEntry() {
  if (m_view.size() == 0) return;
  // A document that takes no bytes now (shown read-only, or its file replaced on the spot) says
  // so, or has asked already, instead of offering an editor whose bytes would go nowhere.
  if (ChangeLog* log = m_view.changeLog(); log && !log->mayWrite()) {
    m_view.endEntry();
    update();
    return;
  }
  EntryDialogModel model(m_view, m_texts, m_codePage, m_messages);
  update();  // the entry marker
  BarDialog dialog(this, model, m_texts, dpiX());
  // A sheet inside the window, so that it lies where the tapped row stays in view whatever
  // the display server does with dialog windows.
  ModalSheet sheet(&dialog, window());
  ScreenFit::of(&dialog)->keepRowInView([this] { return entryRow(); }, [this](int pixels) { scrollRowsUp(pixels); });
  sheet.exec();
  if (m_view.isEntryOpen()) m_view.endEntry();
  textChanged();
  if (model.bytesWritten() > 0) emit bytesChanged();
}

KeptRow HexViewWidget::entryRow() {
  KeptRow kept;
  const std::uint32_t offset = m_view.tapOffset();
  if (offset == kNoOffset) return kept;
  Rect cell;
  // A turn of the screen may have laid the rows out anew: the tapped row comes back into view.
  if (!m_view.hexCell(offset, cell)) {
    scrollToRow(offset / m_view.bytesPerRow());
    if (!m_view.hexCell(offset, cell)) return kept;
  }
  QWidget* top = window();
  const QPoint origin = mapTo(top, clientOrigin());
  kept.row = QRect(origin.x(), origin.y() + cell.top, m_view.clientWidth(), cell.bottom - cell.top);
  kept.highestTop = origin.y();
  return kept;
}

void HexViewWidget::scrollRowsUp(int pixels) {
  const int line = std::max(1, m_view.lineHeight());
  const std::uint64_t rows = static_cast<std::uint64_t>((pixels + line - 1) / line);
  scrollToRow(m_view.topOffset() / m_view.bytesPerRow() + rows);
}

}  // namespace nibblet
