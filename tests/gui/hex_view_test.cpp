// The hex view widget over a byte buffer: taps, tap-and-hold, Goto, scrolling and painting.

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointingDevice>
#include <QScrollBar>
#include <QScreen>
#include <QScroller>
#include <QStyleOptionSlider>
#include <QWheelEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <functional>
#include <vector>

#include "core/document/change_log.h"
#include "core/i18n/command_ids.h"
#include "core/i18n/string_module.h"
#include "core/platform/code_page.h"
#include "core/platform/message_box.h"
#include "core/settings/colour_text.h"
#include "core/settings/settings.h"
#include "gui/platform/modal_sheet.h"
#include "gui/platform/toolbar_images.h"
#include "gui/platform/tap_and_hold.h"
#include "gui/view/hex_view_widget.h"
#include "gui/view/view_font.h"

using namespace nibblet;

namespace {

// A view over 4000 bytes (byte i holds i mod 256) filling a 480 x 640 parent.
struct Harness {
  QWidget parent;
  Settings settings = Settings::defaults(u"/tmp");
  Texts texts;
  ScriptedMessageBox messages;
  Utf8CodePage codePage;
  ChangeLog log;
  std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(4000);
  HexViewWidget* view;

  Harness() {
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i);
    parent.resize(480, 640);
    view = new HexViewWidget(&parent, settings, texts, messages, codePage);
    view->setData(bytes.data(), static_cast<std::uint32_t>(bytes.size()), 0);
    view->setEditable(true);
    view->setChangeLog(&log);
    view->show(true);
    parent.show();
  }

  // The middle of the hex cell (or the text cell) of `offset`, in widget coordinates.
  QPoint cellCentre(std::uint32_t offset, bool text = false) const {
    Rect r;
    bool shown = text ? view->view().textCell(offset, r) : view->view().hexCell(offset, r);
    if (!shown) return {};
    return view->clientOrigin() + QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
};

// Closes any modal dialog that opens within `ms` and says whether one did.
class ModalWatch {
 public:
  explicit ModalWatch(int ms) {
    QTimer::singleShot(ms, [this] {
      if (QWidget* w = activeDialog()) {
        m_opened = true;
        w->close();
      }
    });
  }
  bool opened() const { return m_opened; }

 private:
  bool m_opened = false;
};

// The rectangle of a part of the scroll bar (its thumb, its groove), in the bar's coordinates.
QRect barPart(QScrollBar* bar, QStyle::SubControl part) {
  QStyleOptionSlider option;
  option.initFrom(bar);
  option.orientation = bar->orientation();
  option.minimum = bar->minimum();
  option.maximum = bar->maximum();
  option.sliderPosition = bar->sliderPosition();
  option.sliderValue = bar->value();
  option.singleStep = bar->singleStep();
  option.pageStep = bar->pageStep();
  option.subControls = QStyle::SC_All;
  return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar);
}

// Opens the bar's own context menu at `at` and chooses the item whose text is `item`; false
// when the menu or the item did not come.
bool chooseFromBarMenu(QScrollBar* bar, QPoint at, const QString& item) {
  bool chosen = false;
  QTimer::singleShot(50, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return;
    for (QAction* action : menu->actions()) {
      if (action->text() == item) {
        menu->setActiveAction(action);
        QTest::keyClick(menu, Qt::Key_Return);
        chosen = true;
        return;
      }
    }
    menu->close();
  });
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, bar->mapToGlobal(at));
  QApplication::sendEvent(bar, &event);
  return chosen;
}

void turnWheel(QWidget* target, int angle) {
  QPoint at = target->rect().center();
  QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(target, &event);
}

}  // namespace

class HexViewTest : public QObject {
  Q_OBJECT

 private slots:
  void tapOnAByteWritesTheTypedBytesAndLogsThem();
  void tapInTheTextColumnStartsInTextMode();
  void tapAndHoldDoesNotOpenTheEntryDialog();
  void tapOnTheOffsetColumnRequestsGoto();
  void aSwipeScrollsWithoutATapOrAHold();
  void dialog930ShowsItsCaptionInsideItself();
  void scrollBarAndArrowKeysMoveTheRows();
  void everyWayOfMovingTheScrollBarAgreesWithTheView();
  void everyByteValueKeepsTheRowsDrawn();
  void rowsAreTheCellHeightOfEveryFontSize();
  void toolbarImagesAreDrawn();
};

