// The values panel in the real program, offscreen: opened from the byte menu of a held byte, a
// row edited to the file on disk and taken back by Undo, a refused value keeping its dialog,
// the panel following taps and edits, and its place under the view on small, tall and turned
// screens.

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "core/i18n/command_ids.h"
#include "core/platform/registry_key.h"
#include "gui/app/application.h"
#include "gui/app/main_frame.h"
#include "gui/inspect/value_row.h"
#include "gui/inspect/values_panel.h"
#include "gui/offscreen_helpers.h"
#include "gui/platform/physical_size.h"
#include "gui/platform/qt_text.h"
#include "gui/test_files.h"
#include "gui/view/hex_keypad.h"
#include "gui/view/hex_view_widget.h"

using namespace nibblet;
using test::barDialog;
using test::cellCentre;
using test::click;
using test::Poller;

namespace {

QLineEdit* editLine(QWidget* dialog) { return dialog->findChild<QLineEdit*>(QString::number(kIdEntryEdit)); }

// The rectangle of `w` in `frame`'s coordinates.
QRect inFrame(QWidget* frame, QWidget* w) { return QRect(w->mapTo(frame, QPoint(0, 0)), w->size()); }

}  // namespace

class ValuesPanelTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir m_dir;
  MemoryRegistryKey m_key;
  std::unique_ptr<Application> m_program;
  QString m_path;

  MainFrame* open(const QByteArray& bytes) {
    m_path = test::writeTestFile(m_dir, "values.bin", bytes);
    m_program = std::make_unique<Application>(m_key);
    m_program->start(toU16(m_path));
    MainFrame* frame = m_program->mainFrame();
    return QTest::qWaitForWindowExposed(frame) ? frame : nullptr;
  }

  static ValuesPanel* panelOf(MainFrame* frame) { return frame->findChild<ValuesPanel*>("valuesPanel"); }

  // The panel lies under the view, above the toolbar, inside the window, and its rows are
  // finger-sized; the view keeps rows of its own.
  static bool fits(MainFrame* frame) {
    ValuesPanel* panel = panelOf(frame);
    HexViewWidget* view = frame->view();
    if (!panel || !panel->isVisible() || !view) return false;
    const QRect p = inFrame(frame, panel), v = inFrame(frame, view);
    const int finger = physicalPixels(7.0, panel);
    bool ok = frame->rect().contains(p) && p.top() == v.bottom() + 1 && p.left() == v.left() &&
              p.width() == v.width() && view->view().visibleRows() >= 3 && panel->titleButton()->height() >= finger;
    if (frame->toolbar() && frame->toolbar()->isVisible()) ok &= p.bottom() < inFrame(frame, frame->toolbar()).top();
    if (panel->model().isOpen())
      ok &= panel->scrollArea()->isVisible() && panel->row(ValueKind::Int32)->height() >= finger;
    return ok;
  }

 private slots:
  void initTestCase() { QVERIFY(test::usePrivateHome(m_dir)); }

  void cleanup() { test::closeKeepingEdits(m_program); }

  void heldByteOpensValuesAndARowEditReachesTheDiskAndUndoes() {
    test::setScreen(480, 800);
    QByteArray content(4096, '\0');
    for (int i = 0; i < content.size(); ++i) content[i] = char(i);
    MainFrame* frame = open(content);
    QVERIFY(frame);
    HexViewWidget* view = frame->view();
    ValuesPanel* panel = panelOf(frame);
    QVERIFY(panel);
    QVERIFY(!panel->model().isOpen());  // a fresh key: collapsed

    QStringList items;
    QVERIFY(test::chooseFromByteMenu(view, 0x10, kCmdValues, &items));
    QCOMPARE(items.last(), QString::number(kCmdValues));  // added at the end, nothing replaced
    QCOMPARE(items.size(), 8);
    QTRY_VERIFY(panel->model().isOpen());
    QCOMPARE(panel->model().offset(), 0x10u);
    RegistryValue stored;
    QVERIFY(m_key.query(u"valuesPanel", stored));
    QCOMPARE(toQString(stored.text), QStringLiteral("1"));
    QVERIFY(fits(frame));
    QCOMPARE(panel->row(ValueKind::UInt32)->value(), QString::number(0x13121110));

    // The 32-bit row: a value too large stays in its dialog, a fitting one is written.
    bool refusedKept = false;
    int steps = 0;
    QString startText;
    bool numberPad = false;
    Poller dialog([&] {
      QWidget* d = barDialog();
      if (!d) return false;
      if (steps++ == 0) {
        startText = editLine(d)->text();
        auto* pad = d->findChild<HexKeypad*>();
        numberPad = pad && pad->isVisible() && pad->key(u'-') && pad->key(u'9') && !pad->key(u'A');
        editLine(d)->setText("4294967296");
        click(d, kCmdOk);
        refusedKept = barDialog() == d && d->isVisible();
        editLine(d)->setText("-2");
        click(d, kCmdOk);
      }
      return true;
    });
    panel->scrollArea()->ensureWidgetVisible(panel->row(ValueKind::Int32));
    QTest::mouseClick(panel->row(ValueKind::Int32), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return dialog.done(); }, 5000));
    QVERIFY(refusedKept);
    QCOMPARE(startText, QString::number(0x13121110));
    QVERIFY(numberPad);
    QCOMPARE(test::fileBytes(m_path).mid(0x10, 4), QByteArray("\xFE\xFF\xFF\xFF", 4));
    QCOMPARE(frame->document().changeLog().count(), 4u);
    QCOMPARE(panel->row(ValueKind::Int32)->value(), QStringLiteral("-2"));

    // One Undo per byte, as for every edit.
    for (int i = 0; i < 4; ++i) frame->onCommand(kCmdUndo);
    QCOMPARE(test::fileBytes(m_path).mid(0x10, 4), content.mid(0x10, 4));
    QCOMPARE(panel->row(ValueKind::Int32)->value(), QString::number(0x13121110));
  }

  void thePanelFollowsTapsAndEdits() {
    test::setScreen(480, 800);
    m_key.setString(u"valuesPanel", u"1");
    m_key.setString(u"valuesBigEndian", u"1");
    MainFrame* frame = open(QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08" "abcdefgh", 16));
    QVERIFY(frame);
    ValuesPanel* panel = panelOf(frame);
    QVERIFY(panel && panel->model().isOpen());
    // Open at start, the rows are filled once the view has been painted.
    QTRY_COMPARE(panel->row(ValueKind::UInt16)->value(), QStringLiteral("258"));  // 01 02, big endian

    // A tap on byte 8 moves the panel there; the entry dialog then writes "41" over it.
    Poller entry([&] {
      QWidget* d = barDialog();
      if (!d) return false;
      editLine(d)->setText("7A");
      click(d, kCmdOk);
      return true;
    });
    QTest::mouseClick(frame->view(), Qt::LeftButton, {}, cellCentre(frame->view(), 8));
    QVERIFY(QTest::qWaitFor([&] { return entry.done(); }, 5000));
    QCOMPARE(panel->model().offset(), 8u);
    QVERIFY(panel->titleButton()->text().endsWith("08"));
    QCOMPARE(panel->row(ValueKind::Utf8)->value(), QStringLiteral("z U+007A, 1 byte"));

    // The byte order switch reads the same bytes the other way round, and is stored.
    QTest::mouseClick(panel->orderButton(), Qt::LeftButton);
    QCOMPARE(panel->row(ValueKind::UInt16)->value(), QString::number(0x627A));
    RegistryValue stored;
    QVERIFY(m_key.query(u"valuesBigEndian", stored));
    QCOMPARE(toQString(stored.text), QStringLiteral("0"));

    // A hold on a row offers its bytes to copy into the view's clipboard.
    QString shownBytes;
    Poller menu([&] {
      auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!popup) return false;
      if (auto* info = popup->findChild<QAction*>("100")) shownBytes = info->text();
      popup->setActiveAction(popup->findChild<QAction*>("1"));
      QTest::keyClick(popup, Qt::Key_Return);
      return true;
    });
    ValueRow* row = panel->row(ValueKind::UInt16);
    QContextMenuEvent hold(QContextMenuEvent::Mouse, QPoint(5, 5), row->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(row, &hold);
    QVERIFY(QTest::qWaitFor([&] { return menu.done(); }, 5000));
    QCOMPARE(shownBytes, QStringLiteral("08: 7A 62"));
    QCOMPARE(frame->view()->view().clipboardCount(), 2);
    QCOMPARE(frame->view()->view().clipboard()[0], std::uint8_t{0x7A});

    // The title line collapses the panel, and the view takes the room back.
    const int rows = frame->view()->view().visibleRows();
    QTest::mouseClick(panel->titleButton(), Qt::LeftButton);
    QVERIFY(!panel->model().isOpen());
    QVERIFY(frame->view()->view().visibleRows() > rows);
    QVERIFY(fits(frame));
  }

  void itFitsSmallAndTallScreensAndATurn() {
    m_key.setString(u"valuesPanel", u"1");
    test::setScreen(240, 320);
    MainFrame* frame = open(QByteArray(1000, 'v'));
    QVERIFY(frame);
    QTRY_VERIFY(fits(frame));
    test::setScreen(480, 800);
    QTRY_VERIFY(fits(frame));
    test::setScreen(800, 480);
    QTRY_VERIFY(fits(frame));
    test::setScreen(480, 800);
    QTRY_VERIFY(fits(frame));
  }
};

QTEST_MAIN(ValuesPanelTest)
#include "values_panel_test.moc"
