// The main window follows its screen: a turned screen (a geometry change of the offscreen
// platform's screen) refits the window with its menu bar and toolbar on the screen, both ways,
// also while the entry dialog is open, and an 800 x 480 hand-held screen is filled.

#include <QApplication>
#include <QFile>
#include <QMenuBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include "gui/offscreen_helpers.h"
#include "gui/test_files.h"
#include "core/i18n/command_ids.h"
#include "core/platform/registry_key.h"
#include "gui/app/application.h"
#include "gui/app/main_frame.h"
#include "gui/platform/qt_text.h"
#include "gui/view/hex_view_widget.h"

using namespace nibblet;

namespace {

using test::setScreen;

// The window's rectangle and that of `child` inside it lie within the screen.
bool onScreen(QWidget* frame, QWidget* child) {
  QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  QRect inFrame(child->mapTo(frame, QPoint(0, 0)), child->size());
  return screen.contains(frame->geometry()) && frame->rect().contains(inFrame) && child->isVisible();
}

}  // namespace

class ScreenFitTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir m_dir;

 private slots:
  void initTestCase() {
    QVERIFY(test::usePrivateHome(m_dir));
  }

  void aTurnedScreenRefitsTheWindowBothWays() {
    setScreen(480, 800);
    QString path = m_dir.filePath("turn.bin");
    {
      QFile f(path);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(QByteArray(4096, 't'));
    }
    MemoryRegistryKey key;
    Application program(key);
    program.context().settings.showToolbar = 1;
    program.start(toU16(path));
    MainFrame* frame = program.mainFrame();
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    QCOMPARE(frame->geometry(), QRect(0, 26, 480, 774));

    setScreen(800, 480);
    QTRY_COMPARE(frame->geometry(), QRect(0, 26, 800, 454));
    QVERIFY(onScreen(frame, frame->menuBar()));
    QVERIFY(onScreen(frame, frame->toolbar()));
    QVERIFY(onScreen(frame, frame->view()));

    // Turned back while the entry dialog of a tap is open.
    bool turned = false;
    QTimer::singleShot(100, [&] {
      QWidget* dialog = QApplication::activeModalWidget();
      if (!dialog) return;
      setScreen(480, 800);
      QTest::qWait(100);
      turned = frame->geometry() == QRect(0, 26, 480, 774) && onScreen(frame, frame->menuBar());
      dialog->close();
    });
    Rect cell;
    QVERIFY(frame->view()->view().hexCell(2, cell));
    QTest::mouseClick(frame->view(), Qt::LeftButton, {},
                      frame->view()->clientOrigin() + QPoint((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2));
    QVERIFY(turned);
    QVERIFY(onScreen(frame, frame->toolbar()));
    frame->close();
    program.finish();
  }

  void aLandscapeHandHeldScreenIsFilled() {
    setScreen(800, 480);
    MemoryRegistryKey key;
    Application program(key);
    program.start(u"");
    MainFrame* frame = program.mainFrame();
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    QCOMPARE(frame->geometry(), QRect(0, 26, 800, 454));
    // A desktop screen gets the portrait window in its middle.
    setScreen(1920, 1200);
    QTRY_COMPARE(frame->geometry().height(), 860);
    QCOMPARE(frame->geometry().width(), 480);
    QCOMPARE(frame->geometry().center().x(), 959);
    frame->close();
    program.finish();
  }
};

QTEST_MAIN(ScreenFitTest)
#include "screen_fit_test.moc"