void HexViewTest::tapOnAByteWritesTheTypedBytesAndLogsThem() {
  Harness h;
  QVERIFY(QTest::qWaitForWindowExposed(&h.parent));
  QSignalSpy changed(h.view, &HexViewWidget::bytesChanged);
  QString caption, startText;
  bool pasteShown = true, hexChecked = false;
  QTimer::singleShot(100, [&] {
    QWidget* dialog = activeDialog();
    QVERIFY(dialog);
    caption = dialog->windowTitle();
    auto* edit = dialog->findChild<QLineEdit*>(QString::number(kIdEntryEdit));
    QVERIFY(edit);
    startText = edit->text();
    pasteShown = dialog->findChild<QToolButton*>(QString::number(kCmdBarPaste))->isVisible();
    hexChecked = dialog->findChild<QToolButton*>(QString::number(kCmdEntryHex))->isChecked();
    QVERIFY(h.view->view().isEntryOpen());
    QTest::keyClicks(edit, "41 42");  // replaces the selected starting text
    QTest::mouseClick(dialog->findChild<QToolButton*>(QString::number(kCmdOk)), Qt::LeftButton);
  });
  QTest::mouseClick(h.view, Qt::LeftButton, {}, h.cellCentre(0x10));

  QCOMPARE(caption, QStringLiteral("Enter byte(s)/character(s)"));
  QCOMPARE(startText, QStringLiteral("10"));
  QVERIFY(!pasteShown);
  QVERIFY(hexChecked);
  QCOMPARE(int(h.bytes[0x10]), 0x41);
  QCOMPARE(int(h.bytes[0x11]), 0x42);
  QCOMPARE(int(h.bytes[0x12]), 0x12);
  QCOMPARE(h.log.count(), 2u);
  QCOMPARE(h.log.entry(0).offset, 0x10u);
  QCOMPARE(int(h.log.entry(0).oldValue), 0x10);
  QCOMPARE(int(h.log.entry(0).newValue), 0x41);
  QCOMPARE(h.log.entry(1).offset, 0x11u);
  QCOMPARE(changed.count(), 1);
  QVERIFY(!h.view->view().isEntryOpen());
  QVERIFY(h.view->view().rowsText().find(u"41 42 12 ") != std::u16string::npos);

  // The changed cells are painted in the changes colour, exactly under their cells.
  QImage image = h.view->grab().toImage();
  Rect cell;
  QVERIFY(h.view->view().hexCell(0x10, cell));
  QPoint corner = h.view->clientOrigin() + QPoint(cell.left, cell.top);
  std::uint32_t changes = parseColour(textOf(h.settings.changesColor));
  QColor expected(redOf(changes), greenOf(changes), blueOf(changes));
  QCOMPARE(image.pixelColor(corner + QPoint(1, 1)), expected);
  QCOMPARE(image.pixelColor(corner + QPoint(cell.right - cell.left - 1, 1)), expected);
  QVERIFY(image.pixelColor(corner + QPoint(-1, 1)) != expected);  // byte 0x0F is unchanged
}

void HexViewTest::tapInTheTextColumnStartsInTextMode() {
  Harness h;
  QVERIFY(QTest::qWaitForWindowExposed(&h.parent));
  QString startText = QStringLiteral("unset");
  bool textChecked = false;
  QTimer::singleShot(100, [&] {
    QWidget* dialog = activeDialog();
    QVERIFY(dialog);
    startText = dialog->findChild<QLineEdit*>(QString::number(kIdEntryEdit))->text();
    textChecked = dialog->findChild<QToolButton*>(QString::number(kCmdEntryText))->isChecked();
    QTest::mouseClick(dialog->findChild<QToolButton*>(QString::number(kCmdCancel)), Qt::LeftButton);
  });
  QTest::mouseClick(h.view, Qt::LeftButton, {}, h.cellCentre(5, true));
  QCOMPARE(startText, QString());
  QVERIFY(textChecked);
  QCOMPARE(h.log.count(), 0u);
  QCOMPARE(h.view->view().tapOffset(), kNoOffset);
}

