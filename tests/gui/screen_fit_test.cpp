// The main window and every dialog follow their screen: a turned screen (a geometry change of
// the offscreen platform's screen) refits the window with its menu bar and toolbar on the
// screen, both ways; each dialog opens inside the work area of a 240 x 320, 480 x 800 or
// 800 x 480 screen with every control inside its frame, and stays so when the screen turns
// while it is open; the entry sheet never covers the tapped row; a tap on the main window
// behind a modal dialog leaves the keys with the dialog.

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QEventLoop>
#include <QFile>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>
#include <QTreeWidget>
#include <QScreen>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

#include <functional>

#include "gui/offscreen_helpers.h"
#include "core/i18n/command_ids.h"
#include "core/platform/message_box.h"
#include "core/platform/registry_key.h"
#include "core/settings/settings.h"
#include "gui/app/application.h"
#include "gui/app/main_frame.h"
#include "gui/platform/modal_sheet.h"
#include "gui/platform/qt_text.h"
#include "gui/settings_ui/editor_pane.h"
#include "gui/settings_ui/property_sheet.h"
#include "gui/settings_ui/settings_page.h"
#include "gui/test_files.h"
#include "gui/view/hex_view_widget.h"

using namespace nibblet;

namespace {

using test::Poller;
using test::setScreen;

QRect workArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }

QRect globalRect(const QWidget* w) {
  return w->isWindow() ? w->frameGeometry() : QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}

// The window's rectangle and that of `child` inside it lie within the screen.
bool onScreen(QWidget* frame, QWidget* child) {
  QRect inFrame(child->mapTo(frame, QPoint(0, 0)), child->size());
  return workArea().contains(frame->geometry()) && frame->rect().contains(inFrame) && child->isVisible();
}

// What keeps `dialog` from fitting: its frame outside the work area, or a shown control outside
// its frame. A control in a scrolling body may lie below the part in view, but never beside it.
QStringList misfits(QWidget* dialog) {
  QStringList out;
  const QRect frame = globalRect(dialog);
  if (!workArea().contains(frame))
    out << QString("frame %1,%2 %3x%4").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height());
  for (QWidget* c : dialog->findChildren<QWidget*>()) {
    if (c->isWindow() || !c->isVisibleTo(dialog)) continue;
    QScrollArea* body = nullptr;
    for (QWidget* up = c->parentWidget(); up && up != dialog; up = up->parentWidget())
      if (auto* area = qobject_cast<QScrollArea*>(up); area && area->widget() && area->widget()->isAncestorOf(c)) body = area;
    QRect r;
    QRect room;
    if (body) {
      r = QRect(c->mapTo(body->widget(), QPoint(0, 0)), c->size());
      room = QRect(0, 0, body->viewport()->width(), body->widget()->height());
    } else {
      r = QRect(c->mapTo(dialog, QPoint(0, 0)), c->size());
      room = dialog->rect();
    }
    if (!room.contains(r))
      out << QString("%1 '%2' at %3,%4 %5x%6").arg(c->metaObject()->className(), c->objectName())
                 .arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
  }
  return out;
}

// Waits up to a deadline for `ready`; processes events meanwhile.
bool waitFor(const std::function<bool()>& ready) {
  QDeadlineTimer deadline(10000);
  while (!ready()) {
    if (deadline.hasExpired()) return false;
    QTest::qWait(20);
  }
  return true;
}

// The smaller side of `size` in millimetres on the primary screen.
double millimetres(QSize size) {
  return std::min(size.width(), size.height()) * 25.4 / QGuiApplication::primaryScreen()->physicalDotsPerInchY();
}

// The lowest item of the open pop-up menu, in millimetres; 0 when none is open.
double lowestMenuItem() {
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  if (!menu) return 0;
  double lowest = 1000;
  for (QAction* a : menu->actions())
    if (!a->isSeparator()) lowest = std::min(lowest, millimetres(QSize(1000, menu->actionGeometry(a).height())));
  menu->close();
  return lowest;
}

void closeDialog(QWidget* dialog) {
  if (auto* box = qobject_cast<QMessageBox*>(dialog)) box->buttons().first()->click();
  else if (auto* d = qobject_cast<QDialog*>(dialog)) d->reject();
}

}  // namespace

class ScreenFitTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir m_dir;

  std::unique_ptr<MemoryRegistryKey> m_key;
  std::unique_ptr<Application> m_program;

  // Gives the screen the size `screen` and starts the program on a 4096-byte file, German when
  // `german`; the main window once it is shown, else null.
  MainFrame* start(QSize screen, bool german = false) {
    cleanup();
    setScreen(screen.width(), screen.height());
    Settings stored = Settings::defaults(u"");
    stored.showToolbar = 1;
    stored.languageIndex = german ? 1 : 0;  // the only module beside the program: German
    m_key = std::make_unique<MemoryRegistryKey>();
    m_key->setBinary(u"main", stored.toBytes());
    m_program = std::make_unique<Application>(*m_key);
    m_program->start(toU16(test::writeTestFile(m_dir, "fit.bin", QByteArray(4096, 'f'))));
    MainFrame* frame = m_program->mainFrame();
    return QTest::qWaitForWindowExposed(frame) ? frame : nullptr;
  }

 private slots:
  void initTestCase() {
    QVERIFY(test::usePrivateHome(m_dir));
  }

  void cleanup() {
    if (!m_program) return;
    if (MainFrame* frame = m_program->mainFrame()) frame->close();
    m_program->finish();
    m_program.reset();
  }

  void aTurnedScreenRefitsTheWindowBothWays() {
    MainFrame* frame = start({480, 800});
    QVERIFY(frame);
    QCOMPARE(frame->geometry(), QRect(0, 26, 480, 774));

    setScreen(800, 480);
    QTRY_COMPARE(frame->geometry(), QRect(0, 26, 800, 454));
    QVERIFY(onScreen(frame, frame->menuBar()));
    QVERIFY(onScreen(frame, frame->toolbar()));
    QVERIFY(onScreen(frame, frame->view()));

    // Turned back while the entry dialog of a tap is open.
    bool turned = false;
    Poller turn([&] {
      QWidget* dialog = activeDialog();
      if (!dialog) return false;
      setScreen(480, 800);
      turned = waitFor([&] { return frame->geometry() == QRect(0, 26, 480, 774); }) &&
               onScreen(frame, frame->menuBar());
      closeDialog(dialog);
      return true;
    });
    Rect cell;
    QVERIFY(frame->view()->view().hexCell(2, cell));
    QTest::mouseClick(frame->view(), Qt::LeftButton, {},
                      frame->view()->clientOrigin() + QPoint((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2));
    QTRY_VERIFY(turn.done());
    QVERIFY(turned);
    QVERIFY(onScreen(frame, frame->toolbar()));
  }

  void aLandscapeHandHeldScreenIsFilled() {
    MainFrame* frame = start({800, 480});
    QVERIFY(frame);
    QCOMPARE(frame->geometry(), QRect(0, 26, 800, 454));
    // A desktop screen gets the portrait window in its middle.
    setScreen(1920, 1200);
    QTRY_COMPARE(frame->geometry().height(), 860);
    QCOMPARE(frame->geometry().width(), 480);
    QCOMPARE(frame->geometry().center().x(), 959);
  }

  void everyDialogFitsItsScreenAndATurn_data() {
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<bool>("german");
    const char* dialogs[] = {"converter", "search", "goto", "entry", "colour", "message", "browser", "settings"};
    for (QSize size : {QSize(240, 320), QSize(480, 800), QSize(800, 480)})
      for (const char* d : dialogs)
        QTest::newRow(qPrintable(QString("%1 %2x%3").arg(d).arg(size.width()).arg(size.height())))
            << QString(d) << size << false;
    // The German module's longer words on the smallest screen.
    for (const char* d : dialogs)
      QTest::newRow(qPrintable(QString("%1 German").arg(d))) << QString(d) << QSize(240, 320) << true;
  }

  void everyDialogFitsItsScreenAndATurn() {
    QFETCH(QString, dialog);
    QFETCH(QSize, screen);
    QFETCH(bool, german);
    MainFrame* frame = start(screen, german);
    QVERIFY(frame);
    HexViewWidget* view = frame->view();
    QVERIFY(view);

    // The entry sheet keeps the tapped byte in view, beside the sheet.
    const std::uint32_t tapped = 0x300;
    auto rowCovered = [&](QWidget* sheet) {
      Rect cell;
      if (!view->view().hexCell(tapped, cell)) return QString("the tapped row is off the view");
      QRect inView(view->clientOrigin() + QPoint(cell.left, cell.top), QSize(cell.right - cell.left, cell.bottom - cell.top));
      QRect global(view->mapToGlobal(inView.topLeft()), inView.size());
      return globalRect(sheet).intersects(global) ? QString("the sheet covers the tapped row") : QString();
    };
    auto shown = [&]() -> QWidget* {
      if (dialog == "settings") {
        QWidget* sheet = frame->settingsPage()->sheet();
        return sheet->isVisible() ? sheet : nullptr;
      }
      return activeDialog();
    };

    QStringList problems;
    Poller check([&] {
      QWidget* d = shown();
      if (!d) return false;
      QTest::qWait(50);  // a queued fit after the first layout
      for (const QString& p : misfits(d)) problems << "open: " + p;
      if (dialog == "entry" && !rowCovered(d).isEmpty()) problems << "open: " + rowCovered(d);
      if (dialog == "browser" && !globalRect(d).contains(globalRect(frame->menuBar())))
        problems << "the main window's menu bar shows beside the browser's";
      setScreen(screen.height(), screen.width());
      if (!waitFor([&] { return misfits(d).isEmpty(); })) {
        for (const QString& p : misfits(d)) problems << "turned: " + p;
      }
      if (dialog == "entry" && !rowCovered(d).isEmpty()) problems << "turned: " + rowCovered(d);
      if (dialog == "settings") frame->onCommand(kCmdOk);
      else closeDialog(d);
      return true;
    });
    if (dialog == "converter") {
      frame->onCommand(kCmdConverter);
    } else if (dialog == "search") {
      frame->onCommand(kCmdSearch);
    } else if (dialog == "goto") {
      frame->onCommand(kCmdGoto);
    } else if (dialog == "entry") {
      view->gotoOffset(tapped - (view->view().visibleRows() - 1) * view->view().bytesPerRow());
      Rect cell;
      QVERIFY(view->view().hexCell(tapped, cell));  // the bottom row of the view
      QTest::mouseClick(view, Qt::LeftButton, {}, view->clientOrigin() + QPoint(cell.left + 2, cell.top + 2));
    } else if (dialog == "colour") {
      frame->onCommand(kCmdSettings);
      PropertySheet* sheet = frame->settingsPage()->sheet();
      sheet->activateRow(4);  // the changes mark colour
      sheet->pressButton();
    } else if (dialog == "message") {
      m_program->context().messages.show(u"Error", kStyleError,
                                       u"File /home/user/a rather long folder name/and a long file name.bin open error (2).");
    } else if (dialog == "browser") {
      frame->onCommand(kCmdOpen);
    } else if (dialog == "settings") {
      frame->onCommand(kCmdSettings);
    }
    QTRY_VERIFY_WITH_TIMEOUT(check.done(), 25000);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
    if (dialog == "colour") frame->onCommand(kCmdOk);
  }

  void fingersGetTargetsOfSevenMillimetresOnAHandHeldOnly() {
    MainFrame* frame = start({480, 800});
    QVERIFY(frame);
    QMap<QString, double> sizes;  // the smallest side of each kind of control, in millimetres
    auto note = [&](const QString& what, double mm) { sizes[what] = std::min(sizes.value(what, 1000), mm); };
    for (QAction* a : frame->toolbar()->actions())
      if (!a->isSeparator()) note("toolbar button", millimetres(frame->toolbar()->widgetForAction(a)->size()));
    note("toolbar band", millimetres(QSize(1000, frame->toolbar()->height())));

    Poller menu([&] {
      if (!QApplication::activePopupWidget()) return false;
      note("menu item", lowestMenuItem());
      return true;
    });
    HexViewWidget* view = frame->view();
    Rect cell;
    QVERIFY(view->view().hexCell(5, cell));
    QPoint at = view->clientOrigin() + QPoint(cell.left + 2, cell.top + 2);
    QContextMenuEvent hold(QContextMenuEvent::Mouse, at, view->mapToGlobal(at));
    QApplication::sendEvent(view, &hold);  // the byte menu
    QTRY_VERIFY(menu.done());
    Poller recent([&] {
      if (!QApplication::activePopupWidget()) return false;
      note("menu item", lowestMenuItem());
      return true;
    });
    frame->onCommand(kCmdRecentFiles);
    QTRY_VERIFY(recent.done());

    frame->onCommand(kCmdSettings);
    PropertySheet* sheet = frame->settingsPage()->sheet();
    sheet->activateRow(4);  // a colour row: text box and "..." button
    note("settings editor", millimetres(sheet->pane()->textBox()->size()));
    note("settings button", millimetres(sheet->pane()->button()->size()));
    note("settings tab", millimetres(sheet->tabs()->tabRect(0).size()));
    note("settings row", millimetres(sheet->rowList()->visualItemRect(sheet->rowList()->topLevelItem(0)).size()));
    Poller picker([&] {
      QWidget* d = activeDialog();
      if (!d) return false;
      for (QSlider* slider : d->findChildren<QSlider*>()) note("colour slider", millimetres(slider->size()));
      closeDialog(d);
      return true;
    });
    sheet->pressButton();
    QTRY_VERIFY(picker.done());
    sheet->activateRow(1);  // a choice row: the drop-down
    note("settings editor", millimetres(sheet->pane()->dropDown()->size()));
    frame->onCommand(kCmdOk);
    for (auto it = sizes.cbegin(); it != sizes.cend(); ++it)
      QVERIFY2(it.value() >= 7.0, qPrintable(QString("%1: %2 mm").arg(it.key()).arg(it.value())));
    QCOMPARE(sizes.size(), 8);

    // A desktop keeps the toolbar's 24 pixels.
    frame = start({1920, 1200});
    QVERIFY(frame);
    QCOMPARE(frame->toolbar()->height(), 24);
  }

  void aCloseWhileTheEntrySheetIsOpenCancelsItFirst() {
    MainFrame* frame = start({480, 800});
    QVERIFY(frame);
    bool viewKept = false;
    Poller close([&] {
      QWidget* sheet = activeDialog();
      if (!sheet) return false;
      frame->close();  // the window manager's close button: the sheet is not modal to it
      viewKept = frame->view() != nullptr;
      return true;
    });
    Rect cell;
    QVERIFY(frame->view()->view().hexCell(2, cell));
    QTest::mouseClick(frame->view(), Qt::LeftButton, {}, frame->view()->clientOrigin() + QPoint(cell.left + 2, cell.top + 2));
    QTRY_VERIFY(close.done());
    QVERIFY(viewKept);
    // The close follows when the program is idle again: an event loop that waits for events.
    QEventLoop idle;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (!frame->isVisible()) idle.quit();
    });
    poll.start(20);
    QTimer::singleShot(10000, &idle, &QEventLoop::quit);
    idle.exec();
    QVERIFY(!frame->isVisible());
    QVERIFY(!frame->view());
  }

  void aTapOnTheBlockedWindowLeavesTheKeysWithTheDialog() {
    MainFrame* frame = start({480, 800});
    QVERIFY(frame);
    QString typed;
    bool active = false;
    Poller tap([&] {
      QWidget* dialog = activeDialog();
      if (!dialog || !dialog->isWindow()) return false;
      // The display server gives the keyboard to the main window, as a compositor does for a
      // tap on it, and sends it the keys typed next.
      frame->windowHandle()->requestActivate();
      QCoreApplication::processEvents();  // the activation arrives
      for (Qt::Key k : {Qt::Key_1, Qt::Key_A})
        for (QEvent::Type t : {QEvent::KeyPress, QEvent::KeyRelease})
          QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
              frame->windowHandle(), t, k, Qt::NoModifier, QKeySequence(k).toString());
      QWindowSystemInterface::flushWindowSystemEvents();
      typed = dialog->findChild<QLineEdit*>()->text();
      active = waitFor([&] { return QGuiApplication::focusWindow() == dialog->windowHandle(); });
      closeDialog(dialog);
      return true;
    });
    frame->onCommand(kCmdGoto);
    QTRY_VERIFY(tap.done());
    QCOMPARE(typed, QString("1A"));
    QVERIFY(active);
  }
};

QTEST_MAIN(ScreenFitTest)
#include "screen_fit_test.moc"
