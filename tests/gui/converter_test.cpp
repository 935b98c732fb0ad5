// The converter through the real window, offscreen: the clipboard's number in, typing and
// switching bases, "=", and the number back into the view's clipboard in the chosen order; the
// choices kept across a restart; and the dialog without a document.

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include "gui/modal_driver.h"
#include "gui/test_files.h"
#include "core/i18n/command_ids.h"
#include "core/platform/registry_key.h"
#include "core/view/byte_menu_model.h"
#include "gui/app/application.h"
#include "gui/app/main_frame.h"
#include "gui/platform/qt_text.h"
#include "gui/view/hex_view_widget.h"

using namespace nibblet;

namespace {

template <typename T>
T* control(QWidget* dialog, int id) {
  return dialog->findChild<T*>(QString::number(id));
}

// Runs the converter and hands its dialog to `use` while it is open.
void runConverter(MainFrame* frame, const std::function<void(QWidget*)>& use) {
  test::ModalDriver driver(test::named("109"), use);
  frame->onCommand(kCmdConverter);
  QVERIFY(driver.seen());
}

}  // namespace

class ConverterTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir m_dir;

 private slots:
  void initTestCase() {
    QVERIFY(test::usePrivateHome(m_dir));
  }

  void convertsEvaluatesAndCopiesIntoTheViewClipboard() {
    QString path = m_dir.filePath("c.bin");
    {
      QFile f(path);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(QByteArray(64, '\0'));
    }
    MemoryRegistryKey key;
    Application program(key);
    program.start(toU16(path));
    MainFrame* frame = program.mainFrame();
    const std::uint8_t held[] = {0x34, 0x12};
    frame->view()->view().setClipboard(held, 2);

    runConverter(frame, [](QWidget* d) {
      auto* input = control<QLineEdit>(d, 1000);
      auto* result = control<QLineEdit>(d, 1004);
      auto* from = control<QComboBox>(d, 1002);
      auto* copyAs = control<QComboBox>(d, 1022);
      auto* equals = control<QPushButton>(d, 1026);
      QCOMPARE(d->windowTitle(), QString("converter"));
      QCOMPARE(input->text(), QString("1234"));
      QCOMPARE(result->text(), QString("4660"));
      QCOMPARE(copyAs->count(), 6);
      QVERIFY(!equals->isEnabled());
      from->setCurrentIndex(2);  // dec
      QVERIFY(equals->isEnabled());
      input->clear();
      QTest::keyClicks(input, "2+3");
      QCOMPARE(result->text(), QString("2"));
      QTest::mouseClick(equals, Qt::LeftButton);
      QCOMPARE(input->text(), QString("5"));
      QCOMPARE(result->text(), QString("5"));
      input->setText("305419896");
      QCOMPARE(result->text(), QString("305419896"));
      control<QComboBox>(d, 1003)->setCurrentIndex(3);
      QCOMPARE(result->text(), QString("12345678"));
      copyAs->setCurrentIndex(5);  // DWORD Big Endian
      QTest::mouseClick(control<QPushButton>(d, kCmdOk), Qt::LeftButton);
    });
    if (QTest::currentTestFailed()) return;
    const HexView& view = frame->view()->view();
    QCOMPARE(view.clipboardCount(), 4);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(view.clipboard()), 4), QByteArray("\x12\x34\x56\x78", 4));
    QCOMPARE(program.context().settings.convertCopyAs, 5);

    // The four bytes go into the file through the byte menu's Paste.
    HexViewWidget* widget = frame->view();
    Rect cell;
    QVERIFY(widget->view().hexCell(8, cell));
    QPoint at = widget->clientOrigin() + QPoint((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    bool pasted = false;
    {
      test::ModalDriver driver(test::popupMenu(), [&](QWidget* w) {
        auto* menu = qobject_cast<QMenu*>(w);
        QAction* paste = menu->findChild<QAction*>(QString::number(kByteMenuPaste));
        QVERIFY(paste);
        QCOMPARE(paste->text(), QString("Paste (12 34 56 78)"));
        menu->setActiveAction(paste);
        QTest::keyClick(menu, Qt::Key_Return);
        pasted = true;
      });
      QContextMenuEvent hold(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
      QApplication::sendEvent(widget, &hold);
      QTRY_VERIFY(pasted);
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().mid(8, 4), QByteArray("\x12\x34\x56\x78", 4));

    // Cancel leaves the clipboard alone.
    runConverter(frame, [](QWidget* d) {
      control<QComboBox>(d, 1022)->setCurrentIndex(1);
      QTest::mouseClick(control<QPushButton>(d, kCmdCancel), Qt::LeftButton);
    });
    if (QTest::currentTestFailed()) return;
    QCOMPARE(view.clipboardCount(), 4);
    {
      // The edits made on the spot are kept.
      test::ModalDriver driver(test::messageBox(), [](QWidget* w) {
        qobject_cast<QMessageBox*>(w)->button(QMessageBox::Yes)->click();
      });
      frame->close();
      QVERIFY(driver.seen());
    }
    program.finish();

    // After a restart the lists show the last choices; without a document only "No copy".
    Application again(key);
    again.start(u"");
    runConverter(again.mainFrame(), [](QWidget* d) {
      QCOMPARE(control<QComboBox>(d, 1002)->currentIndex(), 2);
      QCOMPARE(control<QComboBox>(d, 1003)->currentIndex(), 3);
      QCOMPARE(control<QComboBox>(d, 1022)->count(), 1);
      QCOMPARE(control<QLineEdit>(d, 1000)->text(), QString("0"));
      QTest::mouseClick(control<QPushButton>(d, kCmdOk), Qt::LeftButton);
    });
    again.mainFrame()->close();
    again.finish();
  }
};

QTEST_MAIN(ConverterTest)
#include "converter_test.moc"