void HexViewTest::tapAndHoldDoesNotOpenTheEntryDialog() {
  Harness h;
  QVERIFY(QTest::qWaitForWindowExposed(&h.parent));
  QSignalSpy menu(h.view, &HexViewWidget::byteMenuRequested);
  QPoint at = h.cellCentre(0x21);

  // A right click arrives as a context-menu event.
  {
    ModalWatch watch(300);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, h.view->mapToGlobal(at));
    QApplication::sendEvent(h.view, &event);
    QTest::qWait(400);
    QVERIFY(!watch.opened());
  }
  QCOMPARE(menu.count(), 1);
  QCOMPARE(h.view->view().tapOffset(), 0x21u);

  // A press held past the hold time, then released.
  {
    ModalWatch watch(900);
    QTest::mousePress(h.view, Qt::LeftButton, {}, at);
    QTest::qWait(700);
    QTest::mouseRelease(h.view, Qt::LeftButton, {}, at);
    QTest::qWait(300);
    QVERIFY(!watch.opened());
  }
  QCOMPARE(menu.count(), 2);
  QCOMPARE(h.log.count(), 0u);

  // Nothing on bytes of a view that is not editable.
  h.view->setEditable(false);
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, h.view->mapToGlobal(at));
  QApplication::sendEvent(h.view, &event);
  QCOMPARE(menu.count(), 2);
}

void HexViewTest::tapOnTheOffsetColumnRequestsGoto() {
  Harness h;
  QVERIFY(QTest::qWaitForWindowExposed(&h.parent));
  QSignalSpy gotoSpy(h.view, &HexViewWidget::gotoRequested);
  ModalWatch watch(200);
  QTest::mouseClick(h.view, Qt::LeftButton, {}, h.view->clientOrigin() + QPoint(5, 40));
  QTest::qWait(300);
  QVERIFY(!watch.opened());
  QCOMPARE(gotoSpy.count(), 1);
  h.view->setEditable(false);  // Goto works on a view that is not editable too
  QTest::mouseClick(h.view, Qt::LeftButton, {}, h.view->clientOrigin() + QPoint(5, 40));
  QCOMPARE(gotoSpy.count(), 2);
}

