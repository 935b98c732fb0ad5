// The real program, offscreen: the byte menu by tap-and-hold (copy, paste, undo), Search and its
// "Not found", Search next, Goto from Tools and from a tap on the offset column, and the hex
// keypad of the entry and search dialogs.

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointingDevice>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <functional>

#include "core/i18n/command_ids.h"
#include "core/platform/registry_key.h"
#include "core/view/byte_menu_model.h"
#include "gui/app/application.h"
#include "gui/app/main_frame.h"
#include "gui/offscreen_helpers.h"
#include "gui/platform/qt_text.h"
#include "core/view/hex_keypad.h"
#include "gui/view/hex_keypad.h"
#include "gui/view/hex_view_widget.h"

using namespace nibblet;

namespace {

using test::barDialog;
using test::cellCentre;
using test::chooseFromByteMenu;
using test::click;
using test::Poller;

// Types `text` into the open dialog 930 after pressing `mode`, then presses Ok.
bool typeAndOk(QWidget* dialog, int mode, const QString& text) {
  if (mode) click(dialog, mode);
  dialog->findChild<QLineEdit*>(QString::number(kIdEntryEdit))->setText(text);
  click(dialog, kCmdOk);
  return true;
}

}  // namespace

class ViewCommandsTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir m_dir;
  MemoryRegistryKey m_key;
  std::unique_ptr<Application> m_program;

  MainFrame* open(const QString& name, const QByteArray& bytes) {
    QString path = m_dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
    f.close();
    m_program = std::make_unique<Application>(m_key);
    m_program->start(toU16(path));
    MainFrame* frame = m_program->mainFrame();
    frame->resize(480, 800);
    if (!QTest::qWaitForWindowExposed(frame)) return nullptr;
    return frame;
  }

  QByteArray fileBytes(const QString& name) {
    QFile f(m_dir.filePath(name));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
  }

 private slots:
  void initTestCase() {
    QVERIFY(m_dir.isValid());
    qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toUtf8());
    qputenv("XDG_CACHE_HOME", m_dir.filePath("cache").toUtf8());
  }

  void cleanup() {
    // Edits made on the spot are kept when the document closes.
    test::closeKeepingEdits(m_program);
  }

  void copyThreeBytesPasteThemElsewhereAndUndo() {
    MainFrame* frame = open("copy.bin", QByteArray("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ!?"));
    QVERIFY(frame);
    HexViewWidget* view = frame->view();
    QVERIFY(chooseFromByteMenu(view, 2, kByteMenuSelection));
    QVERIFY(chooseFromByteMenu(view, 4, kByteMenuSelection));
    QCOMPARE(view->view().selectionStart(), 2u);
    QCOMPARE(view->view().selectionEnd(), 4u);
    QVERIFY(chooseFromByteMenu(view, 30, kByteMenuCopy));
    QCOMPARE(view->view().clipboardCount(), 3);
    QVERIFY(chooseFromByteMenu(view, 10, kByteMenuPaste));
    QCOMPARE(fileBytes("copy.bin").mid(8, 6), QByteArray("89234d"));
    QCOMPARE(frame->document().changeLog().count(), 3u);
    QCOMPARE(frame->document().changeLog().entry(0).offset, 10u);

    // Undo from the byte menu takes back the newest byte; Tools > Undo the others.
    QVERIFY(chooseFromByteMenu(view, 50, kByteMenuUndo));
    QCOMPARE(fileBytes("copy.bin").mid(8, 6), QByteArray("8923cd"));
    frame->onCommand(kCmdUndo);
    frame->onCommand(kCmdUndo);
    QCOMPARE(fileBytes("copy.bin").mid(8, 6), QByteArray("89abcd"));
    QVERIFY(frame->document().changeLog().isEmpty());
    QVERIFY(!chooseFromByteMenu(view, 50, kByteMenuUndo));  // greyed now
  }

  void searchFindsATextAndMarksIt() {
    QByteArray content(100000, '\0');
    content.replace(70000, 6, "needle");
    MainFrame* frame = open("search.bin", content);
    QVERIFY(frame);
    HexViewWidget* view = frame->view();
    QString caption;
    bool searchAtFirstShown = false;
    Poller dialog([&] {
      QWidget* d = barDialog();
      if (!d) return false;
      caption = d->windowTitle();
      searchAtFirstShown = d->findChild<QToolButton*>(QString::number(kCmdSearchAtFirst))->isVisible();
      return typeAndOk(d, kCmdEntryText, "needle");
    });
    frame->onCommand(kCmdSearch);
    QVERIFY(dialog.done());
    QCOMPARE(caption, QString("Search"));
    QVERIFY(searchAtFirstShown);
    const HexView& core = view->view();
    QCOMPARE(core.searchMatch(), 70000u);
    QCOMPARE(core.searchLength(), 6u);
    QCOMPARE(core.topOffset(), 70000u - 70000u % core.bytesPerRow());

    // The hit is painted in the search colour.
    QImage shot = view->grab().toImage();
    for (std::uint32_t offset : {70000u, 70005u}) {
      Rect cell;
      QVERIFY(core.hexCell(offset, cell));
      QCOMPARE(shot.pixelColor(view->clientOrigin() + QPoint(cell.left + 1, cell.top + 1)), QColor(200, 250, 255));
    }
  }

  void notFoundKeepsTheSearchDialogOpen() {
    MainFrame* frame = open("absent.bin", QByteArray(5000, 'a'));
    QVERIFY(frame);
    QString boxText;
    bool boxOverDialog = false, stillOpen = false;
    Poller dialog([&] {
      QWidget* d = barDialog();
      if (!d) return false;
      Poller box([&] {
        auto* b = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!b) return false;
        boxText = b->windowTitle() + ": " + b->text();
        boxOverDialog = b->parentWidget() == d;
        b->button(QMessageBox::Ok)->click();
        return true;
      });
      typeAndOk(d, kCmdEntryText, "b");
      stillOpen = d->isVisible() && barDialog() == d;
      click(d, kCmdCancel);
      return true;
    });
    frame->onCommand(kCmdSearch);
    QVERIFY(dialog.done());
    QCOMPARE(boxText, QString("Search: Not found"));
    QVERIFY(boxOverDialog);
    QVERIFY(stillOpen);
    QCOMPARE(frame->view()->view().searchMatch(), kNoOffset);
  }

  void searchNextFindsTheFollowingHits() {
    QByteArray content(100000, '.');
    for (int at : {100, 5000, 90000}) content.replace(at, 2, "ab");
    MainFrame* frame = open("next.bin", content);
    QVERIFY(frame);
    const HexView& core = frame->view()->view();
    Poller dialog([&] {
      QWidget* d = barDialog();
      return d && typeAndOk(d, kCmdEntryHex, "6162");
    });
    frame->onCommand(kCmdSearch);
    QCOMPARE(core.searchMatch(), 100u);
    frame->onCommand(kCmdSearchNext);
    QCOMPARE(core.searchMatch(), 5000u);
    frame->onCommand(kCmdSearchNext);
    QCOMPARE(core.searchMatch(), 90000u);
    QCOMPARE(core.topOffset(), 90000u - 90000u % core.bytesPerRow());
    QString boxText;
    Poller box([&] {
      auto* b = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!b) return false;
      boxText = b->text();
      b->button(QMessageBox::Ok)->click();
      return true;
    });
    frame->onCommand(kCmdSearchNext);
    QCOMPARE(boxText, QString("Not found"));
    QCOMPARE(core.searchMatch(), kNoOffset);
  }

  void tapOnTheOffsetColumnOpensGoto() {
    MainFrame* frame = open("goto.bin", QByteArray(100000, 'g'));
    QVERIFY(frame);
    HexViewWidget* view = frame->view();
    const HexView& core = view->view();
    QString caption;
    bool onlyOkAndCancel = false;
    Poller dialog([&] {
      QWidget* d = barDialog();
      if (!d) return false;
      caption = d->windowTitle();
      onlyOkAndCancel = d->findChild<QToolButton*>(QString::number(kCmdOk))->isVisible() &&
                        d->findChild<QToolButton*>(QString::number(kCmdCancel))->isVisible() &&
                        !d->findChild<QToolButton*>(QString::number(kCmdEntryHex))->isVisible() &&
                        !d->findChild<QToolButton*>(QString::number(kCmdBarPaste));
      return typeAndOk(d, 0, "1a0");
    });
    QTest::mouseClick(view, Qt::LeftButton, {}, view->clientOrigin() + QPoint(2, 30));
    QTRY_VERIFY(dialog.done());
    QCOMPARE(caption, QString("Goto (0x0-0x%1)").arg(QString::number(100000 - core.bytesPerRow(), 16).toUpper()));
    QVERIFY(onlyOkAndCancel);
    QCOMPARE(core.topOffset(), 0x1A0u - 0x1A0u % core.bytesPerRow());

    // Tools > Goto; a value past the end keeps the dialog open.
    bool refusedKeptOpen = false;
    Poller again([&] {
      QWidget* d = barDialog();
      if (!d) return false;
      typeAndOk(d, 0, "186A1");  // 100001
      refusedKeptOpen = barDialog() == d;
      return typeAndOk(d, 0, "0x10000");
    });
    frame->onCommand(kCmdGoto);
    QVERIFY(refusedKeptOpen);
    QCOMPARE(core.topOffset(), 0x10000u - 0x10000u % core.bytesPerRow());
  }

  void pinchSetsTheFontSizeLikeTheMenu() {
    MainFrame* frame = open("pinch.bin", QByteArray(20000, 'p'));
    QVERIFY(frame);
    HexViewWidget* view = frame->view();
    const HexView& core = view->view();
    QPointingDevice* fingers = QTest::createTouchDevice(QInputDevice::DeviceType::TouchScreen);
    AppContext& context = m_program->context();
    QCOMPARE(core.fontPoints(), 12);
    view->gotoOffset(5000);
    const std::uint32_t top = core.topOffset();
    QSignalSpy asked(view, &HexViewWidget::fontSizeRequested);
    // Two fingers, `from` pixels apart about the middle, drawn to `to` pixels apart.
    auto pinch = [&](int from, int to) {
      const QPoint mid = view->rect().center();
      QTest::touchEvent(view, fingers).press(0, mid - QPoint(0, from / 2)).press(1, mid + QPoint(0, from / 2));
      for (int i = 1; i <= 8; ++i) {
        int gap = from + (to - from) * i / 8;
        QTest::touchEvent(view, fingers).move(0, mid - QPoint(0, gap / 2)).move(1, mid + QPoint(0, gap / 2));
      }
      QTest::touchEvent(view, fingers).release(0, mid - QPoint(0, to / 2)).release(1, mid + QPoint(0, to / 2));
    };

    pinch(80, 200);  // spread far: 12 points grow to the largest size, 18
    QCOMPARE(core.fontPoints(), 18);
    QCOMPARE(context.settings.fontSize, 18);
    QVERIFY(frame->action(kCmdFontSize18)->isChecked());
    QVERIFY(!frame->action(kFontSizeCommandBase + 12)->isChecked());
    QCOMPARE(core.lineHeight(), 18 * view->logicalDpiY() / 72);
    QVERIFY(core.topOffset() <= top && top - core.topOffset() < core.bytesPerRow());  // the rows stay

    pinch(200, 40);  // far below the smallest size: 10 points
    QCOMPARE(core.fontPoints(), 10);
    QCOMPARE(context.settings.fontSize, 10);
    QVERIFY(frame->action(kCmdFontSize10)->isChecked());
    for (const QList<QVariant>& request : asked) {
      QVERIFY(request.at(0).toInt() >= 10);
      QVERIFY(request.at(0).toInt() <= 18);
    }
    QCOMPARE(frame->document().changeLog().count(), 0u);  // two fingers are no tap
  }

  void hexKeypadTypesPairsAndOkWritesThem() {
    MainFrame* frame = open("keypad.bin", QByteArray("0123456789abcdef"));
    QVERIFY(frame);
    HexViewWidget* view = frame->view();
    QString typed;
    bool padInHex = false, padInText = true, padBack = false, panelOffWithPad = false, panelInText = false;
    double smallestKeyMm = 0;
    Poller dialog([&] {
      QWidget* d = barDialog();
      if (!d) return false;
      auto* pad = d->findChild<HexKeypad*>("hexKeypad");
      auto* edit = d->findChild<QLineEdit*>(QString::number(kIdEntryEdit));
      padInHex = pad->isVisible();
      panelOffWithPad = !edit->testAttribute(Qt::WA_InputMethodEnabled);
      const double dpi = d->screen()->physicalDotsPerInchY();
      smallestKeyMm = 1000;
      for (char16_t k : {u'0', u'F', kKeyBackspace, kKeySpace}) {
        QToolButton* key = pad->key(k);
        smallestKeyMm = std::min({smallestKeyMm, key->width() * 25.4 / dpi, key->height() * 25.4 / dpi});
      }
      click(d, kCmdEntryText);
      padInText = pad->isVisible();
      panelInText = edit->testAttribute(Qt::WA_InputMethodEnabled);
      click(d, kCmdEntryHex);
      padBack = pad->isVisible();
      for (char16_t k : {u'7', kKeyBackspace, u'4', u'1', u'4', u'2'}) QTest::mouseClick(pad->key(k), Qt::LeftButton);
      typed = edit->text();
      click(d, kCmdOk);
      return true;
    });
    QTest::mouseClick(view, Qt::LeftButton, {}, cellCentre(view, 3));
    QTRY_VERIFY(dialog.done());
    QVERIFY(padInHex);
    QVERIFY(panelOffWithPad);
    QVERIFY2(smallestKeyMm >= 9.0, qPrintable(QString::number(smallestKeyMm)));
    QVERIFY(!padInText);
    QVERIFY(panelInText);
    QVERIFY(padBack);
    QCOMPARE(typed, QString("41 42"));
    QCOMPARE(fileBytes("keypad.bin"), QByteArray("012AB56789abcdef"));

    // The search dialog has the pad too, in Hex mode only.
    bool searchPadInHex = false, searchPadInText = true;
    Poller search([&] {
      QWidget* d = barDialog();
      if (!d) return false;
      auto* pad = d->findChild<HexKeypad*>("hexKeypad");
      click(d, kCmdEntryHex);
      searchPadInHex = pad->isVisible();
      click(d, kCmdEntryText);
      searchPadInText = pad->isVisible();
      click(d, kCmdCancel);
      return true;
    });
    frame->onCommand(kCmdSearch);
    QTRY_VERIFY(search.done());
    QVERIFY(searchPadInHex);
    QVERIFY(!searchPadInText);
  }
};

QTEST_MAIN(ViewCommandsTest)
#include "view_commands_test.moc"