void HexViewTest::aSwipeScrollsWithoutATapOrAHold() {
  Harness h;
  QVERIFY(QTest::qWaitForWindowExposed(&h.parent));
  QPointingDevice* finger = QTest::createTouchDevice(QInputDevice::DeviceType::TouchScreen);
  const HexView& core = h.view->view();
  const std::uint32_t row = core.bytesPerRow();
  QScroller* scroller = QScroller::scroller(h.view);
  QSignalSpy menu(h.view, &HexViewWidget::byteMenuRequested);
  auto settle = [&] { return QTest::qWaitFor([&] { return scroller->state() == QScroller::Inactive; }, 20000); };
  // A finger drawn from `from` by `by` in steps, held a while before it lets go when `linger`.
  auto swipe = [&](QPoint from, QPoint by, bool linger) {
    QTest::touchEvent(h.view, finger).press(0, from);
    for (int i = 1; i <= 10; ++i) {
      QTest::qWait(10);
      QTest::touchEvent(h.view, finger).move(0, from + by * i / 10);
    }
    if (linger) QTest::qWait(TapAndHold::kHoldMilliseconds + 200);
    QTest::touchEvent(h.view, finger).release(0, from + by);
  };

  // Upwards from a byte: the rows follow the finger and glide on; no dialog, no menu.
  {
    ModalWatch watch(1500);  // fires before the block ends, which takes longer
    swipe(h.cellCentre(30 * row + 2), QPoint(0, -300), false);
    QVERIFY(settle());
    QTest::qWait(1600);
    QVERIFY(!watch.opened());
  }
  const std::uint32_t top = core.topOffset();
  QVERIFY2(top >= 12 * row, qPrintable(QString::number(top / row)));  // 300 pixels are 18 rows
  QCOMPARE(top % row, 0u);
  QVERIFY(top <= core.lastPageTop());
  QCOMPARE(h.view->scrollBar()->value(), core.scrollThumb());

  // A slow swipe that stays down past the hold time is no hold either.
  {
    ModalWatch watch(1500);  // fires before the block ends, which takes longer
    swipe(h.cellCentre(5 * row + 1), QPoint(0, 120), true);
    QVERIFY(settle());
    QTest::qWait(1600);
    QVERIFY(!watch.opened());
  }
  QVERIFY(core.topOffset() < top);
  QCOMPARE(menu.count(), 0);
  QCOMPARE(h.log.count(), 0u);

  // A touch on gliding rows stops them and opens nothing.
  const QPoint at = h.cellCentre(core.topOffset() + 3 * row + 4);
  scroller->scrollTo(QPointF(0, qreal(core.lastPageTop() / row) * core.lineHeight()), 5000);
  QVERIFY(QTest::qWaitFor([&] { return core.topOffset() > 2 * row; }, 5000));
  QCOMPARE(scroller->state(), QScroller::Scrolling);
  {
    ModalWatch watch(300);
    QTest::touchEvent(h.view, finger).press(0, at);
    QVERIFY(scroller->state() != QScroller::Scrolling);
    const std::uint32_t stopped = core.topOffset();
    QTest::touchEvent(h.view, finger).release(0, at);
    QTest::qWait(400);
    QVERIFY(!watch.opened());
    QCOMPARE(core.topOffset(), stopped);
  }
  QVERIFY(core.topOffset() < core.lastPageTop());
  h.view->scrollToRow(0);

  // A still finger: a tap opens the entry dialog, a hold the byte menu.
  {
    ModalWatch watch(300);
    QTest::touchEvent(h.view, finger).press(0, at);
    QTest::touchEvent(h.view, finger).release(0, at);
    QTest::qWait(400);
    QVERIFY(watch.opened());
  }
  QTest::touchEvent(h.view, finger).press(0, at);
  QTest::qWait(TapAndHold::kHoldMilliseconds + 200);
  QTest::touchEvent(h.view, finger).release(0, at);
  QCOMPARE(menu.count(), 1);
  QCOMPARE(core.tapOffset(), 3 * row + 4);

  // On the offset column a swipe is no Goto either; a tap is.
  QSignalSpy gotoSpy(h.view, &HexViewWidget::gotoRequested);
  const QPoint offsets = h.view->clientOrigin() + QPoint(4, 8 * core.lineHeight());
  swipe(offsets, QPoint(0, 100), false);
  QVERIFY(settle());
  QCOMPARE(gotoSpy.count(), 0);
  QTest::touchEvent(h.view, finger).press(0, offsets);
  QTest::touchEvent(h.view, finger).release(0, offsets);
  QCOMPARE(gotoSpy.count(), 1);

  // The wheel and the scroll bar still move the rows, the bar also under a finger.
  const std::uint32_t before = core.topOffset();
  turnWheel(h.view, -120);
  QCOMPARE(core.topOffset(), before + 3 * row);
  QScrollBar* bar = h.view->scrollBar();
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  QCOMPARE(core.topOffset(), before + 4 * row);
  const QPoint thumb = bar->geometry().topLeft() + barPart(bar, QStyle::SC_ScrollBarSlider).center();
  QTest::touchEvent(h.view, finger).press(0, thumb);
  for (int i = 1; i <= 10; ++i) QTest::touchEvent(h.view, finger).move(0, thumb + QPoint(0, 20 * i));
  QTest::touchEvent(h.view, finger).release(0, thumb + QPoint(0, 200));
  QVERIFY(core.topOffset() > before + 4 * row);
  QCOMPARE(bar->value(), core.scrollThumb());
  QCOMPARE(menu.count(), 1);
}

void HexViewTest::dialog930ShowsItsCaptionInsideItself() {
  Harness h;
  QVERIFY(QTest::qWaitForWindowExposed(&h.parent));
  // The caption label of the open dialog 930, read while it is open; then the dialog is closed.
  auto shownCaption = [](const std::function<void()>& open) {
    QString shown = QStringLiteral("no dialog");
    QTimer::singleShot(100, [&] {
      QWidget* dialog = activeDialog();
      if (!dialog) return;
      auto* caption = dialog->findChild<QLabel*>("caption");
      shown = caption && caption->isVisible() && caption->text() == dialog->windowTitle() ? caption->text()
                                                                                          : QString();
      dialog->close();
    });
    open();
    return shown;
  };
  QCOMPARE(shownCaption([&] { QTest::mouseClick(h.view, Qt::LeftButton, {}, h.cellCentre(3)); }),
           QStringLiteral("Enter byte(s)/character(s)"));
  QVERIFY(shownCaption([&] { h.view->openSearch(); }).startsWith("Search"));
  QVERIFY(shownCaption([&] { h.view->openGoto(); }).startsWith("Goto (0x0-0x"));
}

void HexViewTest::scrollBarAndArrowKeysMoveTheRows() {
  Harness h;
  QVERIFY(QTest::qWaitForWindowExposed(&h.parent));
  const HexView& core = h.view->view();
  QScrollBar* bar = h.view->scrollBar();
  QCOMPARE(bar->minimum(), 0);
  QCOMPARE(bar->maximum(), core.scrollBarMaximum());
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  QCOMPARE(core.topOffset(), core.bytesPerRow());
  QCOMPARE(bar->value(), core.scrollThumb());
  bar->triggerAction(QAbstractSlider::SliderPageStepSub);  // less than a page above: nothing
  QCOMPARE(core.topOffset(), core.bytesPerRow());
  QCOMPARE(bar->value(), core.scrollThumb());
  QVERIFY(h.view->handleArrowKey(Qt::Key_Right));
  QCOMPARE(core.topOffset(), 3999u - 3999u % core.bytesPerRow());
  QCOMPARE(bar->value(), core.scrollThumb());
  QVERIFY(h.view->handleArrowKey(Qt::Key_Left));
  QCOMPARE(core.topOffset(), 0u);
  QVERIFY(!h.view->handleArrowKey(Qt::Key_Home));
  // The view fills the parent below its top margin, less the toolbar.
  h.view->setToolbarHeight(24);
  h.view->relayout(0, 0, 0, 0);
  QCOMPARE(h.view->geometry(), QRect(0, 0, 479, 615));
}

void HexViewTest::everyWayOfMovingTheScrollBarAgreesWithTheView() {
  Harness h;
  QVERIFY(QTest::qWaitForWindowExposed(&h.parent));
  const HexView& core = h.view->view();
  QScrollBar* bar = h.view->scrollBar();
  const std::uint32_t page = std::uint32_t(core.visibleRows()) * core.bytesPerRow();
  const std::uint32_t lastPage = core.lastPageTop();
  QVERIFY(lastPage > page);
  auto agrees = [&] { return bar->value() == core.scrollThumb() && bar->sliderPosition() == bar->value(); };

  // Wide enough for a finger, beside the rows rather than over them.
  QVERIFY(bar->width() * 25.4 / h.view->screen()->physicalDotsPerInchX() >= HexViewWidget::kScrollBarMillimetres);
  QVERIFY(bar->geometry().left() >= h.view->clientOrigin().x() + core.clientWidth());
  QVERIFY(bar->geometry().right() < h.view->width());

  // The range ends where the page begins: the thumb's length is the share of the file on screen.
  QCOMPARE(bar->maximum(), core.scrollBarMaximum());
  QCOMPARE(bar->pageStep(), core.scrollPage());
  QCOMPARE(bar->maximum() + bar->pageStep(), 1001);

  // A drag of the thumb to the bottom shows the last page, its last row holding the last byte.
  QRect thumb = barPart(bar, QStyle::SC_ScrollBarSlider);
  QRect groove = barPart(bar, QStyle::SC_ScrollBarGroove);
  QTest::mousePress(bar, Qt::LeftButton, {}, thumb.center());
  for (int y = thumb.center().y(); y < groove.bottom() + 40; y += 25)
    QTest::mouseMove(bar, QPoint(thumb.center().x(), y));
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(thumb.center().x(), groove.bottom() + 40));
  QCOMPARE(core.topOffset(), lastPage);
  QCOMPARE(core.topOffset() + core.shownBytes(), 4000u);
  QVERIFY(4000 - lastPage > page - core.bytesPerRow());  // no empty row below
  QCOMPARE(bar->value(), bar->maximum());
  QVERIFY(agrees());

  // Clicks in the groove page up and down.
  QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(groove.center().x(), groove.top() + 2));
  QCOMPARE(core.topOffset(), lastPage - page);
  QVERIFY(agrees());
  thumb = barPart(bar, QStyle::SC_ScrollBarSlider);
  QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(groove.center().x(), thumb.bottom() + 3));
  QCOMPARE(core.topOffset(), lastPage);
  QVERIFY(agrees());

  // The bar's own menu: Top, Bottom, the page items, and "Scroll here".
  QVERIFY(chooseFromBarMenu(bar, groove.center(), "Top"));
  QCOMPARE(core.topOffset(), 0u);
  QVERIFY(agrees());
  QVERIFY(chooseFromBarMenu(bar, groove.center(), "Page down"));
  QCOMPARE(core.topOffset(), page);
  QVERIFY(agrees());
  QVERIFY(chooseFromBarMenu(bar, groove.center(), "Bottom"));
  QCOMPARE(core.topOffset(), lastPage);
  QVERIFY(agrees());
  QVERIFY(chooseFromBarMenu(bar, groove.center(), "Page up"));
  QCOMPARE(core.topOffset(), lastPage - page);
  QVERIFY(agrees());
  QVERIFY(chooseFromBarMenu(bar, QPoint(groove.center().x(), groove.top() + groove.height() / 4), "Scroll here"));
  const std::uint32_t here = core.topOffset();
  QVERIFY(here > 0 && here < lastPage / 2);  // the rows moved with the thumb
  QCOMPARE(here % core.bytesPerRow(), 0u);
  QVERIFY(agrees());

  // The wheel, over the bar and over the rows: three rows a notch, parts of a notch add up.
  turnWheel(bar, -120);
  QCOMPARE(core.topOffset(), here + 3 * core.bytesPerRow());
  QVERIFY(agrees());
  for (int i = 0; i < 4; ++i) turnWheel(h.view, 30);
  QCOMPARE(core.topOffset(), here);
  QVERIFY(agrees());
  turnWheel(h.view, 40);
  QCOMPARE(core.topOffset(), here);
}

void HexViewTest::everyByteValueKeepsTheRowsDrawn() {
  Harness h;
  QVERIFY(QTest::qWaitForWindowExposed(&h.parent));
  const HexView& core = h.view->view();
  QVERIFY(core.shownBytes() > 256);  // every value on screen above the last row
  QImage image = h.view->grab().toImage();
  // Ink in the offset column of the last row and in the text cell of the row's last byte.
  auto inked = [&](const Rect& r) {
    for (int y = r.top; y < std::min(r.bottom, core.clientHeight()); ++y)
      for (int x = r.left; x < r.right; ++x)
        if (qGray(image.pixel(h.view->clientOrigin() + QPoint(x, y))) < 128) return true;
    return false;
  };
  std::uint32_t last = core.shownBytes() - 1;
  Rect text;
  QVERIFY(core.textCell(last - last % core.bytesPerRow(), text));
  QVERIFY(inked(Rect{0, text.top, core.offsetWidth(), text.bottom}));
  QVERIFY(core.textCell(0x41 + 256 * (last / 256 - 1), text));  // an "A" in the text column
  QVERIFY(inked(text));
}

void HexViewTest::rowsAreTheCellHeightOfEveryFontSize() {
  // The face's line height fits the cell (points x dpi / 72) and is the largest that does.
  for (int dpi : {96, 144}) {
    for (int points = 10; points <= 18; ++points) {
      const int cell = points * dpi / 72;
      for (FontWeight weight : {FontWeight::Normal, FontWeight::Bold}) {
        QFont font = viewFont(cell, weight, FontSmoothing::Default);
        const QString where = QString("%1 pt at %2 dpi").arg(points).arg(dpi);
        QVERIFY2(font.fixedPitch(), qPrintable(where));
        QVERIFY2(QFontMetrics(font).height() <= cell, qPrintable(where));
        QFont bigger = font;
        bigger.setPixelSize(font.pixelSize() + 1);
        QVERIFY2(QFontMetrics(bigger).height() > cell, qPrintable(where));
      }
    }
  }

  // The view's rows are one cell apart at every size; topOffset stays.
  Harness h;
  QVERIFY(QTest::qWaitForWindowExposed(&h.parent));
  const HexView& core = h.view->view();
  h.view->gotoOffset(0x200);
  const std::uint32_t top = core.topOffset();
  for (int points = 10; points <= 18; ++points) {
    h.view->setFontSize(points);
    QCOMPARE(core.lineHeight(), points * h.view->logicalDpiY() / 72);
    QCOMPARE(core.topOffset(), top);
  }
  // 12 points at 96 dpi: rows of 16 pixels, 39 of them in the 615 pixels of a 480 x 640 parent.
  if (h.view->logicalDpiY() == 96) {
    h.view->setFontSize(12);
    QCOMPARE(core.lineHeight(), 16);
    QVERIFY(core.visibleRows() >= 38);
    QVERIFY(core.bytesPerRow() >= 12);
  }
}

void HexViewTest::toolbarImagesAreDrawn() {
  for (int i = 0; i < kToolbarImageCount; ++i) {
    QImage image = toolbarImage(i).toImage();
    QCOMPARE(image.size(), QSize(16, 16));
    bool inked = false;
    for (int y = 0; y < 16 && !inked; ++y)
      for (int x = 0; x < 16 && !inked; ++x) inked = qAlpha(image.pixel(x, y)) > 0;
    QVERIFY2(inked, qPrintable(QString("image %1 is empty").arg(i)));
  }
  QCOMPARE(toolbarImage(0, 192).deviceIndependentSize(), QSizeF(16, 16));
}

QTEST_MAIN(HexViewTest)
#include "hex_view_test.moc"
